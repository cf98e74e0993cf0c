#!/usr/bin/env bash
# Drives the 32-bit native dialog for real: tessaro.exe under wine on Xvfb, typed into with
# xdotool in tab order (path, channel, IP address), Load pressed, and the stand-in camera must
# receive the byte-exact frame. Then opens "Tessaro 정보..." from the system menu. Screenshots go
# to build-wine-e2e/dialog-*.png. Runs in a network namespace of its own, so the dialog's fixed
# port 8399 is free whatever else this machine runs.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${TESSARO_IN_NAMESPACE:-}" ]; then
  # As another user, a user namespace of its own brings the network namespace.
  as_user=(); [ "$(id -u)" -eq 0 ] || as_user=(--map-root-user)
  exec env TESSARO_IN_NAMESPACE=1 unshare "${as_user[@]}" --net bash "$0" "$@"
fi
ip link set lo up

export WINEDEBUG=-all
export WINEPREFIX=${WINEPREFIX:-$PWD/build-wine}
work=$PWD/build-wine-e2e
mkdir -p "$work"
folder="$work/펌웨어/R7Z42WRS_대화상자"
mkdir -p "$folder"
sample="$folder/fw.bin"
head -c 200000 /dev/urandom >"$sample"
expected_sha=$(sha256sum "$sample" | cut -d' ' -f1)
windows_path="Z:${sample//\//\\}"

# The templates ask for 굴림 and wine's captions and menus for Tahoma, which Linux lacks: wine draws
# them with NanumGothic, as a Korean Windows draws them with its own Korean fonts.
for face in 굴림 Tahoma "MS Shell Dlg" "MS Shell Dlg 2"; do
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' /v "$face" \
    /d NanumGothic /f >/dev/null 2>&1
done

display=:$((150 + RANDOM % 100))
Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
log="$work/camsim-dialog.log"
build/bin/tessaro-camsim --port 8399 --connections 1 --idle-timeout 20000 >"$log" 2>&1 &
camsim=$!
cleanup() {
  kill "$camsim" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
sleep 1

# A wine desktop of its own: wine then draws the title bars and moves the keyboard focus to each
# new box, as Windows does, with no X window manager needed.
wine explorer /desktop=Tessaro,640x400 build-win32/bin/tessaro.exe &
timeout 60 xdotool search --sync --onlyvisible --name "Wine desktop" >/dev/null
sleep 3
shot() { import -window root "$work/dialog-$1.png"; }
key() { xdotool key --delay 100 "$@"; sleep 0.3; }

# The focus starts in the path box; then "...", Load, the channel combo, the IP control.
xdotool type --delay 20 "$windows_path"
key Tab Tab Tab
xdotool type --delay 50 "10"
key Tab
xdotool type --delay 50 "127.0.0.1"
shot filled
key shift+Tab shift+Tab  # back to Load
key space
# The stand-in ends after its one connection; give up on it after 30 s.
for _ in $(seq 300); do kill -0 "$camsim" 2>/dev/null || break; sleep 0.1; done
kill "$camsim" 2>/dev/null || true
wait "$camsim" 2>/dev/null || true
sleep 2.5  # the pause, then the bar returns to 0
shot loaded

status=0
if grep -q "file sha256:    $expected_sha" "$log" && grep -q "frame:          complete$" "$log" &&
  grep -q "channel byte:   0x10" "$log" && grep -q "model code:     3" "$log"; then
  echo "win32 tessaro.exe: byte-exact frame typed in by xdotool"
else
  echo "win32 tessaro.exe: FAILED"
  cat "$log"
  status=1
fi

key alt+space
shot system-menu
key Up Return
sleep 1
shot about
key Escape
key F1
shot help
key Return
key Escape
sleep 1
if pgrep -f 'bin/tessaro.exe' >/dev/null; then
  echo "win32 tessaro.exe: still open after Esc"
  status=1
fi
echo "screenshots: $work/dialog-*.png"
exit "$status"
