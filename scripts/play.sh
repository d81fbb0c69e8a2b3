#!/usr/bin/env bash
# Installs what is missing, builds the game folder and starts the game.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Varnok needs a graphical display: neither DISPLAY nor WAYLAND_DISPLAY is set." >&2
  exit 1
fi
exec "$root/build/game/varnok"
