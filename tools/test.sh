#!/usr/bin/env bash
# Builds both targets and passes the tests under Wine, on a fresh Debian 12 as root.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"

tw_install_packages
echo "== building the 32-bit deliverable (i686)"
tw_build i686
echo "== building the 64-bit program and tests (x86_64)"
tw_build x86_64 -DTIDEWELL_TESTS=ON

echo "== fuzzing the backup record decoder"
bash "$TW_ROOT/tools/fuzz.sh"

tw_setup_prefix
# Wine first, then the X server its processes draw on.
trap 'tw_stop_wine; tw_stop_xvfb' EXIT
tw_start_xvfb
tw_start_wine

echo "== running the tests (screenshots go to $TW_BUILD/x86_64/tests/screenshots)"
cd "$TW_BUILD/x86_64"
ctest --output-on-failure -j2 --timeout 300
