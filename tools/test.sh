#!/usr/bin/env bash
# Builds both targets with their tests and passes the whole suite on each under Wine's
# WoW64 (a 64-bit Windows prefix, as on 64-bit Windows), on a fresh Debian 12 as root.
# On a machine that cannot run 32-bit code (the probe says why) the i686 build is made
# but not run, and the 64-bit suite skips what needs a 32-bit program.
# For a quicker round while developing (not for CI): TW_ARCHS="x86_64" builds and runs
# one target, TW_TESTS=REGEX runs the matching tests only, TW_SKIP_FUZZ=1 skips fuzzing,
# TW_NO_32BIT=1 takes the road of a machine that cannot run 32-bit code.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"

archs=${TW_ARCHS:-i686 x86_64}
tw_install_packages
tw_probe_32bit
runnable=()
for arch in $archs; do
    tw_runnable "$arch" && runnable+=("$arch")
done
[ ${#runnable[@]} -gt 0 ] ||
    tw_fail "nothing that TW_ARCHS=\"$archs\" asks for can run here: $TW_NO_32BIT_WHY"

for arch in $archs; do
    echo "== building the $arch program and tests"
    tw_build "$arch" -DTIDEWELL_TESTS=ON
done

if [ -z "${TW_SKIP_FUZZ:-}" ]; then
    echo "== fuzzing the backup record decoder"
    bash "$TW_ROOT/tools/fuzz.sh"
fi

tw_cleanup_on_exit tw_stop_all
tw_setup_prefix
tw_start_xvfb
tw_start_wine

summary=()
passed=0 failed=0 skippedAll=0
# One test at a time: they share the screen, the backup folder next to the test
# program and the prefix's registry, and the lean suite takes a minute or two anyway.
# Each build's result is reported, whatever became of the other.
for arch in $archs; do
    # What users get of each build; where it runs, both programs under code page 1252 too.
    if TW_RUN_CHECK=$(tw_runnable "$arch" && echo 1) bash "$TW_ROOT/tools/release-check.sh" "$arch"; then
        passed=$((passed + 1))
    else
        summary+=("$arch: the release check failed")
        failed=$((failed + 1))
    fi
    if ! tw_runnable "$arch"; then
        summary+=("$arch: not run: $TW_NO_32BIT_WHY")
        continue
    fi
    echo "== running the $arch tests (screenshots go to $TW_BUILD/$arch/tests/screenshots)"
    log="$TW_BUILD/$arch/ctest.log"
    (cd "$TW_BUILD/$arch" && ctest --output-on-failure --timeout 300 ${TW_TESTS:+-R "$TW_TESTS"}) 2>&1 | tee "$log" || true
    line=$(grep -E '^[0-9]+% tests passed' "$log" | tail -n1 || true)
    total=$(sed -nE 's/.* out of ([0-9]+)$/\1/p' <<<"$line")
    bad=$(sed -nE 's/.*, ([0-9]+) tests failed.*/\1/p' <<<"$line")
    if [ -z "$total" ] || [ "$total" -eq 0 ]; then
        summary+=("$arch: no test ran")
        failed=$((failed + 1))
        continue
    fi
    skipped=$(grep -c '(Skipped)$' "$log" || true)
    [ "$skipped" -eq 0 ] || line="$line, $skipped skipped"
    summary+=("$arch: $line")
    passed=$((passed + total - bad - skipped))
    skippedAll=$((skippedAll + skipped))
    failed=$((failed + bad))
done

echo "== summary"
printf '%s\n' "${summary[@]}"
echo "tests: $passed passed, $failed failed, $skippedAll skipped"
[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
