#!/usr/bin/env bash
# Checks what users get of one build (bash tools/release-check.sh ARCH, after the build):
# tidewell.exe is a stripped GUI program with ASLR and DEP (and high-entropy ASLR on
# x86_64), it and ScanTool.exe import nothing but Windows' KnownDLLs and the common
# controls, and the manifest holds what Windows 10 and 11 look for. With TW_RUN_CHECK=1
# (Wine running, as test.sh has it) both programs are also run under code page 1252.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=${1:?usage: bash tools/release-check.sh i686|x86_64}
dir=${TW_BUILD:-$root/build}/$arch
objdump=$arch-w64-mingw32-objdump
problems=()

# Served from the system's \KnownDlls, never searched for, and the side-by-side controls.
allowed="advapi32 comctl32 comdlg32 gdi32 imm32 kernel32 msvcrt ntdll ole32 oleaut32 rpcrt4
         sechost setupapi shcore shell32 shlwapi user32 ws2_32"
for exe in tidewell.exe ScanTool.exe; do
    [ -f "$dir/$exe" ] || { echo "release check: no $dir/$exe (build it first)"; exit 1; }
    for dll in $("$objdump" -p "$dir/$exe" | sed -n 's/^\tDLL Name: //p' | tr 'A-Z' 'a-z'); do
        grep -qw "${dll%.dll}" <<<"$allowed" || problems+=("$exe imports $dll")
    done
done

exe=$dir/tidewell.exe
head=$("$objdump" -p "$exe")
want="DYNAMIC_BASE NX_COMPAT"
[ "$arch" = x86_64 ] && want="$want HIGH_ENTROPY_VA"
format=pei-x86-64
[ "$arch" = i686 ] && format=pei-i386
grep -q "file format $format" <<<"$("$objdump" -f "$exe")" || problems+=("tidewell.exe is not $format")
grep -q 'Subsystem.*(Windows GUI)' <<<"$head" || problems+=("tidewell.exe is not a GUI program")
for flag in $want; do
    grep -qw "$flag" <<<"$head" || problems+=("tidewell.exe lacks $flag")
done
grep -q '^\[ *[0-9]*\]' <<<"$("$objdump" -t "$exe" 2>/dev/null)" && problems+=("tidewell.exe keeps its symbols")
"$objdump" -h "$exe" | grep -q '\.debug_' && problems+=("tidewell.exe keeps debugging information")

# The manifest is stored as it is written.
for part in 'level="requireAdministrator"' 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' \
    '{e2011457-1546-43c5-a5fe-008deee3d3f0}' '{35138b9a-5d96-4fbd-8e2d-a2440225f93a}' \
    '{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}' '{1f676c76-80e1-4239-95bb-83d0f6d0da78}' \
    '{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}' '>true</gdiScaling>'; do
    grep -aqF "$part" "$exe" || problems+=("the manifest lacks $part")
done
grep -aq 'dpiAware' "$exe" && problems+=("the manifest declares dpiAware")

if [ -n "${TW_RUN_CHECK:-}" ]; then
    # Bounded as ctest bounds a test: a Wine that hangs fails the check, not the whole run.
    (cd "$dir/tests" && TW_LC_ALL=en_US.UTF-8 timeout 300 "$root/tools/wine-exec.sh" tidewell_tests.exe \
        --gtest_also_run_disabled_tests --gtest_filter='*UnderAnotherCodePage*' >codepage.log 2>&1) ||
        problems+=("tidewell.exe under code page 1252 (log: $dir/tests/codepage.log)")
    # ScanTool says the same on its console, and scans nothing.
    code=0
    printed=$(cd "$dir" && TW_LC_ALL=en_US.UTF-8 timeout 300 "$root/tools/wine-exec.sh" ScanTool.exe 2>&1) || code=$?
    [ "$code" -eq 1 ] && grep -qF '"Chinese (Simplified)"' <<<"$printed" && ! grep -q '^== ' <<<"$printed" ||
        problems+=("ScanTool.exe under code page 1252 ended with $code: ${printed:0:200}")
fi

if [ ${#problems[@]} -gt 0 ]; then
    for problem in "${problems[@]}"; do echo "release check $arch: $problem"; done
    exit 1
fi
echo "release check $arch: passed"
