#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headless.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/build.sh"
cd "$root/build"
export QT_QPA_PLATFORM=offscreen
ctest --output-on-failure -j2 "$@"
