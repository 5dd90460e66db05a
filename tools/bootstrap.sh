#!/usr/bin/env bash
# Installs every Debian package that the build, the tests, the benchmarks, the fuzzers, the
# demo and the package check need, then configures and builds the client, its tests and
# benchmarks.
# Safe to run again: apt-get skips what is there, and the build is incremental.
# usage: tools/bootstrap.sh [--no-build]
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  cmake ninja-build g++ ccache pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-multimedia-dev qt6-translations-l10n
  libjpeg62-turbo-dev libwebp-dev libtiff-dev libheif-dev libcurl4-openssl-dev libssl-dev libicu-dev zlib1g-dev
  fontconfig fonts-ipafont-gothic fonts-noto-cjk fonts-liberation
  xvfb xauth imagemagick x11-apps
  python3 python3-pyftpdlib python3-aiosmtpd python3-cryptography python3-openssl
  clang-14 libclang-rt-14-dev clang-format-14
  libvips-tools curl time feh
  dpkg-dev lintian desktop-file-utils appstream libgtk-3-bin xdotool
)

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null; then
  as_root=(sudo)
else
  echo "bootstrap: run as root or install sudo" >&2
  exit 1
fi

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
    || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "bootstrap: installing ${missing[*]}"
  "${as_root[@]}" apt-get update -qq
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

[ "${1:-}" = "--no-build" ] && exit 0

cmake --preset default
cmake --build --preset default
