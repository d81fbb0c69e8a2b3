#!/usr/bin/env bash
# Full screen under Xvfb as a player sees it: exactly one pointer (the game's
# own; the desktop's is hidden), the frame letterboxed over the whole display,
# and a window that comes back at the size and place it had before full screen.
# Usage: full_screen.sh GAME_DIR POINTER_SHOT
set -euo pipefail
game_dir="$1"
pointer_shot="$2"
work="$(mktemp -d)"
# shellcheck source=../../support/virtual_display.sh
. "$(dirname "$0")/../../support/virtual_display.sh"
trap 'stop_virtual_display; rm -rf "$work"' EXIT

if ! command -v Xvfb >/dev/null || ! command -v xdotool >/dev/null; then echo "Xvfb or xdotool missing"; exit 77; fi
cp -r "$game_dir" "$work/game"
rm -f "$work/game/data/settings.dat" "$work/game/data/records.dat" "$work/game/data/boss.dat"

start_virtual_display 1280x800
export SDL_AUDIODRIVER=dummy VARNOK_NO_DIALOGS=1

# Waits until the engine log holds a line N times.
wait_log() {
  for _ in $(seq 150); do
    count=$(grep -c "$1" "$work/log" 2>/dev/null) || count=0
    [ "$count" -ge "$2" ] && return 0
    sleep 0.1
  done
  echo "timed out waiting for '$1' x$2"; cat "$work/log"; exit 1
}

# --- 1. full screen: one pointer, the display filled ---------------------
# The settings record with the window flag off (full screen).
printf '\x00\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x58\x00\x00\x01\x00\x00' > "$work/game/data/settings.dat"
printf '400 quit\n' > "$work/full.script"
VARNOK_ENGINE_SCRIPT="$work/full.script" VARNOK_ENGINE_LOG="$work/log" timeout 60 "$work/game/varnok" &
game=$!
wait_log "gamestate 3" 1
sleep 1  # the menu's first frames (the game centres its pointer at start)
xdotool mousemove 900 600
sleep 0.5
seen=$("$pointer_shot" "$work/full.ppm")
wait "$game"
[ "$seen" = "pointer hidden" ] || { echo "the desktop pointer shows over the game in full screen"; exit 1; }
convert "$work/full.ppm" "$work/full.png"
# 1280 x 800 is wider than 4:3: bars left and right, the frame in the 1067 px between.
bar=$(convert "$work/full.png" -crop 100x800+0+0 -format '%[fx:maxima.r+maxima.g+maxima.b]' info:)
frame=$(convert "$work/full.png" -crop 1000x800+140+0 -colorspace Gray -format '%[fx:standard_deviation]' info:)
awk -v b="$bar" 'BEGIN { exit !(b == 0) }' || { echo "the side bar is not black ($bar)"; exit 1; }
awk -v s="$frame" 'BEGIN { exit !(s > 0.02) }' || { echo "no frame across the display (spread $frame)"; exit 1; }
if [ -n "${VARNOK_KEEP_SCREENSHOTS:-}" ]; then cp "$work/full.png" "$VARNOK_KEEP_SCREENSHOTS/full-screen.png"; fi
echo "full screen: the game's pointer only; frame letterboxed over 1280x800 (spread $frame)"

# --- 2. window -> full screen -> window keeps the window's size and place ---
rm -f "$work/log" "$work/game/data/settings.dat"
printf '250 maximize\n' > "$work/to-full.script"   # the maximise box switches to full screen
printf '60 maximize\n' > "$work/to-window.script"  # and back (the game's Alt+Enter does the same)
printf '200 quit\n' > "$work/last.script"
VARNOK_ENGINE_SCRIPT="$work/to-full.script:$work/to-window.script:$work/last.script" VARNOK_ENGINE_LOG="$work/log" \
  timeout 60 "$work/game/varnok" &
wait_log "gamestate 3" 1
window=$(xdotool search --sync --name '^Varnok$' | head -1)
xdotool windowsize --sync "$window" 640 480
xdotool windowmove --sync "$window" 100 80
sleep 0.3
wait_log "open sdl" 3  # the relaunched full-screen game, then the window again
sleep 0.5
window=$(xdotool search --sync --name '^Varnok$' | head -1)
geometry=$(xdotool getwindowgeometry "$window")
wait_log "close" 3
echo "$geometry"
echo "$geometry" | grep -q "Position: 100,80" || { echo "the window did not come back to its place"; exit 1; }
echo "$geometry" | grep -q "Geometry: 640x480" || { echo "the window did not come back at its size"; exit 1; }
echo "window -> full screen -> window: back at 640x480+100+80"
