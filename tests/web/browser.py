"""The web page in headless Chromium: a local server for build-web/site and a
driven browser, shared by the browser tests and the screenshot command."""

import contextlib
import os
import pathlib
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import urllib.request

from selenium import webdriver
from selenium.webdriver.chrome.service import Service

ROOT = pathlib.Path(__file__).resolve().parents[2]
SITE = pathlib.Path(os.environ.get("SFC_WEB_SITE", ROOT / "build-web" / "site"))
SFCONV = pathlib.Path(os.environ.get("SFCONV", ROOT / "build" / "bin" / "sfconv"))

CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update",
                  "--disable-sync"]


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


@contextlib.contextmanager
def serve(directory=SITE):
    """python3 -m http.server on 127.0.0.1 and a free port; yields the base URL."""
    port = free_port()
    server = subprocess.Popen(
        [sys.executable, "-m", "http.server", str(port), "--bind", "127.0.0.1",
         "--directory", str(directory)],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    url = f"http://127.0.0.1:{port}/"
    try:
        for _ in range(100):
            try:
                urllib.request.urlopen(url, timeout=1).close()
                break
            except OSError:
                time.sleep(0.05)
        else:
            raise RuntimeError("the local server did not start")
        yield url
    finally:
        server.terminate()
        server.wait(timeout=10)


@contextlib.contextmanager
def chromium(width=1280, height=1000):
    """Headless Chromium with a fresh profile and a download folder of its own;
    yields (driver, download_dir)."""
    profile = tempfile.mkdtemp(prefix="sfc-web-profile-")
    downloads = tempfile.mkdtemp(prefix="sfc-web-downloads-")
    options = webdriver.ChromeOptions()
    for flag in CHROMIUM_FLAGS:
        options.add_argument(flag)
    options.add_argument(f"--user-data-dir={profile}")
    options.add_argument(f"--window-size={width},{height}")
    options.add_experimental_option("prefs", {
        "download.default_directory": downloads,
        "download.prompt_for_download": False,
    })
    binary = shutil.which("chromium") or "/usr/bin/chromium"
    options.binary_location = binary
    driver_path = shutil.which("chromedriver") or "/usr/bin/chromedriver"
    driver = webdriver.Chrome(service=Service(driver_path), options=options)
    try:
        driver.execute_cdp_cmd("Browser.setDownloadBehavior",
                               {"behavior": "allow", "downloadPath": downloads})
        yield driver, pathlib.Path(downloads)
    finally:
        driver.quit()
        shutil.rmtree(profile, ignore_errors=True)
        shutil.rmtree(downloads, ignore_errors=True)


def open_page(driver, url, timeout=30):
    """Opens the page and waits until the converter has shown its first result."""
    driver.get(url)
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if driver.execute_script("return document.body && document.body.dataset.ready") == "true":
            return
        time.sleep(0.05)
    raise RuntimeError("the page did not get ready: " +
                       driver.execute_script("return document.getElementById('status').textContent"))


def grant_clipboard(driver, url):
    driver.execute_cdp_cmd("Browser.grantPermissions", {
        "origin": url.rstrip("/"),
        "permissions": ["clipboardReadWrite", "clipboardSanitizedWrite"],
    })


def sfconv(*args, input_bytes=b""):
    return subprocess.run([str(SFCONV), *args], input=input_bytes, capture_output=True,
                          check=True).stdout


def cp1252(data):
    """A font's bytes as the page shows them: Windows-1252, the five undefined
    bytes as the C1 controls of the same value."""
    return "".join(_cp1252_char(b) for b in data)


def _cp1252_char(b):
    if 0x80 <= b < 0xA0:
        try:
            return bytes([b]).decode("cp1252")
        except UnicodeDecodeError:
            return chr(b)
    return chr(b)
