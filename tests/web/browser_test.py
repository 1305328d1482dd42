"""The web page in a real browser (headless Chromium, served from 127.0.0.1):
typing and pasting, the forms, loaded code tables, the bytes of downloads and
of the clipboard, the preview font, the report, check, large texts in the
worker, keyboard use and small screens. Run after scripts/build-web.sh and a
native build (build/bin/sfconv)."""

import pathlib
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
import browser  # noqa: E402
from selenium.webdriver.common.action_chains import ActionChains  # noqa: E402
from selenium.webdriver.common.by import By  # noqa: E402
from selenium.webdriver.common.keys import Keys  # noqa: E402
from selenium.webdriver.support.ui import Select  # noqa: E402

DATA = browser.ROOT / "tests" / "data"


def gita_lines(name, count):
    lines = (DATA / name).read_bytes().split(b"\n")
    return b"\n".join(lines[:count]) + b"\n"


class PageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls._server = browser.serve()
        cls.url = cls._server.__enter__()
        cls._browser = browser.chromium()
        cls.driver, cls.downloads = cls._browser.__enter__()
        browser.grant_clipboard(cls.driver, cls.url)

    @classmethod
    def tearDownClass(cls):
        cls._browser.__exit__(None, None, None)
        cls._server.__exit__(None, None, None)

    def setUp(self):
        self.driver.set_window_size(1280, 1000)
        browser.open_page(self.driver, self.url)

    # ---- helpers ----

    def el(self, id_):
        return self.driver.find_element(By.ID, id_)

    def choose(self, id_, value):
        Select(self.el(id_)).select_by_value(value)

    def value(self, id_):
        return self.driver.execute_script("return document.getElementById(arguments[0]).value", id_)

    def wait_for(self, condition, what, timeout=30):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            result = condition()
            if result:
                return result
            time.sleep(0.05)
        self.fail("timed out waiting for " + what)

    def wait_output(self, expected_text):
        self.wait_for(lambda: self.value("output") == expected_text,
                      "the output " + repr(expected_text[:40]))

    def set_clipboard(self, text):
        self.driver.execute_async_script(
            "navigator.clipboard.writeText(arguments[0]).then(arguments[1], arguments[1])", text)

    def read_clipboard(self):
        return self.driver.execute_async_script(
            "navigator.clipboard.readText().then(arguments[0], e => arguments[0]('ERROR ' + e))")

    def download(self):
        for old in self.downloads.iterdir():
            old.unlink()
        self.el("download").click()

        def done():
            files = [f for f in self.downloads.iterdir() if not f.name.endswith(".crdownload")]
            return files[0] if files else None
        path = self.wait_for(done, "the download")
        time.sleep(0.2)
        return path.read_bytes()

    def type_bytes(self, data):
        """Puts a font's bytes into the input box as typing would (a control
        character cannot be typed through the driver)."""
        self.driver.execute_script(
            "const b = document.getElementById('input'); b.focus(); b.value = arguments[0];"
            "b.dispatchEvent(new Event('input', {bubbles: true}));", browser.cp1252(data))

    def clear_input(self):
        self.el("clear-input").click()

    # ---- typing, pasting, forms ----

    def test_typed_iast_becomes_unicode_devanagari_as_sfconv_converts_it(self):
        line = gita_lines("gita.iast.txt", 1).decode().rstrip("\n")
        self.clear_input()
        self.choose("from", "iast")
        self.choose("to", "devanagari")
        self.el("input").send_keys(line)
        expected = browser.sfconv("convert", "--from", "iast", "--to", "devanagari",
                                  input_bytes=line.encode())
        self.wait_output(expected.decode())

    def test_pasted_font_text_converts_to_each_devanagari_font_with_sfconv_bytes(self):
        text = gita_lines("gita.sanskrit-times.txt", 3)
        self.clear_input()
        self.choose("from", "Sanskrit-Times")
        self.set_clipboard(browser.cp1252(text))
        box = self.el("input")
        box.click()
        box.send_keys(Keys.CONTROL, "v")
        for font in ["Vedic", "Dev Natraj ITR", "Sanskrit 99"]:
            with self.subTest(font=font):
                self.choose("to", font)
                expected = browser.sfconv("convert", "--from", "Sanskrit-Times", "--to", font,
                                          input_bytes=text)
                self.wait_output(browser.cp1252(expected))
                self.assertEqual(self.download(), expected)

    def test_swap_takes_the_result_back(self):
        self.clear_input()
        self.choose("from", "iast")
        self.choose("to", "ITRTransTimes")
        self.el("input").send_keys("dharmakṣetre kurukṣetre")
        expected = browser.sfconv("convert", "--from", "iast", "--to", "ITRTransTimes",
                                  input_bytes="dharmakṣetre kurukṣetre".encode())
        self.wait_output(browser.cp1252(expected))
        self.el("swap").click()
        self.assertEqual(Select(self.el("from")).first_selected_option.get_attribute("value"),
                         "ITRTransTimes")
        self.wait_output("dharmakṣetre kurukṣetre")

    def test_options_reach_the_conversion(self):
        text = gita_lines("gita.sanskrit-times.txt", 2)
        self.clear_input()
        self.choose("from", "Sanskrit-Times")
        self.choose("to", "Vedic")
        self.set_clipboard(browser.cp1252(text))
        self.el("input").send_keys(Keys.CONTROL, "v")
        self.el("shift-m").click()
        self.choose("dash-mode", "2")
        expected = browser.sfconv("convert", "--from", "Sanskrit-Times", "--to", "Vedic",
                                  "--shift-m-to-n", "--dash-mode", "2", input_bytes=text)
        self.wait_output(browser.cp1252(expected))

    # ---- files: open, download, code tables ----

    def test_an_opened_file_keeps_its_bytes_and_downloads_exactly(self):
        source = DATA / "gita.itrtranstimes.txt"
        data = gita_lines("gita.itrtranstimes.txt", 6).replace(b"\n", b"\r\n")
        with tempfile.NamedTemporaryFile(suffix=".txt", delete=False) as f:
            f.write(data)
        try:
            self.choose("from", "ITRTransTimes")
            self.choose("to", "Sanskrit 99")
            self.el("open-file").send_keys(f.name)
            expected = browser.sfconv("convert", "--from", "ITRTransTimes", "--to", "Sanskrit 99",
                                      input_bytes=data)
            self.wait_for(lambda: "Opened" in self.el("status").text or
                          "Converted" in self.el("status").text, "the file")
            self.wait_for(lambda: self.value("output").replace("\r", "") ==
                          browser.cp1252(expected).replace("\r", ""), "the converted file")
            self.assertEqual(self.download(), expected)
        finally:
            pathlib.Path(f.name).unlink()
        self.assertTrue(source.exists())

    def test_code_tables_exported_by_sfconv_load_and_convert_as_sfconv(self):
        with tempfile.TemporaryDirectory() as tables:
            browser.sfconv("tables", "--export", tables, "-d", "Dev Natraj ITR")
            names = ["sanideva.cod", "lipikara.mmy", "devitran.cod"]
            self.el("table-files").send_keys("\n".join(str(pathlib.Path(tables) / n) for n in names))
            font = self.el("table-font")
            font.clear()
            font.send_keys("My Font")
            self.el("load-tables").click()
            self.wait_for(lambda: "Loaded the code tables" in self.el("status").text, "the load")
            self.assertEqual(self.driver.find_elements(By.CSS_SELECTOR, "#table-problems li"), [])
            text = gita_lines("gita.sanskrit-times.txt", 4)
            self.clear_input()
            self.choose("from", "Sanskrit-Times")
            self.choose("to", "My Font")
            self.set_clipboard(browser.cp1252(text))
            self.el("input").send_keys(Keys.CONTROL, "v")
            expected = browser.sfconv("convert", "--tables", tables, "--from", "Sanskrit-Times",
                                      "--to", "My Font", input_bytes=text)
            self.wait_output(browser.cp1252(expected))
            self.assertEqual(self.download(), expected)
            # The browser shows the loaded tables' rows.
            self.assertEqual(Select(self.el("browse-font")).first_selected_option.text, "My Font")
            rows = self.driver.find_elements(By.CSS_SELECTOR, "#browser tbody tr")
            self.assertEqual(len(rows), 255)

    # ---- clipboard ----

    def test_copy_puts_windows_1252_or_symbol_font_text_on_the_clipboard(self):
        text = gita_lines("gita.sanskrit-times.txt", 2)
        self.clear_input()
        self.choose("from", "Sanskrit-Times")
        self.choose("to", "Vedic")
        self.set_clipboard(browser.cp1252(text))
        self.el("input").send_keys(Keys.CONTROL, "v")
        expected = browser.sfconv("convert", "--from", "Sanskrit-Times", "--to", "Vedic",
                                  input_bytes=text)
        self.wait_output(browser.cp1252(expected))
        self.el("copy").click()
        self.wait_for(lambda: "clipboard" in self.el("status").text, "the copy")
        self.assertEqual(self.read_clipboard(), browser.cp1252(expected))
        self.el("symbol-font").click()
        self.el("copy").click()
        symbol = "".join(chr(0xF000 + b) if b >= 0x20 else chr(b) for b in expected)
        self.assertEqual(self.read_clipboard(), symbol)

    # ---- what is shown ----

    def test_the_preview_is_unicode_devanagari_in_the_bundled_noto_font(self):
        text = gita_lines("gita.sanskrit-times.txt", 1)
        self.clear_input()
        self.choose("from", "Sanskrit-Times")
        self.choose("to", "Vedic")
        self.set_clipboard(browser.cp1252(text))
        self.el("input").send_keys(Keys.CONTROL, "v")
        # The preview is the Vedic bytes of the result read as Unicode Devanagari.
        vedic = browser.sfconv("convert", "--from", "Sanskrit-Times", "--to", "Vedic",
                               input_bytes=text)
        expected = browser.sfconv("convert", "--from", "Vedic", "--to", "devanagari",
                                  input_bytes=vedic).decode()
        self.wait_for(lambda: self.driver.execute_script(
            "return document.getElementById('preview').textContent") == expected, "the preview")
        loaded = self.driver.execute_async_script("""
            const done = arguments[0];
            document.fonts.ready.then(() => done([...document.fonts].some(
                f => f.family.includes('Noto Sans Devanagari') && f.status === 'loaded')));""")
        self.assertTrue(loaded, "the bundled font was not loaded")
        widths = self.driver.execute_script("""
            const preview = document.getElementById('preview');
            const probe = document.createElement('span');
            probe.textContent = preview.textContent.split('\\n')[0];
            probe.style.whiteSpace = 'nowrap';
            preview.appendChild(probe);
            const noto = probe.getBoundingClientRect().width;
            probe.style.fontFamily = '"No Such Font", serif';
            const fallback = probe.getBoundingClientRect().width;
            probe.remove();
            return [noto, fallback];""")
        self.assertGreater(widths[0], 0)
        self.assertNotAlmostEqual(widths[0], widths[1], delta=1)

    def test_bytes_with_no_rule_are_listed_and_marked(self):
        self.clear_input()
        self.choose("from", "Sanskrit-Times")
        self.choose("to", "Vedic")
        self.type_bytes(b"rAma\nka\x01ma")
        self.wait_for(lambda: self.driver.find_elements(By.CSS_SELECTOR, "#report-text mark"),
                      "the marked input")
        items = [li.text for li in self.driver.find_elements(By.CSS_SELECTOR, "#report li")]
        self.assertIn("line 2, column 3: SOH (byte 1)", items)
        marks = self.driver.find_elements(By.CSS_SELECTOR, "#report-text mark")
        self.assertEqual(len(marks), len(items))
        # The place's button selects the byte in the input box.
        button = [b for b in self.driver.find_elements(By.CSS_SELECTOR, "#report li button")
                  if b.text == "line 2, column 3"][0]
        button.click()
        selected = self.driver.execute_script(
            "const b = document.getElementById('input'); return [b.selectionStart, b.selectionEnd];")
        self.assertEqual(selected, [7, 8])

    def test_check_lists_what_sfconv_check_lists(self):
        text = gita_lines("gita.sanskrit-times.txt", 40)
        self.clear_input()
        self.choose("from", "Sanskrit-Times")
        self.choose("to", "Sanskrit 99")
        self.set_clipboard(browser.cp1252(text))
        self.el("input").send_keys(Keys.CONTROL, "v")
        self.wait_for(lambda: self.value("input") != "", "the pasted text")
        self.el("check").click()
        expected = browser.sfconv("check", "-t", "Sanskrit-Times", "-d", "Sanskrit 99",
                                  input_bytes=text).decode()
        self.wait_for(lambda: self.el("check-report").is_displayed(), "the check report")
        self.assertEqual(self.driver.execute_script(
            "return document.getElementById('check-report').textContent"), expected)

    def test_a_large_text_converts_in_the_worker_with_progress(self):
        data = (DATA / "gita.sanskrit-times.txt").read_bytes() * 5  # about 340 KB
        with tempfile.NamedTemporaryFile(suffix=".txt", delete=False) as f:
            f.write(data)
        try:
            self.choose("from", "Sanskrit-Times")
            self.choose("to", "devanagari")
            self.el("open-file").send_keys(f.name)
            self.wait_for(lambda: "press Convert" in self.el("status").text, "the opened file")
            self.el("convert").click()
            expected = browser.sfconv("convert", "--from", "Sanskrit-Times", "--to", "devanagari",
                                      input_bytes=data)
            self.wait_for(lambda: "Converted" in self.el("status").text, "the worker", timeout=60)
            self.assertFalse(self.el("progress").is_displayed())
            self.assertEqual(self.download(), expected)
        finally:
            pathlib.Path(f.name).unlink()

    # ---- keyboard, labels, small screens ----

    def test_every_control_has_a_label_or_name(self):
        unnamed = self.driver.execute_script("""
            const names = [];
            for (const el of document.querySelectorAll('input, select, textarea, button')) {
              const label = el.id && document.querySelector(`label[for="${el.id}"]`);
              const name = (label && label.textContent.trim()) || el.getAttribute('aria-label') ||
                           (el.tagName === 'BUTTON' && el.textContent.trim());
              if (!name) names.push(el.id || el.outerHTML);
            }
            return names;""")
        self.assertEqual(unnamed, [])

    def test_tab_reaches_the_controls_in_reading_order(self):
        self.driver.execute_script("document.activeElement.blur(); window.scrollTo(0, 0);")
        order = []
        for _ in range(16):
            ActionChains(self.driver).send_keys(Keys.TAB).perform()
            order.append(self.driver.execute_script(
                "const e = document.activeElement; return e.id || e.className || e.tagName;"))
        expected = ["skip", "from", "input", "open-file", "clear-input", "swap", "to", "output",
                    "copy", "download", "pivot", "dash-mode", "shift-m", "symbol-font", "live",
                    "convert"]
        self.assertEqual(order, expected)
        # The hidden file picker's focus shows on its label, drawn as a button.
        browser.open_page(self.driver, self.url)
        for _ in range(expected.index("open-file") + 1):
            ActionChains(self.driver).send_keys(Keys.TAB).perform()
        label_outline = self.driver.execute_script(
            "return getComputedStyle(document.querySelector('label[for=open-file]')).outlineStyle;")
        self.assertNotEqual(label_outline, "none", "the file picker's focus is not visible")
        outline = self.driver.execute_script(
            "document.getElementById('swap').focus();"
            "return getComputedStyle(document.getElementById('swap')).outlineStyle;")
        self.assertNotEqual(outline, "none", "focus is not visible")

    def test_keyboard_alone_converts(self):
        self.clear_input()
        self.el("input").send_keys("rāma")
        self.wait_output("राम")
        # Choose another form with the keyboard, from the swap button backwards.
        self.el("to").send_keys(Keys.END)
        self.wait_for(lambda: self.value("to") != "devanagari", "the chosen form")
        self.assertNotEqual(self.value("output"), "राम")

    def test_phone_sized_and_200_percent_zoomed_pages_do_not_scroll_sideways(self):
        for width, height in [(360, 740), (640, 500)]:  # a phone; 1280 x 1000 at 200 %
            with self.subTest(width=width):
                self.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
                    "width": width, "height": height, "deviceScaleFactor": 1, "mobile": width < 400})
                try:
                    browser.open_page(self.driver, self.url)
                    overflow = self.driver.execute_script(
                        "return document.documentElement.scrollWidth - document.documentElement.clientWidth;")
                    self.assertLessEqual(overflow, 0)
                    box = self.el("input").rect
                    self.assertLessEqual(box["x"] + box["width"], width)
                finally:
                    self.driver.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})


