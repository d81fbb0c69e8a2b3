#!/usr/bin/env bash
# A run played in a real SDL window under Xvfb through real X key events
# (XTest, by xdotool) while every core is busy, quit through the dialog; its
# replay, re-run headless by `varnok --verify`, must print the end the window
# recorded in the file. Then `varnok --replay` plays it in a window to its
# end, and again until Esc, writing none of the player's files.
# Usage: real_keys_replay.sh GAME_DIR REPLAY_END
set -euo pipefail
game_dir="$1"
replay_end="$2"
work="$(mktemp -d)"
# shellcheck source=../../support/virtual_display.sh
. "$(dirname "$0")/../../support/virtual_display.sh"
game_pid=""
busy_pids=()
cleanup() {
  for pid in "${busy_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  if [ -n "$game_pid" ]; then kill "$game_pid" 2>/dev/null || true; wait "$game_pid" 2>/dev/null || true; fi
  stop_virtual_display
  rm -rf "$work"
}
trap cleanup EXIT

if ! command -v Xvfb >/dev/null || ! command -v xdotool >/dev/null; then echo "Xvfb or xdotool missing"; exit 77; fi
cp -r "$game_dir" "$work/game"
rm -f "$work/game/data/settings.dat" "$work/game/data/records.dat" "$work/game/data/boss.dat"
replay="$work/game/data/replays/last.vreplay"
start_virtual_display 1024x768

# Whether the engine log has shown a game state within the seconds given (30 by default).
reached() {
  for _ in $(seq "$(( ${2:-30} * 10 ))"); do
    grep -q " gamestate $1\$" "$work/log" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}
wait_state() { reached "$1" || { echo "the game never reached state $1"; cat "$work/log"; exit 1; }; }
# Holds keys for a while (seconds), then lets them go.
hold() {
  local seconds=$1
  shift
  xdotool keydown "$@"
  sleep "$seconds"
  xdotool keyup "$@"
}

(cd "$work/game" && HOME="$work" SDL_AUDIODRIVER=dummy VARNOK_NO_DIALOGS=1 VARNOK_SEED=1770 \
  VARNOK_ENGINE_LOG="$work/log" exec ./varnok) 2>"$work/stderr" &
game_pid=$!
wait_state 3
window=$(timeout 20 xdotool search --sync --name '^Varnok$' | head -1)
[ -n "$window" ] || { echo "no game window"; exit 1; }
xdotool windowfocus --sync "$window"

# Every core busy from here to the end of the run.
for _ in $(seq "$(( $(nproc) > 2 ? $(nproc) : 2 ))"); do
  bash -c 'while ((SECONDS < 300)); do :; done' &
  busy_pids+=($!)
done

hold 0.1 Return  # "start", the main menu's first item
wait_state 2
# Aiming up in place (Z), the hero fires at the first drone; then he walks
# right firing, jumping now and then.
hold 1.5 Up z ctrl Right
xdotool keydown ctrl
for _ in 1 2 3 4; do
  hold 1.2 Right
  hold 0.15 Up
  hold 0.4 Right Up
done
hold 0.5 x  # a grenade
xdotool keyup ctrl
# Esc opens the quit dialog in play, not in the pause after a lost life.
for _ in $(seq 10); do
  hold 0.1 Escape
  reached 14 3 && break
done
wait_state 14
hold 0.1 Return  # "yes"
for _ in $(seq 300); do [ -s "$replay" ] && break; sleep 0.1; done
[ -s "$replay" ] || { echo "no replay written"; cat "$work/log"; exit 1; }
for pid in "${busy_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
busy_pids=()
kill "$game_pid"
wait "$game_pid" 2>/dev/null || true
game_pid=""

recorded=$("$replay_end" "$replay")
verdict=$("$work/game/varnok" --verify "$replay")
echo "recorded: $recorded"
echo "verified: $verdict"
[ "$verdict" = "$recorded" ] || { echo "the re-run does not come to the recorded end"; exit 1; }
grep -q '"outcome":"quit"' <<< "$recorded" || { echo "the run was not quit through the dialog"; exit 1; }

# Watched in a window: it plays to its end and the game ends by itself.
sums() { sha256sum "$work/game/data/settings.dat" "$work/game/data/records.dat" "$work/game/data/replays/"*; }
before=$(sums)
watch() {
  (cd "$work/game" && HOME="$work" SDL_AUDIODRIVER=dummy VARNOK_NO_DIALOGS=1 VARNOK_ENGINE_LOG="$work/watch-log" \
    exec ./varnok --replay "$replay") 2>>"$work/stderr" &
  game_pid=$!
}
frames=$(sed -n 's/.*"frames":\([0-9]*\).*/\1/p' <<< "$recorded")
watch
# The run's frames at 15 ms, the two seconds on its end, and room for a slow machine.
for _ in $(seq $(( frames * 15 / 100 * 3 + 300 ))); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$game_pid" 2>/dev/null && { echo "the replay did not end"; exit 1; }
wait "$game_pid" || { echo "watching the replay failed"; cat "$work/stderr"; exit 1; }
game_pid=""
# Esc in the middle ends it at once.
watch
window=$(timeout 20 xdotool search --sync --name '^Varnok$' | head -1)
[ -n "$window" ] || { echo "no window for the replay"; exit 1; }
xdotool windowfocus --sync "$window"
sleep 2
hold 0.1 Escape
for _ in $(seq 50); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$game_pid" 2>/dev/null && { echo "Esc did not end the replay"; exit 1; }
wait "$game_pid" || { echo "watching the replay failed"; exit 1; }
game_pid=""
[ "$(sums)" = "$before" ] || { echo "watching wrote the player's files"; exit 1; }
echo "watched to its end and left with Esc"
