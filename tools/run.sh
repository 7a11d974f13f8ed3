#!/usr/bin/env bash
# Builds the 32-bit tidewell and runs it under Wine's WoW64, as 64-bit Windows runs it,
# on a fresh Debian 12 as root.
#   bash tools/run.sh            the program (build/i686/tidewell.exe)
#   bash tools/run.sh --scan     the console diagnostic build/i686/ScanTool.exe instead
# On a machine that cannot run 32-bit code (the probe says why) the same program's
# 64-bit build (build/x86_64) runs instead.
# Without a display the program runs on an X server of its own (Xvfb), and what it
# shows is written to build/run-screen.png every two seconds. TW_RUN_SECONDS=N ends
# the run after N seconds; otherwise it lasts until the program ends or Ctrl+C.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"

mode=program
case "${1:-}" in
    "") ;;
    --scan) mode=scan ;;
    *) echo "usage: bash tools/run.sh [--scan]" >&2; exit 2 ;;
esac

tw_install_packages
tw_probe_32bit
arch=i686
if tw_runnable i686; then
    echo "== building the 32-bit deliverable (i686)"
else
    arch=x86_64
    echo "== the 32-bit build cannot run here: building and running the same program's 64-bit build"
fi
tw_build "$arch"

TW_RUN_PID=
TW_SHOT_PID=
tw_stop_run() {
    if [ -n "$TW_SHOT_PID" ]; then
        kill "$TW_SHOT_PID" 2>/dev/null || true
        wait "$TW_SHOT_PID" 2>/dev/null || true
    fi
    if [ -n "$TW_RUN_PID" ]; then
        kill "$TW_RUN_PID" 2>/dev/null || true
        wait "$TW_RUN_PID" 2>/dev/null || true
    fi
    # Every Wine process of the build tree's prefix, the program included.
    tw_stop_all
}
tw_cleanup_on_exit tw_stop_run
tw_setup_prefix

if [ "$mode" = scan ]; then
    tw_start_wine
    echo "== scanning the registry of the prefix $WINEPREFIX"
    "$TW_WINE" "$TW_BUILD/$arch/ScanTool.exe"
    exit 0
fi

screen=
if [ -z "${DISPLAY:-}" ]; then
    tw_start_xvfb
    screen="$TW_BUILD/run-screen.png"
    echo "== no display: the program runs on Xvfb $DISPLAY; its screen is written to"
    echo "   $screen every 2 s. Ctrl+C ends the run."
fi
tw_start_wine

echo "== running $TW_BUILD/$arch/tidewell.exe (the registry of the prefix $WINEPREFIX)"
"$TW_WINE" "$TW_BUILD/$arch/tidewell.exe" &
TW_RUN_PID=$!
if [ -n "$screen" ]; then
    (
        while sleep 2; do
            import -display "$DISPLAY" -window root "$screen.tmp.png" 2>/dev/null &&
                mv -f "$screen.tmp.png" "$screen"
        done
    ) &
    TW_SHOT_PID=$!
fi

start=$SECONDS
while kill -0 "$TW_RUN_PID" 2>/dev/null; do
    if [ -n "${TW_RUN_SECONDS:-}" ] && [ $((SECONDS - start)) -ge "$TW_RUN_SECONDS" ]; then
        echo "== $TW_RUN_SECONDS s are up: ending the program"
        [ -n "$screen" ] && import -display "$DISPLAY" -window root "$screen" 2>/dev/null || true
        break
    fi
    sleep 0.5
done
status=0
if ! kill -0 "$TW_RUN_PID" 2>/dev/null; then
    wait "$TW_RUN_PID" || status=$?
    TW_RUN_PID=
    echo "== the program ended (exit code $status)"
fi
exit "$status"
