"""The web page's figures beside native sfconv: conversion speed in node and
in headless Chromium on the Gita repeated to 10 MB, the page's ready time
(module compiled, first conversion shown) on a local server, and the site's
size gzip-compressed. Run scripts/bench-web.sh."""

import gzip
import json
import os
import pathlib
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = pathlib.Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tests" / "web"))
import browser  # noqa: E402

SFCONV = ROOT / "build" / "bin" / "sfconv"
MODULE = ROOT / "build-wasm" / "bin" / "converter.js"
SIZE = 10_000_000

CASES = [  # name, sfconv arguments, module options, input
    ("to Devanagari (Vedic)", ["to-devanagari", "-d", "Vedic"],
     {"command": "to-devanagari", "devanagariFont": "Vedic"}, "translit"),
    ("to transliteration (Vedic)", ["to-translit", "-d", "Vedic"],
     {"command": "to-translit", "devanagariFont": "Vedic"}, "glyphs"),
    ("font to Unicode Devanagari", ["convert", "--from", "Sanskrit-Times", "--to", "devanagari"],
     {"command": "convert", "from": "Sanskrit-Times", "to": "devanagari"}, "translit"),
]


def best_of(runs, action):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        action()
        times.append(time.perf_counter() - start)
    return min(times)


def main():
    tmp = pathlib.Path(tempfile.mkdtemp(prefix="sfc-bench-web-"))
    try:
        gita = (ROOT / "tests" / "data" / "gita.sanskrit-times.txt").read_bytes()
        translit = (gita * (SIZE // len(gita) + 1))[:SIZE]
        translit = translit[:translit.rfind(b"\n") + 1]
        inputs = {"translit": tmp / "translit.txt", "glyphs": tmp / "glyphs.txt"}
        inputs["translit"].write_bytes(translit)
        subprocess.run([str(SFCONV), "to-devanagari", "-d", "Vedic", "-i", str(inputs["translit"]),
                        "-o", str(inputs["glyphs"])], check=True)

        # The site served with the inputs beside it.
        served = tmp / "site"
        shutil.copytree(browser.SITE, served)
        for path in inputs.values():
            shutil.copy(path, served / path.name)

        rows = []
        with browser.serve(served) as url, browser.chromium() as (driver, _):
            ready = []
            for _ in range(5):
                browser.open_page(driver, url)
                ready.append(int(driver.execute_script("return document.body.dataset.readyMs")))
            for name, args, options, which in CASES:
                path = inputs[which]
                mb = path.stat().st_size / 1e6
                native = best_of(3, lambda: subprocess.run(
                    [str(SFCONV), *args, "-i", str(path), "-o", os.devnull], check=True))
                node = float(subprocess.run(
                    ["node", str(ROOT / "bench" / "web" / "bench_node.js"), str(MODULE), str(path),
                     json.dumps(options)], check=True, capture_output=True, text=True).stdout)
                page = driver.execute_async_script("""
                    const [name, options, done] = arguments;
                    fetch(name).then(r => r.arrayBuffer()).then(async (buffer) => {
                      const input = new Uint8Array(buffer);
                      const m = await createConverterModule();
                      const c = new m.Converter();
                      let best = Infinity;
                      for (let run = 0; run < 3; ++run) {
                        const start = performance.now();
                        const s = new m.Stream(c, options);
                        for (let at = 0; at < input.length; at += 1 << 18) s.feed(input.subarray(at, at + (1 << 18)));
                        s.finish();
                        s.delete();
                        best = Math.min(best, performance.now() - start);
                      }
                      done(best / 1000);
                    });""", path.name, options)
                rows.append((name, mb / native, mb / node, mb / page))

        site_bytes = sum(f.stat().st_size for f in browser.SITE.rglob("*") if f.is_file())
        site_gzip = sum(len(gzip.compress(f.read_bytes(), 9))
                        for f in browser.SITE.rglob("*") if f.is_file())
        print(f"Gita repeated to {SIZE / 1e6:.0f} MB; MB/s, best of 3:")
        print(f"{'':30} {'native':>8} {'node':>8} {'chromium':>9}")
        for name, native, node, page in rows:
            print(f"{name:30} {native:8.1f} {node:8.1f} {page:9.1f}   "
                  f"(node {node / native:.0%}, chromium {page / native:.0%} of native)")
        print(f"page ready on a local server: median {statistics.median(ready)} ms "
              f"(of {len(ready)}: {', '.join(map(str, ready))})")
        print(f"site: {site_bytes / 1e6:.2f} MB, {site_gzip / 1e6:.2f} MB gzip-compressed")
    finally:
        shutil.rmtree(tmp, ignore_errors=True)


if __name__ == "__main__":
    main()
