#!/usr/bin/env bash
# Installs what is missing, builds, and starts the editor.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/build.sh"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found (DISPLAY/WAYLAND_DISPLAY unset): starting offscreen." >&2
  export QT_QPA_PLATFORM=offscreen
fi
# Help > Content reads cvhelp.hlp from the working directory: start where the
# guide is unless the current folder has one of its own.
if [ ! -f cvhelp.hlp ]; then
  cd "$root"
fi
exec "$root/build/src/corvane-editor" "$@"
