#!/usr/bin/env bash
# Every screen of the game in one picture, taken from the real game on the
# headless engine driven by input scripts: the loading screens, the main menu
# (in a window and full screen), every help page, the options (each row
# selected, typing, key capture), the high-score table, every dialog, the name
# entry, the promotion screen counting down and ready, a city and a train
# level, pause, the level caption and game over.
#
#   scripts/screens.sh [GAME_FOLDER [OUTPUT]]
#
# GAME_FOLDER defaults to build/game, OUTPUT to docs/screens.png. The game
# folder is copied, never changed. Takes about four minutes: the city screens
# come from a run in which the hero walks, jumps and fires his way right until
# the game is over (the fight: a second before his first life is lost); the
# train level from a game resumed between levels 2 and 3, as after a
# restart, in which he fires, then runs right until he loses a life and the
# level is built again behind its loading screen. Levels are
# random: a screen a run did not reach is named on standard error.
# KEEP_SCREENS_WORK=1 keeps the runs' folders, logs and shots for a closer look.
# Needs ImageMagick (montage, convert).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
game="$(cd "${1:-$root/build/game}" && pwd)"
output="${2:-$root/docs/screens.png}"
[ -x "$game/varnok" ] || { echo "no game in $game: build it first (scripts/build.sh)" >&2; exit 1; }
command -v montage >/dev/null || { echo "ImageMagick's montage is missing (scripts/setup.sh --test installs it)" >&2; exit 1; }

work="$(mktemp -d "${TMPDIR:-/tmp}/varnok-screens-XXXXXX")"
trap '[ -n "${KEEP_SCREENS_WORK:-}" ] || rm -rf "$work"' EXIT
shots="$work/shots"
mkdir -p "$shots"

# Scan codes of the keys the scripts press.
ESC=1 ENTER=28 LSHIFT=42 LCTRL=29 UP=200 DOWN=208 RIGHT=205 PAUSE=197
KEY_A=0x1E KEY_C=0x2E KEY_E=0x12 KEY_R=0x13 KEY_X=0x2D
# The pointer in the bottom right corner, over nothing it could select.
POINTER_AWAY="0.985 0.985"

