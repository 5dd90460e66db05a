#!/usr/bin/env bash
# Installs a built Debian package with apt-get as a user's machine would, starts the client the
# way a user does (the application menu's entries, launched by gtk-launch under Xvfb) against
# the local demo shop, then removes the package and checks that the user's workspace is left
# exactly as it was. Runs as root; the package is removed again even when a check fails.
# usage: tools/check-install.sh DEB BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
deb=$(realpath "$1")
build=$(realpath "$2")
if [ "$(id -u)" -ne 0 ]; then
  echo "check-install: run as root (it installs the package)" >&2
  exit 1
fi
if dpkg-query -W -f='${Status}' korvatel 2>/dev/null | grep -q "install ok installed"; then
  echo "check-install: korvatel is installed already; not touching it" >&2
  exit 1
fi

. tools/demo-env.sh
make_demo_home
work=$(mktemp -d)
trap 'kill "${shop_pid:-}" 2>/dev/null || true; rm -rf "$home" "$work"
      dpkg-query -W korvatel >/dev/null 2>&1 && apt-get remove -y -qq korvatel >/dev/null 2>&1
      true' EXIT

DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >"$work/apt.log" 2>&1 \
  || { cat "$work/apt.log"; exit 1; }
test "$(command -v korvatel)" = /usr/bin/korvatel
korvatel-cli --version
app_id=$(basename "$(dpkg -L korvatel | grep '^/usr/share/applications/.*\.desktop$')" .desktop)
echo "check-install: installed; menu entry $app_id"

# A customer's home with a workspace and photos, and a shop launcher as a shop hands it out.
make_demo_photos "$home/Pictures" 2
write_demo_customer "$home"
HOME=$home korvatel-cli install-shop 1234 >/dev/null
start_demo_shop "$work/shop" "$home/.config/korvatel/servers.ini" /usr/bin/korvatel

# launch ENTRY SHOT: starts the menu entry ENTRY with gtk-launch under Xvfb, waits for the main
# window, saves a screenshot and stops the client. A virtual screen that went away before the
# client reached it is the machine's fault, not the package's: that start is tried once more on a
# new screen.
launch() {
  launch_once "$@" && return 0
  grep -q "could not connect to display" "$work/client.log" || return 1
  echo "check-install: the virtual screen did not answer; starting $1 again on another one"
  launch_once "$@"
}
launch_once() {
  HOME=$home xvfb-run -a -n $((200 + RANDOM % 300)) -s "-screen 0 1280x800x24" \
    env -u XDG_CONFIG_HOME -u XDG_DATA_HOME -u XDG_CACHE_HOME -u KORVATEL_SERVERS \
    -u XDG_DATA_DIRS QT_QPA_PLATFORM=xcb bash -c '
      set -e
      gtk-launch "$0"
      for _ in $(seq 100); do
        id=$(xdotool search --onlyvisible --name "^Korvatel$" 2>/dev/null | head -n 1) || true
        [ -n "$id" ] && break
        sleep 0.3
      done
      [ -n "$id" ] || { echo "check-install: no main window from $0" >&2; exit 1; }
      # The first start greets with a notice before it fetches the price tables: answer OK.
      sleep 2
      xdotool mousemove 629 439 click 1
      sleep 6
      import -window root "$1"
      pkill -TERM -x korvatel || true
      for _ in $(seq 50); do pgrep -x korvatel >/dev/null || exit 0; sleep 0.2; done
      pkill -KILL -x korvatel || true' "$1" "$2" >"$work/client.log" 2>&1 \
    || { cat "$work/client.log"; return 1; }
  test -s "$2"
  if grep -q "基本情報のダウンロード失敗" "$work/client.log"; then
    echo "check-install: the installed client started offline" >&2
    return 1
  fi
}
launch korvatel-shop-1234 "$build/korvatel-installed-shop.png"
# The package's own entry starts the shop the customer used last.
launch "$app_id" "$build/korvatel-installed-menu.png"
grep -q "LastShop\|1234" "$home/.config/korvatel/windows/LastShop.ini"
echo "check-install: started from both menu entries"

# Removing the package leaves the user's files alone.
listing() { (cd "$home" && find . -path ./.cache -prune -o -type f -printf '%p %s %T@\n' | sort); }
listing >"$work/before"
DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq korvatel >"$work/apt.log" 2>&1 \
  || { cat "$work/apt.log"; exit 1; }
listing >"$work/after"
diff "$work/before" "$work/after"
test ! -e /usr/bin/korvatel
test ! -e "/usr/share/applications/$app_id.desktop"
test -s "$home/Korvatel/User"
echo "check-install: removed; the workspace is untouched ($(wc -l <"$work/after") files)"
