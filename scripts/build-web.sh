#!/usr/bin/env bash
# Builds the web page into build-web/site/: the converter as WebAssembly
# (emscripten, preset wasm; the same sources as the desktop build), the page,
# and Noto Sans Devanagari as WOFF2 with its licence. The site works from a
# file (open build-web/site/index.html) and from any static server.
set -euo pipefail
cd "$(dirname "$0")/.."

# Debian's emscripten finds its JavaScript tools (acorn) through NODE_PATH.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD}
if command -v ccache >/dev/null; then export CMAKE_CXX_COMPILER_LAUNCHER=ccache; fi

# emcmake passes node a flag that node 20 no longer knows; the build runs the
# table generator under plain node.
emcmake cmake --preset wasm -DCMAKE_CROSSCOMPILING_EMULATOR="$(command -v node)" >/dev/null
cmake --build build-wasm --target sfc_web -j2

site=build-web/site
rm -rf "$site"
mkdir -p "$site/fonts"
font=/usr/share/fonts/truetype/noto/NotoSansDevanagari-Regular.ttf
/usr/bin/python3 - "$font" "$site" <<'PY'
import base64, json, pathlib, re, sys
from fontTools.ttLib import TTFont

font_path, site = sys.argv[1], pathlib.Path(sys.argv[2])
web = pathlib.Path('web')

# The font as WOFF2, inlined into the style sheet: a page opened as a file
# may not fetch fonts beside it.
font = TTFont(font_path)
font.flavor = 'woff2'
woff2 = site / 'fonts' / 'NotoSansDevanagari-Regular.woff2'
font.save(woff2)
data = 'data:font/woff2;base64,' + base64.b64encode(woff2.read_bytes()).decode()
css = (web / 'style.css').read_text()
css = css.replace('url("fonts/NotoSansDevanagari-Regular.woff2")', f'url("{data}")')
(site / 'style.css').write_text(css)

# The module's source as a string: the page and its worker both run it from
# a blob, which works from file:// too.
module = pathlib.Path('build-wasm/bin/converter.js').read_text()
(site / 'converter-source.js').write_text('self.sfcConverterSource = ' + json.dumps(module) + ';\n')

# The page's module inlined: a file:// page may not load module scripts.
html = (web / 'index.html').read_text()
app = (web / 'app.js').read_text()
tag = '<script type="module" src="app.js"></script>'
assert tag in html
html = html.replace(tag, '<script type="module">\n' + app.replace('</script', '<\\/script') + '</script>')
(site / 'index.html').write_text(html)
PY
cp /usr/share/doc/fonts-noto-core/copyright "$site/fonts/NotoSansDevanagari-LICENSE.txt"
echo "built $site/index.html ($(du -sh "$site" | cut -f1))"
