#!/usr/bin/env bash
# Installs the built game into a temporary prefix and plays it from there.
# Usage: install_test.sh BUILD_DIR UNINSTALL_SCRIPT
set -euo pipefail
build="$1"
uninstall="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

[ -f "$build/game/data/sprite.x" ] || { echo "the game folder is not built"; exit 77; }
command -v desktop-file-validate >/dev/null || { echo "desktop-file-validate is not installed"; exit 77; }

prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null

# What a desktop expects of an installed game.
[ -L "$prefix/bin/varnok" ] && [ -x "$prefix/bin/varnok" ] || fail "no launcher in PREFIX/bin"
[ -f "$prefix/lib/games/varnok/installed.txt" ] || fail "the game folder has no install mark"
entry="$prefix/share/applications/varnok.desktop"
desktop-file-validate "$entry" || fail "the menu entry does not validate"
grep -qx "Exec=$prefix/bin/varnok" "$entry" || fail "the menu entry does not start the launcher"
for size in 32 48 64 128 256; do
  icon="$prefix/share/icons/hicolor/${size}x${size}/apps/varnok.png"
  [ "$(identify -format '%wx%h' "$icon")" = "${size}x${size}" ] || fail "icon $size missing or of the wrong size"
done
! ls "$prefix/lib/games/varnok/data/"*.dat >/dev/null 2>&1 || fail "the build's own player files were installed"
for file in share/man/man6/varnok.6.gz share/man/man8/scored.8.gz share/metainfo/io.github.varnok.Varnok.metainfo.xml \
            sbin/scored etc/default/varnok-scored; do
  [ -s "$prefix/$file" ] || fail "PREFIX/$file is not installed"
done
grep -q "^ExecStart=$prefix/sbin/scored " "$prefix/lib/systemd/system/scored@.service" ||
  fail "the installed unit does not start the installed scored"

# The installed launcher, started from elsewhere, plays with its files in the player's data folder.
play() {
  printf '60 quit\n' > "$work/quit.script"
  (cd / && env -i PATH=/usr/bin:/bin HOME="$work/home" XDG_DATA_HOME="$work/xdg" VARNOK_ENGINE=headless \
     VARNOK_ENGINE_SCRIPT="$work/quit.script" SDL_AUDIODRIVER=dummy VARNOK_NO_DIALOGS=1 \
     timeout 30 "$prefix/bin/varnok") || fail "the installed game did not run to its end"
}
play
player="$work/xdg/varnok/data"
[ "$(stat -c %s "$player/settings.dat")" = 20 ] || fail "no settings in the player's data folder"
[ "$(stat -c %s "$player/records.dat")" = 160 ] || fail "no records in the player's data folder"
! ls "$prefix/lib/games/varnok/data/"*.dat >/dev/null 2>&1 || fail "the game wrote into the installed game folder"

# A second run keeps what the player has (music off here).
printf '\x01\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x58\x00\x00\x01\x00\x00' > "$player/settings.dat"
play
[ "$(od -An -tu1 -N2 "$player/settings.dat" | tr -s ' ')" = " 1 0" ] || fail "the player's settings were replaced"

# Uninstall removes the game and leaves the player's files.
cmake -DMANIFEST="$build/install_manifest.txt" -P "$uninstall" >/dev/null
left=$(find "$prefix" -type f -o -type l)
[ -z "$left" ] || fail "left after uninstall: $left"
[ -f "$player/records.dat" ] || fail "uninstall took the player's files"
echo "installed, played from PREFIX/bin with files in \$XDG_DATA_HOME/varnok, uninstalled"
