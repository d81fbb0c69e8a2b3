#!/usr/bin/env bash
# Builds the Debian packages twice from the last commit, in two folders of
# different names, with different umasks, locales and time zones, and checks
# that both builds give byte-identical .deb files. Prints each package's
# SHA-256; on a difference, names the files that differ (with diffoscope
# when it is installed). Two full builds: several minutes each.
# Usage: check_reproducible.sh [WORK_FOLDER]   (default: a temporary folder)
# VARNOK_JOBS sets the build's parallel jobs (default: the number of cores).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
jobs="${VARNOK_JOBS:-$(nproc)}"
work="${1:-}"
if [ -z "$work" ]; then
  work="$(mktemp -d)"
  trap 'rm -rf "$work"' EXIT
fi
mkdir -p "$work"
export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct)}"

# build NAME UMASK LOCALE TZ: the last commit unpacked into $work/NAME and its packages made there.
build() {
  local tree="$work/$1"
  rm -rf "$tree"
  mkdir -p "$tree"
  git -C "$root" archive HEAD | tar -x -C "$tree"
  (
    umask "$2"
    export LC_ALL="$3" LANG="$3" TZ="$4"
    cmake -S "$tree" -B "$tree/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARNOK_TESTS=OFF >"$tree.log" 2>&1
    cmake --build "$tree/build" -j"$jobs" >>"$tree.log" 2>&1
    cmake --build "$tree/build" --target package >>"$tree.log" 2>&1
  ) || { tail -n 30 "$tree.log"; echo "the build in $tree failed (log: $tree.log)"; exit 1; }
}

build first 0022 C.UTF-8 UTC
build second-build-folder 0002 C Pacific/Auckland

same=1
for deb in varnok varnok-scored; do
  a="$(ls "$work"/first/build/"${deb}"_*_amd64.deb)"
  b="$(ls "$work"/second-build-folder/build/"${deb}"_*_amd64.deb)"
  sha256sum "$a" "$b"
  cmp -s "$a" "$b" && continue
  same=0
  echo "$(basename "$a") differs between the two builds:"
  if command -v diffoscope >/dev/null; then
    diffoscope --no-progress "$a" "$b" || true
  else
    for side in a b; do
      mkdir -p "$work/unpacked-$side/$deb"
      dpkg-deb -R "${!side}" "$work/unpacked-$side/$deb"
    done
    diff -rq "$work/unpacked-a/$deb" "$work/unpacked-b/$deb" || true
    diff <(dpkg-deb -c "$a" | sort -k6) <(dpkg-deb -c "$b" | sort -k6) || true
    diff <(ar tv "$a") <(ar tv "$b") || true
  fi
done
[ "$same" = 1 ] || { echo "the two builds differ"; exit 1; }
echo "both builds made byte-identical packages (SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH)"
