#!/usr/bin/env bash
# Starts the standalone app under a virtual display, with a JACK dummy server
# so that audio (and with it the physics) runs, and saves a PNG of its window.
#
#   tools/screenshot.sh [OUTPUT.png] [APP]
#
# With REBONDO_SHOT_KEYS set (e.g. "adgk"), those computer keys are held down
# on the virtual display before the picture is taken, so that balls fly.
#
# OUTPUT defaults to docs/screenshot.png; APP to the first standalone build
# found (Release before Debug). Needs Xvfb, jackd, xwd, xwininfo and python3
# (scripts/setup.sh installs them). Everything it starts is stopped on exit;
# the whole run is limited to about a minute.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
output="${1:-$root/docs/screenshot.png}"
app="${2:-}"

if [ -z "$app" ]; then
  for candidate in \
      "$root/build-release/Rebondo_artefacts/Release/Standalone/Rebondo" \
      "$root/build/Rebondo_artefacts/Release/Standalone/Rebondo" \
      "$root/build/Rebondo_artefacts/Debug/Standalone/Rebondo"; do
    if [ -x "$candidate" ]; then app="$candidate"; break; fi
  done
fi
[ -n "$app" ] && [ -x "$app" ] || { echo "screenshot: no standalone build found (build the Rebondo_Standalone target)" >&2; exit 1; }

work="$(mktemp -d)"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  sleep 0.5
  for pid in "${pids[@]}"; do
    kill -9 "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

# A display number nobody uses.
display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
  display=$((display + 1))
done

timeout 90 Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)

# A JACK server of our own name, so that other servers on the machine are left alone.
server="rebondo_shot_$$"
export JACK_NO_AUDIO_RESERVATION=1
timeout 90 jackd -n "$server" --no-realtime -d dummy -r 48000 -p 512 >"$work/jackd.log" 2>&1 &
pids+=($!)

# A fresh home whose standalone settings select JACK, so the app never
# touches the real user's settings or presets.
mkdir -p "$work/home/.config"
cat >"$work/home/.config/Rebondo.settings" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<PROPERTIES>
  <VALUE name="audioSetup">
    <DEVICESETUP deviceType="JACK" audioOutputDeviceName="system" audioDeviceRate="48000.0"
                 audioDeviceBufferSize="512"/>
  </VALUE>
</PROPERTIES>
XML

sleep 2

export DISPLAY=":$display"
HOME="$work/home" JACK_DEFAULT_SERVER="$server" timeout 60 "$app" >"$work/app.log" 2>&1 &
pids+=($!)

# Wait for the window, then give the editor time to draw a few frames.
geometry=""
for _ in $(seq 1 60); do
  # The main window named Rebondo: "WxH+x+y  +absX+absY" (smaller ones are icons).
  while IFS= read -r line; do
    if [[ "$line" =~ ([0-9]+)x([0-9]+)[+-][0-9]+[+-][0-9]+\ +\+([0-9]+)\+([0-9]+) ]]; then
      w="${BASH_REMATCH[1]}"; h="${BASH_REMATCH[2]}"; x="${BASH_REMATCH[3]}"; y="${BASH_REMATCH[4]}"
      if [ "$w" -ge 600 ] && [ "$h" -ge 400 ]; then geometry="$x $y $w $h"; break; fi
    fi
  done < <(xwininfo -root -tree 2>/dev/null | grep '"Rebondo": (' || true)
  [ -z "$geometry" ] || break
  sleep 0.5
done
[ -n "$geometry" ] || { echo "screenshot: the app's window did not appear" >&2; cat "$work/app.log" >&2; exit 1; }
sleep 3

if [ -n "${REBONDO_SHOT_KEYS:-}" ]; then
  timeout 20 /usr/bin/python3 "$root/tools/hold_keys.py" "$REBONDO_SHOT_KEYS"
  sleep 0.5
fi

timeout 20 xwd -root -silent >"$work/screen.xwd"
mkdir -p "$(dirname "$output")"
# shellcheck disable=SC2086
/usr/bin/python3 "$root/tools/xwd_to_png.py" "$work/screen.xwd" "$output" $geometry
echo "screenshot: $output ($geometry)"
