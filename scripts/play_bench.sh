#!/usr/bin/env bash
# Play benchmark: starts the real game in an 800 x 600 window under Xvfb
# (SDL dummy audio), or full screen on a display of a given size, rests in the main menu, then plays level 1 of a fixed
# seed from the engine's input script: the hero shoots down the flamethrower
# drone that comes first, takes the flamethrower, then walks right, jumps now
# and then and keeps it burning, so enemies, flames and fires fill the screen.
# Prints, per run:
#   menu:  first menu frame (ms after start), median game CPU % of one core
#   play:  median and highest game CPU %, lowest frames in a one-second
#          window (a second in which the level is built again after a lost
#          life, behind its loading screen, is left out and counted),
#          frame interval p50 / p99 (ms), peak resident memory (MB), and the
#          game's processor time per frame (all its threads)
#   flamethrower in hand: yes or no, from the HUD's weapon sign in a
#          screenshot just before and one just after the timed play
#
#   scripts/play_bench.sh [--game DIR] [--seconds N] [--menu-seconds N] [--runs N] [--shots DIR]
#                         [--full-screen WxH[,WxH...] [--against-window]] [--times DIR]
#
# --full-screen WxH plays full screen on an Xvfb display of that size (the
# frame letterboxed over it) instead of in a window on a 1024 x 768 one;
# with several sizes, each run plays at each size in turn.
# --times DIR keeps each run's engine frame times in DIR (times-N: a line a
# frame, "FRAME SECONDS DRAW_MS SHOW_MS LATE_MS"; times-N-window for the
# window runs of --against-window, and times-N-WxH with several sizes), to
# see where a late frame lost its time.
# --against-window (with --full-screen) plays each run in the window first,
# then full screen, and prints the full screen's processor time a frame and
# CPU as multiples of that window run's; at the end, a line a size with
# their medians over the runs, and the range of the runs' frame interval
# p99 and their lowest frames in a second (full screen and window).
# Runs next to each other see the same machine, where a busy or throttled
# one moves a single run's figures by a fifth or more.
# --shots DIR also saves a screenshot of every second of play into DIR
# (play-NN.png; each costs the frame it is taken in, so the figures of such
# a run are a little worse).
# DIR is a built game folder (default build/game); it is copied, so the
# player's files there are not touched. Needs Xvfb.
set -euo pipefail

game_dir="build/game"
seconds=20
menu_seconds=5
runs=1
shots=""
screen=""
keep_times=""
against_window=""
while [ $# -gt 0 ]; do
  case "$1" in
    --game) game_dir="$2"; shift 2 ;;
    --seconds) seconds="$2"; shift 2 ;;
    --menu-seconds) menu_seconds="$2"; shift 2 ;;
    --runs) runs="$2"; shift 2 ;;
    --shots) shots="$2"; shift 2 ;;
    --full-screen) screen="$2"; shift 2 ;;
    --times) keep_times="$2"; shift 2 ;;
    --against-window) against_window=1; shift ;;
    -h|--help) sed -n '2,38p' "$0"; exit 0 ;;
    *) echo "unknown argument: $1" >&2; exit 2 ;;
  esac
done
for n in "$seconds" "$menu_seconds" "$runs"; do
  [[ "$n" =~ ^[1-9][0-9]*$ ]] || { echo "counts must be whole numbers above 0" >&2; exit 2; }
done
IFS=, read -r -a sizes <<< "$screen"
[ -z "$screen" ] || [ "${#sizes[@]}" -gt 0 ] || { echo "--full-screen wants WIDTHxHEIGHT" >&2; exit 2; }
for size in "${sizes[@]}"; do
  [[ "$size" =~ ^([1-9][0-9]{2,4})x([1-9][0-9]{2,4})$ ]] && [ "${BASH_REMATCH[1]}" -le 8192 ] &&
    [ "${BASH_REMATCH[2]}" -le 8192 ] ||
    { echo "--full-screen wants WIDTHxHEIGHT (or several, comma-separated), each 100..8192" >&2; exit 2; }
done
[ -z "$against_window" ] || [ -n "$screen" ] || { echo "--against-window needs --full-screen" >&2; exit 2; }
if [ -n "$shots" ]; then mkdir -p "$shots" && shots="$(cd "$shots" && pwd)"; fi
if [ -n "$keep_times" ]; then mkdir -p "$keep_times" && keep_times="$(cd "$keep_times" && pwd)"; fi
[ -x "$game_dir/varnok" ] || { echo "no game in '$game_dir' (build it first: scripts/build.sh)" >&2; exit 1; }
command -v Xvfb >/dev/null || { echo "Xvfb is not installed (scripts/setup.sh --test installs it)" >&2; exit 1; }

