"""Renders the screenshots of the web page for docs/screenshots/ (web-*.png)
in headless Chromium: python3 tests/web/screenshots.py, after
scripts/build-web.sh and the release build."""

import pathlib
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
import browser  # noqa: E402
from selenium.webdriver.common.by import By  # noqa: E402
from selenium.webdriver.support.ui import Select  # noqa: E402

OUT = browser.ROOT / "docs" / "screenshots"


def settle(driver):
    driver.execute_async_script("document.fonts.ready.then(() => setTimeout(arguments[0], 300))")


def main():
    gita = (browser.ROOT / "tests" / "data" / "gita.sanskrit-times.txt").read_bytes()
    lines = b"\n".join(gita.split(b"\n")[:4]) + b"\n"
    with browser.serve() as url, browser.chromium(1280, 1000) as (driver, _):
        browser.open_page(driver, url)
        Select(driver.find_element(By.ID, "from")).select_by_value("Sanskrit-Times")
        Select(driver.find_element(By.ID, "to")).select_by_value("Vedic")
        browser.put_text(driver, lines + b"ka\x01ma\n")
        time.sleep(0.5)
        settle(driver)
        driver.save_screenshot(str(OUT / "web-page.png"))

        driver.execute_script("document.getElementById('tables-title').scrollIntoView()")
        settle(driver)
        driver.save_screenshot(str(OUT / "web-tables.png"))

        driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                               {"width": 390, "height": 844, "deviceScaleFactor": 1, "mobile": True})
        browser.open_page(driver, url)
        settle(driver)
        driver.save_screenshot(str(OUT / "web-phone.png"))
    for name in ["web-page.png", "web-tables.png", "web-phone.png"]:
        print(OUT / name)


if __name__ == "__main__":
    main()