# One 16-byte records entry: name length, 10 name bytes, a pad byte, the
# score as a little-endian 32-bit integer.
record() {
  local name="$1" score="$2" i byte
  printf "\\$(printf %03o "${#name}")"
  printf '%s' "$name"
  for ((i = ${#name}; i < 11; i++)); do printf '\000'; done
  for i in 0 8 16 24; do
    byte=$(((score >> i) & 255))
    printf "\\$(printf %03o "$byte")"
  done
}

# A table of ten entries, "NAME SCORE" per argument.
records_file() {
  local file="$1" entry
  shift
  : >"$file"
  for entry in "$@"; do record "${entry% *}" "${entry##* }" >>"$file"; done
}

# Little-endian 32-bit integer; N zero bytes.
le32() {
  local i
  for i in 0 8 16 24; do printf "\\$(printf %03o $((($1 >> i) & 255)))"; done
}
zeros() { head -c "$1" /dev/zero; }

# What a game saved between two levels leaves for the next process: the
# restart record ("data/boss.dat": open the engine, state 13 between levels,
# game music) and the world snapshot. Between levels only the snapshot's
# counters are taken and the next level is built at start-up, so the other
# files need only be whole: four background and four foreground tiles (8
# bytes each), no buildings, wagons, objects or enemies, a hero record of 3952
# bytes. The counters ("data/game.dat", 40 bytes): level at 0, level kind at
# 4, score at 8, record rank at 12, energy at 16, lives at 20, weapon at 24,
# the name from 28.
resume_between_levels() {
  local dir="$1" level="$2" score="$3"
  mkdir -p "$dir"
  printf '\001\015\000\000\000\000' >"$dir/boss.dat"
  { le32 "$level"; zeros 4; le32 "$score"; le32 0; le32 5; le32 3; le32 1; zeros 12; } >"$dir/game.dat"
  zeros 32 >"$dir/bp.dat"
  zeros 32 >"$dir/fp.dat"
  : >"$dir/FPT.dat"
  : >"$dir/E.dat"
  zeros 3952 >"$dir/hero.dat"
}

# Runs a copy of the game with the script on standard input; the copy is named
# after the run, and its engine log is kept as RUN.log. RESUME, a folder of
# restart files, is put in the copy's data folder.
run() {
  local name="$1" settings="$2" records="$3" resume="${4:-}"
  local dir="$work/$name"
  cp -r "$game" "$dir"
  rm -f "$dir/data/settings.dat" "$dir/data/records.dat" "$dir/data/boss.dat"
  [ -n "$settings" ] && cp "$settings" "$dir/data/settings.dat"
  [ -n "$records" ] && cp "$records" "$dir/data/records.dat"
  [ -n "$resume" ] && cp "$resume"/* "$dir/data/"
  sed "s|@|$shots/|" >"$dir/input.script"
  (cd / && env HOME="$dir" VARNOK_ENGINE=headless VARNOK_ENGINE_SCRIPT="$dir/input.script" \
    VARNOK_ENGINE_LOG="$work/$name.log" VARNOK_NO_DIALOGS=1 SDL_AUDIODRIVER=dummy \
    VARNOK_SCORE_SERVER=127.0.0.1:9 timeout 600 "$dir/varnok" 2>"$work/$name.err") ||
    { echo "the $name run failed:" >&2; cat "$work/$name.err" >&2; exit 1; }
}

records_file "$work/records.dat" "VARGAS 12850" "NOVA 9400" "K.ROSS 7725" "ACE 6010" "MIKA 4420" \
  "TOMAS 3105" "B 2500" "LUNA 1830" "DREXLER 950" "NOVA 100"
# The same table with room at its foot for a run that scores nothing.
records_file "$work/records-open.dat" "VARGAS 12850" "NOVA 9400" "K.ROSS 7725" "ACE 6010" "MIKA 4420" \
  "TOMAS 3105" "B 2500" "LUNA 1830" "DREXLER 950" "NOVA -1"
# Full screen, sound and music on, no add text, Alt+F12.
printf '\000\001\001\000\000\000\000\000\000\000\000\000\000\000\130\000\000\001\000\000' >"$work/full.dat"

echo "menus..."
{
  echo "2 mouse $POINTER_AWAY"
  echo "40 shot @01-main-menu.png"
  echo "50 tap $DOWN"; echo "55 tap $ENTER"
  for page in 1 2 3 4 5 6 7 8; do
    echo "$((70 + 20 * page)) shot @02-help-$page.png"
    echo "$((80 + 20 * page)) tap $ENTER"
  done
  echo "245 tap $ESC"; echo "250 tap $DOWN"; echo "255 tap $ENTER"
  echo "290 shot @03-options-window-mode.png"; echo "295 tap $DOWN"
  echo "320 shot @04-options-music.png"; echo "325 tap $DOWN"
  echo "350 shot @05-options-sound.png"; echo "355 tap $DOWN"
  echo "380 shot @06-options-add-text.png"; echo "385 tap $ENTER"
  echo "390 down $LSHIFT"; echo "392 tap $KEY_A"; echo "395 tap $KEY_C"; echo "398 tap $KEY_E"; echo "400 up $LSHIFT"
  echo "403 tap $KEY_R"
  echo "420 shot @07-options-typing.png"; echo "425 tap $ENTER"; echo "430 tap $DOWN"
  echo "455 shot @08-options-hide-key.png"; echo "460 tap $ENTER"
  echo "480 shot @09-options-key-capture.png"; echo "485 tap $UP"; echo "495 tap $ESC"
  echo "505 tap $DOWN"; echo "510 tap $ENTER"
  echo "545 shot @10-high-scores.png"; echo "550 tap $ENTER"
  echo "580 shot @11-dialog-clear-table.png"; echo "585 tap $ESC"; echo "595 tap $ESC"
  echo "605 tap $ESC"
  echo "640 shot @12-dialog-quit.png"; echo "645 tap $ENTER"
  echo "680 shot @13-promotion-counting-down.png"
  echo "1060 shot @14-promotion-ready.png"
  echo "1070 quit"
} | run menus "" "$work/records.dat"

echo "full screen..."
{
  echo "2 mouse $POINTER_AWAY"
  echo "40 shot @15-main-menu-full-screen.png"
  echo "50 tap $DOWN"; echo "52 tap $DOWN"; echo "55 tap $ENTER"
  echo "90 shot @16-options-full-screen.png"
  echo "100 quit"
} | run full "$work/full.dat" "$work/records.dat"

echo "name entry..."
{
  echo "2 mouse $POINTER_AWAY"
  echo "20 tap $ENTER"
  echo "80 tap $ESC"
  echo "110 shot @17-dialog-quit-play.png"; echo "115 tap $ENTER"
  echo "130 down $LSHIFT"; echo "132 tap $KEY_R"; echo "135 tap $KEY_E"; echo "138 tap $KEY_X"; echo "140 up $LSHIFT"
  echo "160 shot @18-name-entry.png"
  echo "165 tap $ENTER"; echo "170 tap $DOWN"; echo "175 tap $DOWN"; echo "180 tap $ENTER"
  # No server answers on port 9: the sending dialog is up for the frame of
  # the tap only, and the result comes with the next.
  echo "210 shot @19-dialog-submit.png"; echo "215 tap $ENTER"
  echo "215 shot @20-dialog-submitting.png"
  echo "300 shot @21-dialog-submit-result.png"; echo "305 tap $ESC"
  echo "340 shot @22-high-scores-after-entry.png"
  echo "350 quit"
} | run entry "" "$work/records-open.dat"

# While Right is held: a jump every 30 frames from frame FROM to TO. Up jumps
# only while no arrow is held, so Right is let go for each.
jumps() {
  local f
  for ((f = $1; f < $2; f += 30)); do echo "$f up $RIGHT"; echo "$((f + 1)) tap $UP"; echo "$((f + 3)) down $RIGHT"; done
}

# The loading screens are drawn by the level build between its steps, all
# inside the frame that builds: "shot FILE N" takes the N-th of them.
LOADING_PICTURE=7

echo "play (about two minutes)..."
last=8000 every=10
{
  echo "20 tap $ENTER"; echo "20 shot @00-loading-1.png $LOADING_PICTURE"
  echo "200 tap $PAUSE"; echo "215 shot @pause.png"; echo "230 tap $PAUSE"
  echo "240 down $RIGHT"; echo "240 down $LCTRL"
  jumps 260 "$last"
  for ((f = 40; f < last; f += every)); do echo "$f shot @play-$f.png"; done
  echo "$last quit"
} | run play "" ""

echo "train..."
resume_between_levels "$work/resume-train" 2 5230
{
  # He fires for the picture, then runs right, jumping now and then, until
  # he loses a life (a gap between the wagons or the enemies on them soon
  # see to it); his next life starts with the level built again, behind its
  # loading screen.
  echo "10 down $LCTRL"; echo "40 shot @27-train-level.png"; echo "45 up $LCTRL"
  echo "50 shot @00-loading-2.png $LOADING_PICTURE"
  echo "50 down $RIGHT"
  jumps 60 1500
  echo "1500 quit"
} | run train "" "" "$work/resume-train"

# Picks from the play run the first shot (one every `every` frames from frame
# 40) taken in game state `state`, at least `after` frames into it.
pick() {
  awk -v want="$1" -v after="$2" -v last="$last" -v every="$every" '
    $2 == "gamestate" { k++; at[k] = $1; st[k] = $3 }
    END {
      i = 1; cur = -1; since = 0
      for (f = 40; f < last; f += every) {
        while (i <= k && at[i] <= f) {
          if (st[i] != cur) { cur = st[i]; since = at[i] }
          i++
        }
        if (cur == want && f - since >= after) { print f; exit }
      }
      print 0
    }' "$work/play.log"
}
keep() {
  local frame="$1" name="$2"
  if [ "$frame" != 0 ] && [ -f "$shots/play-$frame.png" ]; then
    cp "$shots/play-$frame.png" "$shots/$name.png"
  else
    echo "the play run did not reach the screen $name this time" >&2
  fi
}
# The fight on the first city level: the shot taken a second before the
# hero's first life is lost (state 13), while he still stands and the enemy
# who shoots him is in view.
fight_shot() {
  awk -v every="$every" '
    $2 == "gamestate" && $3 == 13 { f = $1 - 60; f -= (f - 40) % every; print (f >= 40 ? f : 0); found = 1; exit }
    END { if (!found) print 0 }' "$work/play.log"
}
# States: 2 playing, 13 level caption, 21 game over.
keep "$(fight_shot)" 24-city-level
cp "$shots/pause.png" "$shots/25-pause.png"
keep "$(pick 13 20)" 26-level-caption
keep "$(pick 21 20)" 28-game-over
rm -f "$shots"/play-*.png "$shots/pause.png"
for screen in 00-loading-1 00-loading-2 27-train-level; do
  [ -f "$shots/$screen.png" ] || echo "no $screen this time (see $work/*.log)" >&2
done

mkdir -p "$(dirname "$output")"
montage -label '%t' -font DejaVu-Sans -pointsize 13 -background '#1b1c22' -fill '#e8e8e8' \
  "$shots"/*.png -tile 5x -geometry 320x240+6+6 "$work/sheet.png"
# Reduced to 256 colours after the montage, as one picture: reducing inside
# montage can move the background's colour.
convert "$work/sheet.png" -colors 256 "PNG8:$output"
echo "wrote $output ($(ls "$shots" | wc -l) screens)"
