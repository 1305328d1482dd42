#!/usr/bin/env bash
# Builds the Debian package from the build tree and checks it: its files,
# lintian, the desktop entry, the manual pages, the bash completion, and the
# programs as the package installs them.
# usage: package_test.sh BUILD_DIR SOURCE_DIR VERSION BUILD_TREE_SFCONV
set -euo pipefail

build_dir=$1 source_dir=$2 version=$3 build_sfconv=$4

for tool in cpack dpkg-deb dpkg-shlibdeps lintian desktop-file-validate man readelf; do
  if ! command -v "$tool" > /dev/null; then
    echo "SKIP: $tool is not installed (scripts/setup-debian.sh installs it)"
    exit 77
  fi
done

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

scratch=$build_dir/package-test
rm -rf "$scratch"
mkdir -p "$scratch"

# The package.
debs=()
if cpack -G DEB --config "$build_dir/CPackConfig.cmake" -B "$scratch" > "$scratch/cpack.log" 2>&1; then
  debs=("$scratch"/sanskrit-font-converter_*.deb)
fi
deb=${debs[0]:-}
[ -f "$deb" ] || {
  cat "$scratch/cpack.log"
  echo "FAIL: cpack made no package"
  exit 1
}
echo "package: $(basename "$deb")"

# Control fields, each a pattern.
for check in Package=sanskrit-font-converter "Version=$version-1" Section=text Priority=optional \
  "Maintainer=Sanskrit Font Converter project <*>" "Depends=*libqt6widgets6*" "Depends=*libzip4*"; do
  value=$(dpkg-deb -f "$deb" "${check%%=*}")
  # shellcheck disable=SC2053
  [[ $value == ${check#*=} ]] || fail "${check%%=*} is $value, not ${check#*=}"
done

# The files.
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' > "$scratch/contents.txt"
doc=/usr/share/doc/sanskrit-font-converter
expected=(/usr/bin/sfconv /usr/bin/sanskrit-font-converter
          /usr/share/applications/sanskrit-font-converter.desktop
          /usr/share/icons/hicolor/scalable/apps/sanskrit-font-converter.svg
          /usr/share/man/man1/sfconv.1.gz /usr/share/man/man1/sanskrit-font-converter.1.gz
          /usr/share/bash-completion/completions/sfconv
          "$doc/README.md" "$doc/ARCHITECTURE.md" "$doc/copyright" "$doc/changelog.Debian.gz")
for size in 16 22 24 32 48 64 128 256; do
  expected+=("/usr/share/icons/hicolor/${size}x$size/apps/sanskrit-font-converter.png")
done
for path in "${expected[@]}"; do
  grep -qx -- "$path" "$scratch/contents.txt" || fail "the package lacks $path"
done

# lintian: no errors; warnings are printed.
echo "--- lintian"
lintian --fail-on error --display-info "$deb" 2>&1 || fail "lintian reports errors"
echo "---"

# Unpacked.
root=$scratch/root
dpkg -x "$deb" "$root"

desktop-file-validate "$root/usr/share/applications/sanskrit-font-converter.desktop" ||
  fail "desktop-file-validate rejects the desktop entry"

for page in "$root"/usr/share/man/man1/*.1.gz; do
  if ! LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l -Tutf8 "$page" > /dev/null 2> "$scratch/man.err" ||
    [ -s "$scratch/man.err" ]; then
    cat "$scratch/man.err"
    fail "man warns about $(basename "$page")"
  fi
done

for program in "$root"/usr/bin/*; do
  if readelf -d "$program" | grep -Eq 'RPATH|RUNPATH'; then fail "$program has an RPATH"; fi
  if readelf -S "$program" | grep -q '\.symtab'; then fail "$program is not stripped"; fi
done

# The changelog's latest entry is this version.
changelog_version=$(gzip -dc "$root$doc/changelog.Debian.gz" | sed -n '1s/.*(\(.*\)).*/\1/p')
[ "$changelog_version" = "$version-1" ] ||
  fail "changelog.Debian.gz starts with $changelog_version, not $version-1"

# sfconv as installed: the version, and the Gita converted as the build tree's
# sfconv converts it.
sfconv=$root/usr/bin/sfconv
[ "$("$sfconv" --version)" = "sfconv $version" ] ||
  fail "sfconv --version prints \"$("$sfconv" --version)\", not \"sfconv $version\""
gita=$source_dir/tests/data/gita.sanskrit-times.txt
"$sfconv" to-devanagari -i "$gita" -o "$scratch/gita.installed"
"$build_sfconv" to-devanagari -i "$gita" -o "$scratch/gita.build"
if ! cmp -s "$scratch/gita.installed" "$scratch/gita.build"; then
  fail "the installed sfconv converts the Gita differently from the build tree's"
fi
lines=$(wc -l < "$scratch/gita.installed")
[ "$lines" -eq "$(wc -l < "$gita")" ] || fail "the Gita came out as $lines lines"

# The bash completion: subcommands, and font names quoted by readline.
completions=$(
  bash -c '
    source "$1"
    complete_line() {
      COMP_WORDS=("$@")
      COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
      COMPREPLY=()
      _sfconv
      printf "%s|" "${COMPREPLY[@]}"
      echo
    }
    complete_line sfconv to-
    complete_line sfconv to-devanagari -t URW
    complete_line sfconv to-devanagari -d "\"Dev"
    complete_line sfconv convert --from = Sanskrit
    complete_line sfconv tables --ex
  ' bash "$root/usr/share/bash-completion/completions/sfconv"
)
expected_completions='to-devanagari|to-translit|
URW Palladio IT|
Dev Natraj ITR|
Sanskrit-Times|Sanskrit 99|
--export|'
[ "$completions" = "$expected_completions" ] ||
  fail "bash completion offers"$'\n'"$completions"$'\n'"instead of"$'\n'"$expected_completions"

# The window starts (offscreen) and keeps running until it is ended.
mkdir -p "$scratch/home"
HOME=$scratch/home QT_QPA_PLATFORM=offscreen timeout 5 "$root/usr/bin/sanskrit-font-converter" \
  > "$scratch/window.log" 2>&1 &
window=$!
sleep 2
kill -TERM "$window" 2> /dev/null || fail "the window did not stay open"
window_status=0
wait "$window" || window_status=$?
case $window_status in
  124 | 143) ;;
  *)
    cat "$scratch/window.log"
    fail "the window ended with status $window_status"
    ;;
esac

if ((failures)); then
  echo "$failures check(s) failed"
  exit 1
fi
echo "package checks passed"
