"""The web page in headless Chromium: a local server for build-web/site and a
driven browser, shared by the browser tests and the screenshot command."""

import contextlib
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service

ROOT = pathlib.Path(__file__).resolve().parents[2]
SITE = pathlib.Path(os.environ.get("SFC_WEB_SITE", ROOT / "build-web" / "site"))
SFCONV = pathlib.Path(os.environ.get("SFCONV", ROOT / "build" / "bin" / "sfconv"))


def wait(condition, what, timeout=30):
    """Polls condition until it gives a true value, which it returns."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        result = condition()
        if result:
            return result
        time.sleep(0.05)
    raise TimeoutError("timed out waiting for " + what)


@contextlib.contextmanager
def serve(directory=SITE):
    """python3 -m http.server on 127.0.0.1 and a free port; yields the base URL
    once the server has said that it listens."""
    server = subprocess.Popen(
        [sys.executable, "-u", "-m", "http.server", "0", "--bind", "127.0.0.1",
         "--directory", str(directory)], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    try:
        port = re.search(r" port (\d+) ", server.stdout.readline()).group(1)
        yield f"http://127.0.0.1:{port}/"
    finally:
        server.terminate()
        server.wait(timeout=10)


@contextlib.contextmanager
def chromium(width=1280, height=1000):
    """Headless Chromium with a fresh profile; yields (driver, download folder)."""
    with tempfile.TemporaryDirectory(prefix="sfc-web-") as scratch:
        downloads = pathlib.Path(scratch) / "downloads"
        downloads.mkdir()
        options = webdriver.ChromeOptions()
        for flag in ["headless", "no-sandbox", "disable-gpu", "no-first-run", "disable-sync",
                     "disable-background-networking", "disable-component-update",
                     f"user-data-dir={scratch}/profile", f"window-size={width},{height}"]:
            options.add_argument("--" + flag)
        options.binary_location = shutil.which("chromium") or "/usr/bin/chromium"
        driver = webdriver.Chrome(
            service=Service(shutil.which("chromedriver") or "/usr/bin/chromedriver"),
            options=options)
        try:
            driver.execute_cdp_cmd("Browser.setDownloadBehavior",
                                   {"behavior": "allow", "downloadPath": str(downloads)})
            yield driver, downloads
        finally:
            driver.quit()


def open_page(driver, url, timeout=30):
    """Opens the page and waits until the converter has shown its first result."""
    driver.get(url)
    try:
        wait(lambda: driver.execute_script(
            "return document.body && document.body.dataset.ready") == "true", "", timeout)
    except TimeoutError:
        raise RuntimeError("the page did not get ready: " + driver.execute_script(
            "return document.getElementById('status').textContent")) from None


def put_text(driver, data):
    """Puts a font's bytes into the input box as typing would (a control
    character cannot be typed through the driver)."""
    driver.execute_script(
        "const b = document.getElementById('input'); b.value = arguments[0];"
        "b.dispatchEvent(new Event('input', {bubbles: true}));", cp1252(data))


def sfconv(*args, input_bytes=b""):
    return subprocess.run([str(SFCONV), *args], input=input_bytes, capture_output=True,
                          check=True).stdout


def cp1252(data):
    """A font's bytes as the page shows them: Windows-1252, the five undefined
    bytes as the C1 controls of the same value."""
    return "".join(chr(b) if b in (0x81, 0x8D, 0x8F, 0x90, 0x9D) else bytes([b]).decode("cp1252")
                   for b in data)
