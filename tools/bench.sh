#!/usr/bin/env bash
# Runs one benchmark of the x86_64 build under Wine, with an X server for those that
# open windows, and stops both afterwards. After tools/test.sh has built the benches:
#   bash tools/bench.sh build/x86_64/bench/ResultViewBench.exe [arguments]
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
if [ $# -lt 1 ]; then
    echo "usage: bash tools/bench.sh build/x86_64/bench/<Name>Bench.exe [arguments]" >&2
    exit 2
fi
tw_setup_prefix
trap 'tw_stop_wine; tw_stop_xvfb' EXIT
tw_start_xvfb
tw_start_wine
"$TW_WINE" "$@"