class FileUrlTest(unittest.TestCase):
    def test_the_page_and_its_worker_work_opened_as_a_file(self):
        data = (DATA / "gita.sanskrit-times.txt").read_bytes() * 5
        with tempfile.NamedTemporaryFile(suffix=".txt", delete=False) as f:
            f.write(data)
        try:
            with browser.chromium() as (driver, _):
                browser.open_page(driver, (browser.SITE / "index.html").as_uri())
                value = "return document.getElementById('output').value"
                self.assertEqual(driver.execute_script(value), "श्री भगवान् उवाच")
                Select(driver.find_element(By.ID, "from")).select_by_value("Sanskrit-Times")
                Select(driver.find_element(By.ID, "to")).select_by_value("devanagari")
                driver.find_element(By.ID, "open-file").send_keys(f.name)
                status = driver.find_element(By.ID, "status")
                deadline = time.monotonic() + 30
                while "press Convert" not in status.text and time.monotonic() < deadline:
                    time.sleep(0.05)
                driver.find_element(By.ID, "convert").click()
                while "Converted" not in status.text and time.monotonic() < deadline + 30:
                    time.sleep(0.05)
                expected = browser.sfconv("convert", "--from", "Sanskrit-Times", "--to",
                                          "devanagari", input_bytes=data)
                self.assertEqual(driver.execute_script(value), expected.decode())
        finally:
            pathlib.Path(f.name).unlink()


if __name__ == "__main__":
    for needed in [browser.SITE / "index.html", browser.SFCONV]:
        if not needed.exists():
            sys.exit(f"{needed} is missing: run scripts/build-web.sh and the release build first")
    result = unittest.main(exit=False, verbosity=2).result
    failed = len(result.failures) + len(result.errors)
    print(f"{result.testsRun - failed} passed, {failed} failed")
    sys.exit(1 if failed else 0)
