#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the benchmarks need.
# Packages already installed are not fetched again.
set -euo pipefail

packages=(g++ cmake ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev
          clang-format clang libclang-rt-14-dev hyperfine time
          qt6-base-dev libgl-dev python3-fonttools fonts-dejavu-core fonts-liberation2
          fonts-noto-core
          xvfb xauth xdotool xclip x11-utils dbus-daemon at-spi2-core libglib2.0-bin
          dpkg-dev lintian desktop-file-utils man-db librsvg2-bin
          libzip-dev libpugixml-dev python3-docx python3-odf libreoffice-writer-nogui
          emscripten nodejs python3-brotli chromium chromium-driver python3-selenium)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
fi
