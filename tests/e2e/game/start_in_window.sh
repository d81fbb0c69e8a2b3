#!/usr/bin/env bash
# Starts the real game in a real SDL window under Xvfb, lets it reach the main
# menu, takes a screenshot through the engine and checks that the frame shows
# the menu (not a black or empty frame), then quits through the script.
set -euo pipefail
game_dir="$1"
work="$(mktemp -d)"
# shellcheck source=../../support/virtual_display.sh
. "$(dirname "$0")/../../support/virtual_display.sh"
trap 'stop_virtual_display; rm -rf "$work"' EXIT

if ! command -v Xvfb >/dev/null; then echo "Xvfb is not installed"; exit 77; fi
cp -r "$game_dir" "$work/game"
rm -f "$work/game/data/settings.dat" "$work/game/data/records.dat" "$work/game/data/boss.dat"

start_virtual_display 1024x768

printf '90 shot %s\n100 quit\n' "$work/menu.png" > "$work/script"
SDL_AUDIODRIVER=dummy VARNOK_NO_DIALOGS=1 \
  VARNOK_ENGINE_SCRIPT="$work/script" VARNOK_ENGINE_LOG="$work/log" \
  timeout 60 "$work/game/varnok"

grep -q "gamestate 3" "$work/log" || { echo "the game never reached the main menu"; cat "$work/log"; exit 1; }
[ -s "$work/menu.png" ] || { echo "no screenshot"; exit 1; }
size=$(identify -format '%wx%h' "$work/menu.png")
[ "$size" = "800x600" ] || { echo "screenshot is $size, not 800x600"; exit 1; }
# A menu frame has a picture: its brightness varies across the frame.
spread=$(convert "$work/menu.png" -colorspace Gray -format '%[fx:standard_deviation]' info:)
awk -v s="$spread" 'BEGIN { exit !(s > 0.02) }' || { echo "the frame is flat (spread $spread)"; exit 1; }
if [ -n "${VARNOK_KEEP_SCREENSHOTS:-}" ]; then cp "$work/menu.png" "$VARNOK_KEEP_SCREENSHOTS/"; fi
echo "main menu reached in a real window; frame spread $spread"
