#!/usr/bin/env bash
# The Debian packages, made by CPack from the build into a temporary folder:
# lintian finds no error or warning in either; their programs are hardened;
# the metadata, menu entry and manual pages they ship validate; varnok,
# unpacked into a temporary root, plays on the headless engine with the
# player's files in $XDG_DATA_HOME;
# varnok-scored installs into another temporary root (dpkg --root, its
# maintainer scripts run outside it with DPKG_ROOT, so this machine is never
# touched), its unit passes systemd-analyze verify, its server runs, and
# removing it leaves the stored scores.
# Usage: package_test.sh BUILD_DIR VERSION
set -euo pipefail
build="$1"
version="$2"
work="$(mktemp -d)"
scored_pid=""
cleanup() {
  if [ -n "$scored_pid" ]; then kill "$scored_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

[ -f "$build/game/data/sprite.x" ] && [ -x "$build/scored" ] || { echo "the game folder or scored is not built"; exit 77; }
for tool in cpack lintian appstreamcli desktop-file-validate man systemd-analyze systemd-sysusers dpkg-shlibdeps \
  hardening-check objdump; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed"; exit 77; }
done

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack failed"; }
game_deb="$work/out/varnok_${version}_amd64.deb"
scored_deb="$work/out/varnok-scored_${version}_amd64.deb"
[ -f "$game_deb" ] && [ -f "$scored_deb" ] || fail "cpack made: $(ls "$work/out")"

# lintian: no error and no warning (an unstripped program, a file in /etc that
# is no conffile, a missing manual page...).
lintian --no-cfg --fail-on error,warning "$game_deb" "$scored_deb" > "$work/lintian.txt" 2>&1 ||
  { cat "$work/lintian.txt"; fail "lintian found errors or warnings"; }

# Dependencies come from the libraries' own packages.
for wanted in "varnok libsdl2-2.0-0" "varnok libcurl4" "varnok-scored libsqlite3-0" "varnok-scored libpq5"; do
  set -- $wanted
  deb="$work/out/${1}_${version}_amd64.deb"
  dpkg-deb -f "$deb" Depends | grep -q "$2 (>= " || fail "$1 does not depend on $2: $(dpkg-deb -f "$deb" Depends)"
done

# What the game package ships validates.
game="$work/game-root"
dpkg-deb -x "$game_deb" "$game"
appstreamcli validate --no-net "$game/usr/share/metainfo/io.github.varnok.Varnok.metainfo.xml" >"$work/as.txt" 2>&1 ||
  { cat "$work/as.txt"; fail "the AppStream metadata does not validate"; }
desktop-file-validate "$game/usr/share/applications/varnok.desktop" || fail "the menu entry does not validate"
grep -qx "Exec=/usr/games/varnok" "$game/usr/share/applications/varnok.desktop" || fail "the menu entry does not start /usr/games/varnok"
desktop-file-validate "$game/usr/share/applications/varnok-replay.desktop" || fail "the replay entry does not validate"
grep -qx "MimeType=application/x-varnok-replay;" "$game/usr/share/applications/varnok-replay.desktop" ||
  fail "the replay entry does not open replays"
grep -q 'glob pattern="\*.vreplay"' "$game/usr/share/mime/packages/varnok.xml" || fail "replay files have no type"
scored_root="$work/scored-root"
dpkg-deb -x "$scored_deb" "$work/scored-files"
for page in "$game/usr/share/man/man6/varnok.6.gz" "$work/scored-files/usr/share/man/man8/scored.8.gz"; do
  warnings="$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)"
  [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
done

# Every program and library is hardened: PIE, stack protector, checked C
# library functions, read-only relocations bound at start. Debian 12's C start
# files carry no control-flow mark, so no linked program has one: our code's
# landing pads (endbr64) show -fcf-protection instead.
for elf in "$game/usr/lib/games/varnok/varnok" "$game/usr/lib/games/varnok/SYSTEm.DLL" \
  "$work/scored-files/usr/sbin/scored"; do
  hardening-check --nocfprotection "$elf" > "$work/hardening.txt" 2>&1 ||
    { cat "$work/hardening.txt"; fail "$(basename "$elf") is not hardened"; }
  [ "$(objdump -d "$elf" | grep -c endbr64)" -gt 0 ] || fail "$(basename "$elf") has no control-flow landing pads"
done

# The unpacked game plays from its launcher, its files in $XDG_DATA_HOME.
[ "$("$game/usr/games/varnok" --version | head -n 1)" = "varnok $version" ] || fail "the packaged launcher's --version"
printf '60 quit\n' > "$work/quit.script"
(cd / && env -i PATH=/usr/bin:/bin HOME="$work/home" XDG_DATA_HOME="$work/xdg" VARNOK_ENGINE=headless \
   VARNOK_ENGINE_SCRIPT="$work/quit.script" SDL_AUDIODRIVER=dummy VARNOK_NO_DIALOGS=1 \
   timeout 30 "$game/usr/games/varnok") || fail "the packaged game did not run to its end"
[ "$(stat -c %s "$work/xdg/varnok/data/settings.dat")" = 20 ] || fail "no settings in \$XDG_DATA_HOME/varnok"
[ "$(stat -c %s "$work/xdg/varnok/data/records.dat")" = 160 ] || fail "no records in \$XDG_DATA_HOME/varnok"
written="$(find "$game" -newer "$work/quit.script" -type f)"
[ -z "$written" ] || fail "the game wrote into its package's files: $written"

# varnok-scored installs into a root of its own: files, conffile, system user.
mkdir -p "$scored_root/etc" "$scored_root/var/lib/dpkg/info" "$scored_root/var/lib/dpkg/updates"
touch "$scored_root/var/lib/dpkg/status"
dpkg_root() {
  dpkg --root="$scored_root" --log=/dev/null --force-script-chrootless --force-depends "$@" >"$work/dpkg.log" 2>&1 ||
    { cat "$work/dpkg.log"; fail "dpkg $*"; }
}
dpkg_root --install "$scored_deb"
grep -q "^varnok-scored:x:" "$scored_root/etc/passwd" || fail "postinst made no system user"
grep -qx "/etc/default/varnok-scored" "$scored_root/var/lib/dpkg/info/varnok-scored.conffiles" ||
  fail "the settings are not a conffile"
unit="$scored_root/lib/systemd/system/scored@.service"
grep -q "^ExecStart=/usr/sbin/scored " "$unit" || fail "the unit does not start /usr/sbin/scored"
# Verified as instance 8642 by this machine's systemd, its paths moved into the
# root and its manual page found there.
mkdir "$work/units"
sed -e "s|/usr/sbin/scored|$scored_root/usr/sbin/scored|" -e "s|/etc/default/|$scored_root/etc/default/|" \
  "$unit" > "$work/units/scored@8642.service"
MANPATH="$scored_root/usr/share/man" SYSTEMD_LOG_LEVEL=warning \
  systemd-analyze verify "$work/units/scored@8642.service" > "$work/verify.txt" 2>&1 ||
  { cat "$work/verify.txt"; fail "systemd-analyze verify"; }
[ ! -s "$work/verify.txt" ] || { cat "$work/verify.txt"; fail "systemd-analyze verify warns"; }

# The installed server keeps scores in its state folder, as the unit has it.
state="$scored_root/var/lib/varnok-scored"
mkdir -p "$state"
"$scored_root/usr/sbin/scored" --listen 127.0.0.1:0 --db "$state/scores.db" > "$work/scored.out" 2>&1 &
scored_pid=$!
for _ in $(seq 100); do
  grep -q "listening on 127.0.0.1:" "$work/scored.out" && break
  kill -0 "$scored_pid" 2>/dev/null || break
  sleep 0.1
done
grep -q "listening on 127.0.0.1:" "$work/scored.out" || { cat "$work/scored.out"; fail "the installed scored did not start"; }
kill -TERM "$scored_pid"
wait "$scored_pid" || fail "the installed scored did not stop cleanly on SIGTERM"
scored_pid=""
[ -s "$state/scores.db" ] || fail "the installed scored made no store"
cp "$state/scores.db" "$work/scores.before"

# Removal (and purge) takes the package's files and leaves the scores and the user.
dpkg_root --remove varnok-scored
[ ! -e "$scored_root/usr/sbin/scored" ] && [ ! -e "$unit" ] || fail "remove left the program or the unit"
dpkg_root --purge varnok-scored
[ ! -e "$scored_root/etc/default/varnok-scored" ] || fail "purge left the settings"
cmp -s "$state/scores.db" "$work/scores.before" || fail "removing the package changed or took the stored scores"
grep -q "^varnok-scored:x:" "$scored_root/etc/passwd" || fail "removing the package took the system user"
echo "both packages pass lintian; varnok plays unpacked; varnok-scored installs, verifies, runs and leaves its scores"
