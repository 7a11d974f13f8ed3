#!/usr/bin/env bash
# Runs a Windows program of the build under the WoW64 Wine of the build tree's sid
# chroot, in the current folder, with the test environment. Wine's ANSI code page
# follows LC_ALL, so this gives code page 936 (TW_LC_ALL=en_US.UTF-8: code page 1252).
: "${WINEPREFIX:?set WINEPREFIX to the prefix of the build tree}"
root=$(cd "$(dirname "$0")/.." && pwd)
sid=${TW_SID:-${TW_BUILD:-$root/build}/sid}
[ -L "$sid/usr/bin/wine" ] || [ -e "$sid/usr/bin/wine" ] || { echo "wine-exec: no Wine in $sid (run tools/test.sh)" >&2; exit 127; }
exec chroot "$sid" /usr/bin/env WINEDEBUG="${WINEDEBUG:--all}" LC_ALL="${TW_LC_ALL:-zh_CN.UTF-8}" \
    /bin/sh -c 'cd "$0" 2>/dev/null || cd /; exec wine "$@"' "$PWD" "$@"
