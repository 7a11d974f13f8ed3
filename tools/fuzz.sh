#!/usr/bin/env bash
# Builds the backup record decoder natively with libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer and runs it for a bounded time from the committed corpus
# (real backup files written by the program; to make them again, run the test
# BackupManagerTest.BackupDeleteRestoreLeavesTheRegistryAsItWas with TIDEWELL_CORPUS_DIR set to a
# Windows path of tests/fuzz/corpus). FUZZ_SECONDS overrides the 30 s.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${TW_BUILD:-$root/build}/fuzz
seconds=${FUZZ_SECONDS:-30}
mkdir -p "$out/work"

clang++ -std=c++17 -g -O1 -Wall -Wextra -Werror \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$root" "$root/tests/fuzz/BackupRecordFuzz.cpp" "$root/backup/BackupRecord.cpp" \
    -o "$out/BackupRecordFuzz"

# New inputs go to work/, the committed corpus is only read. Any single allocation
# over 8 MB is a finding: inputs are at most 64 KiB.
if ! "$out/BackupRecordFuzz" -max_total_time="$seconds" -max_len=65536 -malloc_limit_mb=8 \
    -rss_limit_mb=1024 -timeout=10 -artifact_prefix="$out/" -print_final_stats=1 \
    "$out/work" "$root/tests/fuzz/corpus" >"$out/fuzz.log" 2>&1; then
    tail -n 40 "$out/fuzz.log"
    echo "fuzz: FAILED (log and reproducer in $out)"
    exit 1
fi
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$out/fuzz.log")
echo "fuzz: ${runs:-?} inputs in ${seconds} s, no findings"
