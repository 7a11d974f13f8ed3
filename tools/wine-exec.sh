#!/usr/bin/env bash
# Runs a Windows program of the build under Wine with the test environment; Wine's
# ANSI code page follows LC_ALL, so this gives code page 936.
: "${WINEPREFIX:?set WINEPREFIX to the prefix of the build tree}"
exec env WINEDEBUG="${WINEDEBUG:--all}" LC_ALL=zh_CN.UTF-8 wine "$@"