fps=66.667                        # the game's frame rate (a frame each 15 ms)
# VARNOK_SEED: the same level 1 every run. In this one the first drone brings
# the flamethrower (D); the input script below is made to shoot it down.
seed=1770
settle=4                          # seconds of play left out at the start (level build, fetching the flamethrower)
clk_tck=$(getconf CLK_TCK)

work="$(mktemp -d)"
xvfb_pids=()
game_pid=""
cleanup() {
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null || true
  for pid in "${xvfb_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# An Xvfb display of a size on a free display number: sets `display`.
start_display() {  # WxH
  local n
  for _ in $(seq 20); do
    n=$((100 + RANDOM % 400))
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
  done
  display=":$n"
  Xvfb "$display" -screen 0 "$1x24" -nolisten tcp >/dev/null 2>&1 &
  xvfb_pids+=($!)
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.05; done
  [ -e "/tmp/.X11-unix/X$n" ] || { echo "Xvfb did not start on $display" >&2; exit 1; }
}
declare -A size_display
for size in "${sizes[@]}"; do
  [ -n "${size_display[$size]:-}" ] || { start_display "$size"; size_display[$size]=$display; }
done
window_display=""
if [ -z "$screen" ] || [ -n "$against_window" ]; then start_display 1024x768; window_display=$display; fi

# The input script: menu, Enter, then play. Frames after Enter (the frame
# that builds the level and takes its first step):
#   +40   Up, Right, Z and Left Ctrl down: the hero stands (Z keeps him in
#         place) aiming diagonally up and fires a stream of shots that way;
#   +100  Z up: he walks right, still aiming up, to the first crate, which
#         brings the first drone in; it flies into the stream and drops the
#         flamethrower's sign beyond the crate;
#   +130  Up up: he aims ahead again;
#   +131 and every 90 frames on: Right up and Up down (Up held over 50 ms
#         with Right up is a jump), Right down at +6 (on over the crate),
#         Up up at +20. He walks through the sign at about +190; from then
#         on Left Ctrl keeps the flamethrower burning.
# Weapon screenshots half a second before and after the timed play at the
# full frame rate (slower frames take them later: the first may then cost a
# frame of the timed play).
write_script() {
  local enter=28 up=200 right=205 ctrl=29 zkey=44 key f
  local start=$(awk -v s="$menu_seconds" -v f="$fps" 'BEGIN { printf "%d", s * f }')
  # Frames run slower than 66.7 Hz on a loaded machine: the quit comes with
  # room to spare, so the timed window is covered by frames.
  local end=$(awk -v s="$menu_seconds" -v p="$seconds" -v z="$settle" -v f="$fps" \
    'BEGIN { printf "%d", (s + 1.5 * (p + z) + 2) * f }')
  local before=$(awk -v s="$menu_seconds" -v z="$settle" -v f="$fps" 'BEGIN { printf "%d", (s + z - 0.5) * f }')
  local after=$(awk -v s="$menu_seconds" -v p="$seconds" -v z="$settle" -v f="$fps" \
    'BEGIN { printf "%d", (s + z + p + 0.5) * f }')
  {
    echo "$start tap $enter"
    for key in "$up" "$right" "$zkey" "$ctrl"; do echo "$((start + 40)) down $key"; done
    echo "$((start + 100)) up $zkey"
    echo "$((start + 130)) up $up"
    for ((f = start + 131; f < end; f += 90)); do
      echo "$f up $right"
      echo "$f down $up"
      echo "$((f + 6)) down $right"
      echo "$((f + 20)) up $up"
    done
    echo "$before shot $work/weapon-before.png"
    echo "$after shot $work/weapon-after.png"
    if [ -n "$shots" ]; then
      local i=0
      for ((f = start + 67; f < end; f += 67)); do
        printf '%d shot %s/play-%02d.png\n' "$f" "$shots" "$i"
        i=$((i + 1))
      done
    fi
    echo "$end quit"
  } > "$work/input.script"
}

# The weapon whose sign the HUD shows in a screenshot (A..E), or ? when the
# shot is missing or shows no sign: the nearest of the game's five sign
# pictures, which the HUD draws at half size, 22 x 28 pixels at (269, 28).
weapon_in_shot() {  # png
  local png=$1 best="?" least=0.12 w out err
  [ -s "$png" ] || { echo "?"; return; }
  convert "$png" -crop 22x28+269+28 +repage -alpha off "$work/sign.png"
  for w in A B C D E; do
    [ -s "$work/sign-$w.png" ] || convert "$work/game/data/${w}wep_sign.png" -background black -alpha remove \
      -alpha off -resize '22x28!' "$work/sign-$w.png"
    # "RMSE (RMSE scaled to 0..1)" on standard error; the exit status says only that they differ.
    out=$(compare -metric RMSE "$work/sign.png" "$work/sign-$w.png" null: 2>&1 || true)
    err=${out##*(}; err=${err%)*}
    if awk -v e="$err" -v l="$least" 'BEGIN { exit !(e + 0 < l + 0) }'; then best=$w; least=$err; fi
  done
  echo "$best"
}

# Seconds since boot, a process's processor ticks, its peak resident memory
# and its start (ticks since boot), from /proc. Only shell built-ins: the
# sampler runs every half second on a machine the game's two drawing threads
# keep busy, and a forked cat or awk there delays a frame by a millisecond
# or two, which the frame-interval p99 would count as the game's.
proc_sample() {  # pid -> "uptime cpu_ticks hwm_kb start_ticks"
  local pid=$1 stat up rest line hwm=0
  { read -r stat < "/proc/$pid/stat"; } 2>/dev/null || return 1
  read -r up rest < /proc/uptime
  while read -r line; do
    case $line in VmHWM:*) hwm=${line//[!0-9]/}; break ;; esac
  done < "/proc/$pid/status" 2>/dev/null
  # Fields after the command name (which may hold spaces): utime is 14, stime 15, starttime 22.
  local -a f
  read -r -a f <<< "${stat##*) }"
  echo "$up $((f[11] + f[12])) ${hwm:-0} ${f[19]}"
}

# Waits without starting a process: a read that times out on a pipe that
# never has data (the same reason as above).
exec {nap_fd}<> <(:)
nap() { read -r -t "$1" -u "$nap_fd" _ || true; }

run_once() {
  local run=$1
  rm -rf "$work/game" "$work/times" "$work/log" "$work/samples" "$work"/weapon-*.png
  cp -r "$game_dir" "$work/game"
  rm -f "$work/game/data/settings.dat" "$work/game/data/records.dat" "$work/game/data/boss.dat"
  # The settings record with the window flag off: the game starts full screen.
  if [ -n "$screen" ]; then
    printf '\x00\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x58\x00\x00\x01\x00\x00' \
      > "$work/game/data/settings.dat"
  fi
  write_script
  (cd "$work/game" && DISPLAY="$display" SDL_AUDIODRIVER=dummy VARNOK_NO_DIALOGS=1 VARNOK_SEED="$seed" \
    VARNOK_ENGINE_SCRIPT="$work/input.script" VARNOK_ENGINE_LOG="$work/log" \
    VARNOK_ENGINE_FRAME_TIMES="$work/times" exec ./varnok) >/dev/null 2>"$work/stderr" &
  game_pid=$!
  local limit=$((menu_seconds + 2 * (seconds + settle) + 30))
  # The sampler runs as an idle-class task where chrt can make it one, so
  # it waits for a free core instead of pushing a drawing thread aside.
  (
    chrt --idle -p 0 "$BASHPID" >/dev/null 2>&1 || true
    waited=0
    while kill -0 "$game_pid" 2>/dev/null; do
      proc_sample "$game_pid" >> "$work/samples" || true
      nap 0.5
      waited=$((waited + 1))
      if [ "$waited" -gt $((limit * 2)) ]; then
        echo "run $run: the game did not end in ${limit} s; stopped" >&2
        kill "$game_pid" 2>/dev/null || true
        break
      fi
    done
  )
  wait "$game_pid" 2>/dev/null || true
  game_pid=""
  [ -s "$work/times" ] || { echo "run $run: no frame times (is the engine built with them?)" >&2; cat "$work/stderr" >&2; return 1; }
  local tag=${run//[^0-9a-z]/-}
  while [[ $tag == *--* ]]; do tag=${tag//--/-}; done
  [ -n "$keep_times" ] && cp "$work/times" "$keep_times/times-${tag%-}"
  local play_frame
  play_frame=$(awk '$2 == "gamestate" && $3 == 2 { print $1; exit }' "$work/log")
  [ -n "$play_frame" ] || { echo "run $run: the game never reached play" >&2; cat "$work/log" >&2; return 1; }

  awk -v run="$run" -v hz="$clk_tck" -v play_frame="$play_frame" -v settle="$settle" -v seconds="$seconds" \
      -v menu_seconds="$menu_seconds" '
    function sort(a, n,   i, j, t) { for (i = 2; i <= n; i++) { t = a[i]; for (j = i - 1; j >= 1 && a[j] > t; j--) a[j + 1] = a[j]; a[j + 1] = t } }
    function pct(a, n, p,   k) { if (n == 0) return 0; k = int(p * (n - 1) + 0.5) + 1; return a[k] }
    FNR == 1 { file++ }
    file == 1 { t[$1] = $2; if (!first) first = $2; next }            # frame -> seconds since start
    file == 2 { up[++ns] = $1; cpu[ns] = $2 / hz; hwm[ns] = $3; start = $4 / hz }  # samples
    file == 3 && $2 == "gamestate" && $3 == 15 { build[$1] = 1 }       # a level built (after a lost life)
    END {
      play0 = t[play_frame] + settle; play1 = play0 + seconds
      menu0 = 1; menu1 = t[play_frame] - 0.5
      # CPU % over each one-second span of samples, by the part it falls in.
      nm = np = 0
      for (i = 1; i <= ns; i++) for (j = i + 1; j <= ns; j++) if (up[j] - up[i] >= 0.99) {
        c = 100 * (cpu[j] - cpu[i]) / (up[j] - up[i]); at0 = up[i] - start; at1 = up[j] - start
        if (at0 >= menu0 && at1 <= menu1) m[++nm] = c
        if (at0 >= play0 && at1 <= play1) p[++np] = c
        break
      }
      sort(m, nm); sort(p, np)
      # Frames: intervals and one-second counts in the play window.
      ni = 0; prev = -1; last = 0; for (w = 0; w < seconds; w++) cnt[w] = 0
      for (f = play_frame; f in t; f++) {
        s = t[f]; last = s; if (s < play0 || s >= play1) { prev = s; continue }
        if (prev >= play0) iv[++ni] = 1000 * (s - prev)
        cnt[int(s - play0)]++; prev = s
      }
      # A second in which a level is built again (behind its loading screen,
      # after a lost life) is not play: left out of the lowest count.
      left = 0
      for (f in build) for (g = f - 1; g <= f + 1; g++) if (g in t) {
        w = int(t[g] - play0); if (t[g] >= play0 && w < seconds && !(w in out)) { out[w] = 1; left++ }
      }
      sort(iv, ni); low = 1e9; for (w = 0; w < seconds; w++) if (!(w in out) && cnt[w] < low) low = cnt[w]
      builds = left ? sprintf(" (%d s with a level build left out)", left) : ""
      peak = 0; for (i = 1; i <= ns; i++) if (hwm[i] > peak) peak = hwm[i]
      # Processor time per frame over the play window (steadier than % on a busy machine).
      ia = ib = 0
      for (i = 1; i <= ns; i++) { at = up[i] - start; if (!ia && at >= play0) ia = i; if (at <= play1) ib = i }
      frames = 0
      if (ia && ib > ia) for (f = play_frame; f in t; f++) if (t[f] >= up[ia] - start && t[f] < up[ib] - start) frames++
      per_frame = frames ? 1000 * (cpu[ib] - cpu[ia]) / frames : 0
      if (last < play1) printf "run %s: the frames end %.1f s into the %d s of play (too slow a machine?)\n",
                               run, last - play0, seconds > "/dev/stderr"
      printf "run %s: menu: first frame %.0f ms, CPU %.1f %% | play %d s: CPU median %.1f %% (highest %.1f %%), " \
             "lowest %d fps%s, frame interval p50 %.2f ms p99 %.2f ms, peak RSS %.0f MB, processor time %.2f ms a frame\n",
             run, 1000 * first, pct(m, nm, 0.5), seconds, pct(p, np, 0.5), pct(p, np, 1), low, builds,
             pct(iv, ni, 0.5), pct(iv, ni, 0.99), peak / 1024, per_frame
    }' "$work/times" "$work/samples" "$work/log"

  local before after
  if command -v compare >/dev/null && command -v convert >/dev/null; then
    before=$(weapon_in_shot "$work/weapon-before.png")
    after=$(weapon_in_shot "$work/weapon-after.png")
    if [ "$before$after" = DD ]; then
      echo "run $run: flamethrower in hand: yes (weapon D before and after the timed play)"
    else
      echo "run $run: flamethrower in hand: no (weapon $before before, $after after the timed play)"
    fi
  else
    echo "run $run: flamethrower in hand: not checked (needs ImageMagick)"
  fi
}

mode="an 800x600 window"
[ -n "$screen" ] && mode="full screen ${screen//,/, }"
[ -n "$against_window" ] && mode="$mode, each run after one in an 800x600 window"
echo "play benchmark: $runs run(s), ${menu_seconds} s in the main menu, then ${seconds} s of level 1 (after ${settle} s), $mode"
if [ -z "$screen" ]; then
  display=$window_display
  for r in $(seq "$runs"); do run_once "$r"; done
  exit 0
fi
if [ -z "$against_window" ]; then
  for r in $(seq "$runs"); do
    for size in "${sizes[@]}"; do
      screen=$size display=${size_display[$size]}
      if [ "${#sizes[@]}" -gt 1 ]; then run_once "$r ($size)"; else run_once "$r"; fi
    done
  done
  exit 0
fi

# Each run's "processor time" and "CPU median" figures, window then full
# screen, and its frame interval p99 and lowest frames in a second.
figures() { sed -nE 's/.*CPU median ([0-9.]+) %.*lowest ([0-9]+) fps.* p99 ([0-9.]+) ms.*processor time ([0-9.]+) ms a frame.*/\4 \1 \3 \2/p'; }
for r in $(seq "$runs"); do
  for size in "${sizes[@]}"; do
    label=$r
    [ "${#sizes[@]}" -gt 1 ] && label="$r $size"
    screen="" display=$window_display
    run_once "$label (window)" | tee "$work/window"
    screen=$size display=${size_display[$size]}
    run_once "$label" | tee "$work/full"
    read -r wt wc wp wl < <(figures < "$work/window") || true
    read -r ft fc fp fl < <(figures < "$work/full") || true
    if [ -n "${wt:-}" ] && [ -n "${ft:-}" ]; then
      awk -v r="$label" -v wt="$wt" -v wc="$wc" -v ft="$ft" -v fc="$fc" 'BEGIN {
        if (wt > 0 && wc > 0) printf "run %s: full screen / window: processor time a frame %.2f, CPU %.2f\n", r, ft / wt, fc / wc }'
      awk -v s="$size" -v wt="$wt" -v wc="$wc" -v ft="$ft" -v fc="$fc" -v fp="$fp" -v wp="$wp" -v fl="$fl" -v wl="$wl" \
        'BEGIN { if (wt > 0 && wc > 0) print s, ft / wt, fc / wc, fp, wp, fl, wl }' >> "$work/ratios"
    fi
    unset wt wc wp wl ft fc fp fl
  done
done
[ -s "$work/ratios" ] || exit 1
awk '
  function median(a, n,   i, j, t) { for (i = 2; i <= n; i++) { t = a[i]; for (j = i - 1; j >= 1 && a[j] > t; j--) a[j + 1] = a[j]; a[j + 1] = t }
                                     return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2 }
  function range(a, n,   i, lo, hi) { lo = hi = a[1]; for (i = 2; i <= n; i++) { if (a[i] < lo) lo = a[i]; if (a[i] > hi) hi = a[i] }
                                      return sprintf("%.2f-%.2f", lo, hi) }
  # "SIZE TIME_RATIO CPU_RATIO P99_FULL P99_WINDOW LOWEST_FULL LOWEST_WINDOW", a line a run.
  !($1 in n) { order[++sizes] = $1 }
  { k = ++n[$1]; t[$1, k] = $2; c[$1, k] = $3; fp[$1, k] = $4; wp[$1, k] = $5
    if (!($1 in low) || $6 < low[$1]) low[$1] = $6
    if (!($1 in wlow) || $7 < wlow[$1]) wlow[$1] = $7 }
  END {
    for (i = 1; i <= sizes; i++) {
      s = order[i]; m = n[s]
      for (k = 1; k <= m; k++) { a[k] = t[s, k]; b[k] = c[s, k]; p[k] = fp[s, k]; q[k] = wp[s, k] }
      printf "full screen %s / window over %d runs: median processor time a frame %.2f, median CPU %.2f; " \
             "frame interval p99 %s ms (window %s ms); lowest %d fps (window %d fps)\n",
             s, m, median(a, m), median(b, m), range(p, m), range(q, m), low[s], wlow[s]
    }
  }' "$work/ratios"
