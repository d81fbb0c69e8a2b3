#!/usr/bin/env bash
# Builds the Debian packages from debian/ (dpkg-buildpackage, a full build of
# the last commit in a folder of its own), then checks them: lintian finds no
# error or warning, their programs are hardened, and each ships the same files
# with the same modes as the CPack package made from the same build (the
# differences allowed: Debian names a packaged version's changelog
# changelog.Debian.gz, and ships the lintian overrides of debian/).
# Usage: check_debian_package.sh [WORK_FOLDER]   (default: a temporary folder)
# VARNOK_JOBS sets the build's parallel jobs (default: the number of cores).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
jobs="${VARNOK_JOBS:-$(nproc)}"
work="${1:-}"
if [ -z "$work" ]; then
  work="$(mktemp -d)"
  trap 'rm -rf "$work"' EXIT
fi
fail() { echo "FAIL: $*"; exit 1; }

version="$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)"
upstream="${version%-*}"
tree="$work/varnok-$upstream"
rm -rf "$tree"
mkdir -p "$tree"
git -C "$root" archive HEAD | tar -x -C "$tree"
(cd "$tree" && DEB_BUILD_OPTIONS="parallel=$jobs" dpkg-buildpackage -us -uc -b) >"$work/build.log" 2>&1 ||
  { tail -n 40 "$work/build.log"; fail "dpkg-buildpackage (log: $work/build.log)"; }

lintian --no-cfg --fail-on error,warning "$work"/*_"$version"_amd64.deb >"$work/lintian.txt" 2>&1 ||
  { cat "$work/lintian.txt"; fail "lintian found errors or warnings"; }

# The CPack packages of the same build, for their file lists.
cpack -G DEB --config "$tree/obj-$(dpkg-architecture -qDEB_HOST_GNU_TYPE)/CPackConfig.cmake" -B "$work/cpack" \
  >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack"; }

# DEB -> "MODE PATH [-> TARGET]" a line, sorted by path, the folder "./" left out.
files() { dpkg-deb -c "$1" | awk '{ $2 = $3 = $4 = $5 = ""; print }' | sed 's/  */ /g; s/ $//' | grep -v ' \./$' | sort -k2; }
for package in varnok varnok-scored; do
  debian_deb="$work/${package}_${version}_amd64.deb"
  cpack_deb="$work/cpack/${package}_${upstream}_amd64.deb"
  files "$debian_deb" | sed "s|/changelog\.Debian\.gz$|/changelog.gz|" | grep -v " \./usr/share/lintian/" \
    >"$work/$package.debian.txt"
  files "$cpack_deb" >"$work/$package.cpack.txt"
  diff -u "$work/$package.cpack.txt" "$work/$package.debian.txt" || fail "$package: the two packages' files differ"
done

root_a="$work/unpacked"
for deb in "$work"/varnok_"$version"_amd64.deb "$work"/varnok-scored_"$version"_amd64.deb; do dpkg-deb -x "$deb" "$root_a"; done
for elf in usr/lib/games/varnok/varnok usr/lib/games/varnok/SYSTEm.DLL usr/sbin/scored; do
  hardening-check --nocfprotection "$root_a/$elf" >"$work/hardening.txt" 2>&1 ||
    { cat "$work/hardening.txt"; fail "$elf is not hardened"; }
done
sha256sum "$work"/*_"$version"_amd64.deb
echo "dpkg-buildpackage made both packages: lintian clean, hardened, the same files as CPack's"
