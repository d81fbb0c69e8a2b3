#!/usr/bin/env bash
# --help and --version of the game and the score server: the usual answers
# (--version with the copyright and GPLv3+ lines), exit 0, and nothing else
# started (the game, copied alone into an empty folder, writes nothing there
# nor in the player's data folder); a wrong command line, and a --verify of
# what is not a replay, exit 2 and say why.
# Usage: command_line_test.sh GAME SCORED VERSION
set -euo pipefail
game="$1"
scored="$2"
version="$3"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

mkdir "$work/folder" "$work/xdg"
cp "$game" "$work/folder/varnok"
cp "$scored" "$work/scored"

# PROGRAM ARGUMENTS... -> status, stdout and stderr in $work/out and $work/err
run() {
  set +e
  (cd "$work" && env -i PATH=/usr/bin:/bin HOME="$work/home" XDG_DATA_HOME="$work/xdg" \
     VARNOK_ENGINE=headless timeout 10 "$@") > "$work/out" 2> "$work/err"
  status=$?
  set -e
}

for program in "$work/folder/varnok" "$work/scored"; do
  name="$(basename "$program")"
  run "$program" --version
  [ "$status" = 0 ] || fail "$name --version exited $status"
  case "$name" in
    varnok) first="varnok $version" ;;
    scored) first="scored (Varnok) $version" ;;
  esac
  # The name and version, then the copyright and licence lines as GNU programs print them.
  [ "$(head -n 1 "$work/out")" = "$first" ] || fail "$name --version says: $(cat "$work/out")"
  grep -q "^Copyright (C) [0-9]\{4\} The Varnok developers\.$" "$work/out" || fail "$name --version has no copyright line"
  grep -qx "License GPLv3+: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>." "$work/out" ||
    fail "$name --version has no licence line"
  grep -qx "There is NO WARRANTY, to the extent permitted by law." "$work/out" || fail "$name --version has no warranty line"

  run "$program" --help
  [ "$status" = 0 ] || fail "$name --help exited $status"
  head -n 1 "$work/out" | grep -q "^Usage: $name " || fail "$name --help has no usage line"
  grep -q -- "--version" "$work/out" || fail "$name --help does not list --version"
  grep -q "^Report bugs to: <https://" "$work/out" || fail "$name --help has no bug address"
  [ ! -s "$work/err" ] || fail "$name --help wrote to stderr: $(cat "$work/err")"

  # Wrong command lines: an unknown option, a stray argument.
  for args in "--no-such-option" "stray"; do
    run "$program" "$args"
    [ "$status" = 2 ] || fail "$name $args exited $status, not 2"
    grep -q "^$name: .*'$args'$" "$work/err" || fail "$name $args does not name it: $(cat "$work/err")"
    grep -q "^Try '$name --help' for more information.$" "$work/err" || fail "$name $args: $(cat "$work/err")"
  done
done

# --verify refuses what is not a replay in one line, exit 2, and like the
# answers above opens no window and touches no player file.
run "$work/folder/varnok" --verify
[ "$status" = 2 ] || fail "varnok --verify without a file exited $status, not 2"
printf 'not a replay' > "$work/junk.vreplay"
for file in "$work/none.vreplay" "$work/junk.vreplay"; do
  run "$work/folder/varnok" --verify "$file"
  [ "$status" = 2 ] || fail "varnok --verify $file exited $status, not 2"
  [ "$(wc -l < "$work/err")" = 1 ] || fail "varnok --verify $file: $(cat "$work/err")"
  [ ! -s "$work/out" ] || fail "varnok --verify $file printed: $(cat "$work/out")"
done

# Answering started nothing: no player file, no lock, no store.
left="$(cd "$work" && find folder xdg -mindepth 1 ! -path folder/varnok; ls ./*.db 2>/dev/null || true)"
[ -z "$left" ] || fail "answering the command line left: $left"
echo "--help, --version and wrong command lines answered by both programs, nothing written"
