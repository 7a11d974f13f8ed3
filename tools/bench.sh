#!/usr/bin/env bash
# Runs one benchmark of either build under Wine's WoW64, with an X server for those that
# open windows, and stops both afterwards. After tools/test.sh has built the benches:
#   bash tools/bench.sh build/i686/bench/ResultViewBench.exe [arguments]
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
if [ $# -lt 1 ]; then
    echo "usage: bash tools/bench.sh build/ARCH/bench/<Name>Bench.exe [arguments]" >&2
    exit 2
fi
exe=$1
shift
tw_probe_32bit
if [[ "$exe" == *i686* ]] && ! tw_runnable i686; then
    exe=${exe//i686/x86_64}
    echo "== the 32-bit build cannot run here: running $exe instead"
fi
[ -f "$exe" ] || tw_fail "no $exe: build it first (bash tools/test.sh)"
tw_cleanup_on_exit tw_stop_all
tw_setup_prefix
tw_start_xvfb
tw_start_wine
"$TW_WINE" "$exe" "$@"
