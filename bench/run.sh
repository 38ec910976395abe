#!/bin/sh
# Builds the benchmark (Release, into build-bench/ of the repository, apart
# from the everyday build) and runs it headless; arguments go to editor_bench
# (--quick, --only=...).
set -eu
repo=$(cd "$(dirname "$0")/.." && pwd)
cmake -S "$repo" -B "$repo/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C "$repo/build-bench" editor_bench page_roundtrip >/dev/null
# The engine is chatty on stderr; keep that out of the JSON but at hand.
log="$repo/build-bench/editor_bench.log"
QT_QPA_PLATFORM=offscreen "$repo/build-bench/bench/editor_bench" "$@" 2>"$log" ||
    { echo "editor_bench failed; see $log" >&2; exit 1; }
