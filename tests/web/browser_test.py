"""The web page in headless Chromium, served from 127.0.0.1, beside native
sfconv. Run after scripts/build-web.sh and a native build (build/bin/sfconv)."""

import contextlib
import pathlib
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
    return b"\n".join((DATA / name).read_bytes().split(b"\n")[:count]) + b"\n"


class PageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls._stack = contextlib.ExitStack()
        cls.url = cls._stack.enter_context(browser.serve())
        cls.driver, cls.downloads = cls._stack.enter_context(browser.chromium())
        cls.driver.execute_cdp_cmd("Browser.grantPermissions", {
            "origin": cls.url.rstrip("/"),
            "permissions": ["clipboardReadWrite", "clipboardSanitizedWrite"]})

    @classmethod
    def tearDownClass(cls):
        cls._stack.close()

    def setUp(self):
        self.driver.set_window_size(1280, 1000)
        browser.open_page(self.driver, self.url)

    def el(self, id_):
        return self.driver.find_element(By.ID, id_)

    def css(self, selector):
        return self.driver.find_elements(By.CSS_SELECTOR, selector)

    def choose(self, id_, value):
        Select(self.el(id_)).select_by_value(value)

    def value(self, id_, what="value"):
        return self.driver.execute_script(f"return document.getElementById(arguments[0]).{what}", id_)

    def wait_output(self, expected_text):
        browser.wait(lambda: self.value("output") == expected_text,
                     "the output " + repr(expected_text[:40]))

    def read_clipboard(self):
        return self.driver.execute_async_script(
            "navigator.clipboard.readText().then(arguments[0], e => arguments[0]('ERROR ' + e))")

    def download(self):
        for old in self.downloads.iterdir():
            old.unlink()
        self.el("download").click()
        path = browser.wait(lambda: [f for f in self.downloads.iterdir()
                                     if not f.name.endswith(".crdownload")], "the download")[0]
        time.sleep(0.2)
        return path.read_bytes()

    def empty(self, from_, to):
        self.el("clear-input").click()
        self.choose("from", from_)
        self.choose("to", to)

    def paste(self, data, from_, to):
        self.empty(from_, to)
        self.driver.execute_async_script("navigator.clipboard.writeText(arguments[0])"
                                         ".then(arguments[1], arguments[1])", browser.cp1252(data))
        self.el("input").send_keys(Keys.CONTROL, "v")

    def expect(self, data, *arguments):
        """Waits for the output sfconv convert gives for the same input and
        arguments; returns its bytes."""
        expected = browser.sfconv("convert", *arguments, input_bytes=data)
        self.wait_output(expected.decode() if arguments[-1] in ("iast", "devanagari")
                         else browser.cp1252(expected))
        return expected

    def test_typed_iast_converts_as_sfconv_converts_it_and_swap_takes_it_back(self):
        line = gita_lines("gita.iast.txt", 1).decode().rstrip("\n")
        self.empty("iast", "devanagari")
        self.el("input").send_keys(line)
        self.expect(line.encode(), "--from", "iast", "--to", "devanagari")
        self.choose("to", "ITRTransTimes")
        self.expect(line.encode(), "--from", "iast", "--to", "ITRTransTimes")
        self.el("swap").click()
        self.assertEqual(self.value("from"), "ITRTransTimes")
        self.wait_output(line)

    def test_pasted_font_text_converts_to_each_devanagari_font_with_its_options(self):
        text = gita_lines("gita.sanskrit-times.txt", 3) + b"lok\x80s-tav\x80pi\n"  # the dash modes differ
        self.paste(text, "Sanskrit-Times", "devanagari")
        for font in ["Vedic", "Dev Natraj ITR", "Sanskrit 99"]:
            with self.subTest(font=font):
                self.choose("to", font)
                expected = self.expect(text, "--from", "Sanskrit-Times", "--to", font)
                self.assertEqual(self.download(), expected)
        self.el("shift-m").click()
        self.expect(text, "--shift-m-to-n", "--from", "Sanskrit-Times", "--to", "Sanskrit 99")
        self.choose("dash-mode", "2")
        self.expect(text, "--shift-m-to-n", "--dash-mode", "2", "--from", "Sanskrit-Times",
                    "--to", "Sanskrit 99")

    def test_code_tables_exported_by_sfconv_load_and_convert_as_sfconv(self):
        with tempfile.TemporaryDirectory() as tables:
            browser.sfconv("tables", "--export", tables, "-d", "Dev Natraj ITR")
            names = ["sanideva.cod", "lipikara.mmy", "devitran.cod"]
            self.el("table-files").send_keys("\n".join(str(pathlib.Path(tables) / n) for n in names))
            self.el("table-font").clear()
            self.el("table-font").send_keys("My Font")
            self.el("load-tables").click()
            browser.wait(lambda: "Loaded the code tables" in self.el("status").text, "the load")
            self.assertEqual(self.css("#table-problems li"), [])
            text = gita_lines("gita.sanskrit-times.txt", 4)
            self.paste(text, "Sanskrit-Times", "My Font")
            expected = self.expect(text, "--tables", tables, "--from", "Sanskrit-Times",
                                   "--to", "My Font")
            self.assertEqual(self.download(), expected)
            # The browser shows the loaded tables' rows.
            self.assertEqual(Select(self.el("browse-font")).first_selected_option.text, "My Font")
            self.assertEqual(len(self.css("#browser tbody tr")), 255)

    def test_copy_gives_the_fonts_bytes_and_the_preview_unicode_in_the_bundled_font(self):
        text = gita_lines("gita.sanskrit-times.txt", 2)
        self.paste(text, "Sanskrit-Times", "Vedic")
        vedic = self.expect(text, "--from", "Sanskrit-Times", "--to", "Vedic")
        # Copy: Windows-1252 text, or with "symbol font" U+F000 + byte.
        self.el("copy").click()
        browser.wait(lambda: "clipboard" in self.el("status").text, "the copy")
        self.assertEqual(self.read_clipboard(), browser.cp1252(vedic))
        self.el("symbol-font").click()
        self.el("copy").click()
        symbol = "".join(chr(0xF000 + b) if b >= 0x20 else chr(b) for b in vedic)
        self.assertEqual(self.read_clipboard(), symbol)
        # The preview is the Vedic bytes read as Unicode Devanagari, drawn in
        # the bundled font (fonts load when text uses them).
        expected = browser.sfconv("convert", "--from", "Vedic", "--to", "devanagari",
                                  input_bytes=vedic).decode()
        browser.wait(lambda: self.value("preview", "textContent") == expected, "the preview")
        self.assertTrue(self.driver.execute_async_script("""
            const done = arguments[0];
            document.fonts.ready.then(() => done([...document.fonts].some(
                f => f.family.includes('Noto Sans Devanagari') && f.status === 'loaded')));"""),
            "the bundled font was not loaded")

    def test_bytes_with_no_rule_are_listed_and_marked(self):
        self.empty("Sanskrit-Times", "Vedic")
        browser.put_text(self.driver, b"rAma\nka\x01ma")
        browser.wait(lambda: self.css("#report-text mark"), "the marked input")
        items = [li.text for li in self.css("#report li")]
        self.assertIn("line 2, column 3: SOH (byte 1)", items)
        self.assertEqual(len(self.css("#report-text mark")), len(items))
        # The place's button selects the byte in the input box.
        [b for b in self.css("#report li button") if b.text == "line 2, column 3"][0].click()
        self.assertEqual([self.value("input", "selectionStart"),
                          self.value("input", "selectionEnd")], [7, 8])

    def test_check_lists_what_sfconv_check_lists(self):
        text = gita_lines("gita.sanskrit-times.txt", 40)
        self.paste(text, "Sanskrit-Times", "Sanskrit 99")
        # The live conversion first: the output it fills moves the button down.
        self.expect(text, "--from", "Sanskrit-Times", "--to", "Sanskrit 99")
        self.el("check").click()
        expected = browser.sfconv("check", "-t", "Sanskrit-Times", "-d", "Sanskrit 99",
                                  input_bytes=text).decode()
        browser.wait(lambda: self.el("check-report").is_displayed(), "the check report")
        self.assertEqual(self.value("check-report", "textContent"), expected)

    def test_a_large_file_converts_in_the_worker_in_a_page_opened_as_a_file(self):
        """Its bytes kept, CR LF line ends too, and downloaded exactly."""
        browser.open_page(self.driver, (browser.SITE / "index.html").as_uri())
        self.assertEqual(self.value("output"), "श्री भगवान् उवाच")
        data = (DATA / "gita.itrtranstimes.txt").read_bytes().replace(b"\n", b"\r\n") * 5
        self.choose("from", "ITRTransTimes")
        self.choose("to", "Sanskrit 99")
        with tempfile.TemporaryDirectory() as folder:
            (pathlib.Path(folder) / "text.txt").write_bytes(data)
            self.el("open-file").send_keys(str(pathlib.Path(folder) / "text.txt"))
            browser.wait(lambda: "press Convert" in self.el("status").text, "the opened file")
        self.el("convert").click()
        browser.wait(lambda: "Converted" in self.el("status").text, "the worker", timeout=60)
        self.assertFalse(self.el("progress").is_displayed())
        expected = browser.sfconv("convert", "--from", "ITRTransTimes", "--to", "Sanskrit 99",
                                  input_bytes=data)
        self.assertEqual(self.download(), expected)

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

    def test_the_keyboard_reaches_the_controls_in_reading_order_and_converts(self):
        self.driver.execute_script("document.activeElement.blur(); window.scrollTo(0, 0);")
        order = []
        for _ in range(16):
            ActionChains(self.driver).send_keys(Keys.TAB).perform()
            order.append(self.driver.execute_script(
                "const e = document.activeElement; return e.id || e.className || e.tagName;"))
            if order[-1] == "open-file":
                # The hidden file picker's focus shows on its label, drawn as a button.
                self.assertNotEqual(self.driver.execute_script(
                    "return getComputedStyle(document.querySelector('label[for=open-file]'))"
                    ".outlineStyle;"), "none", "the file picker's focus is not visible")
        self.assertEqual(order, ["skip", "from", "input", "open-file", "clear-input", "swap", "to",
                                 "output", "copy", "download", "pivot", "dash-mode", "shift-m",
                                 "symbol-font", "live", "convert"])
        self.assertNotEqual(self.driver.execute_script(
            "document.getElementById('swap').focus();"
            "return getComputedStyle(document.getElementById('swap')).outlineStyle;"), "none")
        # The keyboard chooses another form, and the page converts to it.
        self.assertEqual(self.value("output"), "श्री भगवान् उवाच")
        self.el("to").send_keys(Keys.END)
        browser.wait(lambda: self.value("to") != "devanagari", "the chosen form")
        self.assertNotEqual(self.value("output"), "श्री भगवान् उवाच")

    def test_phone_sized_and_200_percent_zoomed_pages_do_not_scroll_sideways(self):
        for width, height in [(360, 740), (640, 500)]:  # a phone; 1280 x 1000 at 200 %
            with self.subTest(width=width):
                self.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
                    "width": width, "height": height, "deviceScaleFactor": 1, "mobile": width < 400})
                try:
                    browser.open_page(self.driver, self.url)
                    self.assertLessEqual(self.driver.execute_script(
                        "const e = document.documentElement; return e.scrollWidth - e.clientWidth;"), 0)
                    box = self.el("input").rect
                    self.assertLessEqual(box["x"] + box["width"], width)
                finally:
                    self.driver.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})


if __name__ == "__main__":
    for needed in [browser.SITE / "index.html", browser.SFCONV]:
        if not needed.exists():
            sys.exit(f"{needed} is missing: run scripts/build-web.sh and the release build first")
    result = unittest.main(exit=False, verbosity=2).result
    sys.exit(1 if result.failures or result.errors else 0)
