#!/usr/bin/env bash
# The installer's real window under Xvfb and xcompmgr installs the demo package from a
# loopback demo server, driven by xdotool clicks: start page → custom page → install →
# the package's message → finished page → "立即体验". A screenshot of each page is left
# in OUTDIR (page0.png … page3.png).
#
#   install_gui.sh INSTALLER DEMO_SERVER DEMO_PACKAGE OUTDIR
set -uo pipefail
# GTK, D-Bus and the accessibility bridge keep what they set up until exit; in a
# sanitizer build the leak check is left to the headless tests, where our own code
# runs without them.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

installer="$1"
server_bin="$2"
package="$3"
outdir="$4"
mkdir -p "$outdir"
rm -f "$outdir"/page*.png "$outdir"/installer.log
scratch=$(mktemp -d /tmp/velquin-gui.XXXXXX)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  [ -f "$outdir/installer.log" ] && grep -v '^<P' "$outdir/installer.log" | tail -20 >&2
  exit 1
}
for tool in Xvfb xcompmgr xdotool import xdpyinfo; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/setup installs it)"
done

# A free display among :80…:89 (the framework's smoke test takes :90…:99).
source "$(dirname "$0")/../support/xvfb.sh"
start_xvfb "$outdir/xvfb.log" 80 81 82 83 84 85 86 87 88 89 && pids+=("$xvfb_pid")
[ -n "$display" ] || fail "no Xvfb display could be started"
export DISPLAY="$display"
xcompmgr >/dev/null 2>&1 &
pids+=($!)

export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data" \
       XDG_RUNTIME_DIR="$scratch/runtime" TMPDIR="$scratch/tmp"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR" "$TMPDIR"
chmod 700 "$XDG_RUNTIME_DIR"

# A capped rate keeps the installing page on screen long enough to be seen.
"$server_bin" "$package" --port=0 --rate=600000 >"$scratch/server.out" 2>&1 &
pids+=($!)
for _ in $(seq 1 100); do [ -s "$scratch/server.out" ] && break; sleep 0.1; done
url=$(sed -n 1p "$scratch/server.out")
[ -n "$url" ] || fail "demo server did not start"

"$installer" -downloadurl="$url" -isenableappsensors=false >"$outdir/installer.log" 2>&1 &
installer_pid=$!
pids+=("$installer_pid")

# The main window: its id and origin.
wid=""
for _ in $(seq 1 300); do
  wid=$(xdotool search --onlyvisible --name '^Velquin$' 2>/dev/null | head -1)
  [ -n "$wid" ] && break
  sleep 0.1
done
[ -n "$wid" ] || fail "the main window did not appear"
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$wid")"
wx=$X
wy=$Y

click() {  # click at a point of the main window
  xdotool mousemove $((wx + $1)) $((wy + $2)) sleep 0.2 click 1
  sleep 0.6
}
shot() { import -window root "$outdir/$1.png" || fail "screenshot $1"; }

shot page0
click 530 374          # customeBtn
shot page1
click 300 333          # customeInstallBtn
sleep 1
shot page2

# The demo package sends a message at the end; close its tip with its close button.
tip=""
for _ in $(seq 1 600); do
  tip=$(xdotool search --onlyvisible --name '^消息框$' 2>/dev/null | head -1)
  [ -n "$tip" ] && break
  kill -0 "$installer_pid" 2>/dev/null || fail "the installer ended early"
  sleep 0.1
done
[ -n "$tip" ] || fail "the package's message did not appear"
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$tip")"
xdotool mousemove $((X + 345)) $((Y + 15)) sleep 0.2 click 1
sleep 1
shot page3

# The custom page kept the proposed folder, so the installation went there.
folder=$(sed -n 's/^InstallPath=//p' "$XDG_CONFIG_HOME/ZorVaneSoft/Velquin/registry.ini" 2>/dev/null)
[ -n "$folder" ] || fail "no registry record"
case "$folder" in
  "$XDG_DATA_HOME"/*|"$HOME"/*|/opt/*) ;;
  *) fail "installed outside the proposed folders: $folder" ;;
esac
[ -x "$folder/vuvIroridazaDirizode.exe" ] || fail "the product is not in $folder"

click 300 233          # openProduceBtn
for _ in $(seq 1 100); do
  kill -0 "$installer_pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$installer_pid" 2>/dev/null && fail "the window did not close after 立即体验"
wait "$installer_pid"
code=$?
[ "$code" -eq 0 ] || fail "installer exited with $code"
echo "PASS: installed into $folder; screenshots in $outdir"
