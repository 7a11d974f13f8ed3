#!/usr/bin/env bash
# Builds tidewell and runs it under Wine, on a fresh Debian 12 as root.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"

tw_install_packages
echo "== building the 32-bit deliverable (i686)"
tw_build i686
echo "== building the 64-bit program (x86_64)"
tw_build x86_64

tw_setup_prefix
trap tw_stop_wine EXIT
tw_start_wine

echo "== scanning the registry of the prefix $WINEPREFIX"
"$TW_WINE" "$TW_BUILD/x86_64/ScanTool.exe"
