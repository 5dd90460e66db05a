#!/usr/bin/env bash
# Builds the Debian package, checks it (lintian, desktop-file-validate, appstreamcli), unpacks
# it into a temporary root and runs the installed programs from there: --version of both (the
# package fails when it trusts the demo's update key), korvatel-cli install-shop (its launcher
# is validated too) and the client under Xvfb, online against the local demo shop, saving a
# screenshot. With --install (as root) it then installs the package
# with apt-get, starts the client from the application menu's entries with gtk-launch under
# Xvfb against the demo shop, removes the package again and checks that the user's workspace
# was left as it was.
# usage: tools/check-package.sh [--install] [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
install=
if [ "${1:-}" = --install ]; then
  install=1
  shift
fi
build=$(realpath "${1:-build/default}")

cmake --build "$build" --target package
deb=$(ls -t "$build"/korvatel_*.deb | head -n 1)
echo "check-package: $deb"
dpkg-deb --field "$deb"

lintian --fail-on error "$deb"

root=$(mktemp -d)
. tools/demo-env.sh
trap 'kill "${shop_pid:-}" 2>/dev/null || true; rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
desktop-file-validate "$root"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml
# Neither program may trust the demo's update key, whose private half lies in this tree: their
# --version names the keys they trust, and the key's text must not be in their files either.
demo_key=$(grep -v -- ----- tools/demo-shop/demo-public-key.pem | tr -d '\r\n')
for program in korvatel korvatel-cli; do
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/$program" --version \
    | tee "$root/version.txt"
  if grep -qF "$demo_key" "$root/version.txt" || grep -aqF "$demo_key" "$root/usr/bin/$program"; then
    echo "check-package: $program trusts the demo update key; build the package without" \
      "KORVATEL_RELEASE_KEYS or with the distributor's own key" >&2
    exit 1
  fi
done

home=$root/home
mkdir -p "$home/.config/korvatel"
launchers=$(HOME=$home "$root/usr/bin/korvatel-cli" install-shop 1234)
for launcher in $launchers; do
  test -x "$launcher"
  desktop-file-validate "$launcher"
done
grep -qx "Exec=$root/usr/bin/korvatel 1234" $launchers

start_demo_shop "$root/shop" "$home/.config/korvatel/servers.ini" "$root/usr/bin/korvatel"
shot=$build/korvatel-package-window.png
rm -f "$shot"
HOME=$home xvfb-run -a -s "-screen 0 1280x800x24" \
  env -u XDG_CONFIG_HOME -u XDG_DATA_HOME -u XDG_CACHE_HOME -u KORVATEL_SERVERS \
  QT_QPA_PLATFORM=xcb "$root/usr/bin/korvatel" 1234 --unattended --screenshot="$shot" \
  2>&1 | tee "$build/check-package.log"
test -s "$shot"
if grep -q "基本情報のダウンロード失敗" "$build/check-package.log"; then
  echo "check-package: the installed client started offline" >&2
  exit 1
fi
echo "check-package: the unpacked client saved $shot"

[ -n "$install" ] || exit 0
tools/check-install.sh "$deb" "$build"
