# Shared by the demo scripts (sourced, not run): sample photos, a customer record and the local
# demo shop.

# make_demo_home: a fresh home folder in $home, removed (and the demo shop of start_demo_shop
# stopped) when the script ends.
make_demo_home() {
  home=$(mktemp -d)
  shop_pid=
  trap 'kill "${shop_pid:-}" 2>/dev/null || true; rm -rf "$home"' EXIT
}

# make_demo_photos FOLDER COUNT: camera-sized JPEG gradients with a white disc, photo01.jpg …
# (at most six), made only when missing.
make_demo_photos() {
  local folder=$1 count=$2 i
  local colours=(skyblue-seagreen orange-firebrick khaki-olivedrab plum-midnightblue
                 lightpink-maroon aquamarine-teal)
  mkdir -p "$folder"
  for i in $(seq 1 "$count"); do
    [ -s "$folder/photo0$i.jpg" ] && continue
    convert -size 1600x1200 "gradient:${colours[$((i - 1))]}" \
      -fill white -draw "circle 800,600 800,$((250 + i * 40))" -quality 88 "$folder/photo0$i.jpg"
  done
}

# write_demo_customer HOME: the customer record of the demo (Shift-JIS) in HOME/Korvatel/User.
write_demo_customer() {
  mkdir -p "$1/Korvatel"
  printf 'Tab=ご自分,Name=山田太郎,Tel1=03-1234-5678,Mail=taro@example.jp,Zip=192-0000,%s\r\n' \
    'Adrs1=東京都八王子市明神町1-2-3,Acount=4321,Pass=123456' | iconv -f UTF-8 -t CP932 \
    >"$1/Korvatel/User"
}

# start_demo_shop SHOPDIR SERVERS_INI CLIENT: starts tools/demo-shop in SHOPDIR, writing the
# client's server configuration to SERVERS_INI, and waits for it; its process id is left in
# shop_pid. Fails when the shop does not start.
start_demo_shop() {
  local shopdir=$1 servers=$2 client=$3 ready=$1/ready.txt
  mkdir -p "$shopdir" "$(dirname "$servers")"
  rm -f "$ready"
  /usr/bin/python3 tools/demo-shop/demo_shop.py --root "$shopdir" --servers "$servers" \
    --state "$shopdir/state.ini" --program "$client" >"$ready" &
  shop_pid=$!
  for _ in $(seq 100); do
    grep -q READY "$ready" 2>/dev/null && return 0
    kill -0 "$shop_pid" 2>/dev/null || break
    sleep 0.1
  done
  echo "the demo shop did not start" >&2
  return 1
}

# register_demo_card HOME SERVERS_INI: registers the demo's test card at the card service of
# SERVERS_INI, as "クレジットカード登録" does, and keeps its token in HOME's card data
# (Korvatel/SysData/CardData.ini, 0600), so that card payments of the demo go through.
register_demo_card() {
  local url ca token data=$1/Korvatel/SysData/CardData.ini
  url=$(sed -n 's/\r$//; s/^CardURL=//p' "$2")
  ca=$(sed -n 's/\r$//; s/^CaFile=//p' "$2")
  token=$(curl -sf --cacert "$ca" -F client=Korvatel "$url/register.php" \
    | sed -n 's/\r$//; s/^Token=//p')
  [ -n "$token" ] || { echo "the demo card could not be registered" >&2; return 1; }
  mkdir -p "$(dirname "$data")"
  (umask 077 && printf 'CardURL=%s\r\nToken=%s\r\n' "$url" "$token" >"$data")
}

# await WINDOW_NAME_REGEX: waits for a visible window of that caption and prints its id (used
# inside the Xvfb shells of the demo scripts, which source this file again; $demo names the
# script in the message).
await() {
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1) && [ -n "$id" ] \
      && { sleep 0.7; echo "$id"; return 0; }
    sleep 0.3
  done
  echo "${demo:-demo}: no window \"$1\"" >&2
  return 1
}
