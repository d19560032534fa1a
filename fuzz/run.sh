#!/usr/bin/env bash
# Builds the WideText fuzz target with clang's libFuzzer, AddressSanitizer
# and UBSan, then fuzzes for FUZZ_SECONDS seconds (default 60) from the
# committed corpus. New inputs go to build/fuzz/corpus, never to
# fuzz/corpus; a failing input is written to build/fuzz/ and the script
# fails.
#
#   FUZZ_SECONDS=600 fuzz/run.sh
#   build/fuzz/wide_text_fuzz build/fuzz/crash-...   # replay one input
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-60}
out=build/fuzz
mkdir -p "$out/corpus"

clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -Isrc -Itests/hardening \
  fuzz/wide_text_fuzz.cpp src/text/wide_text.cpp tests/hardening/failing_allocator.cpp \
  -o "$out/wide_text_fuzz"

echo "fuzzing WideText for ${seconds}s"
"$out/wide_text_fuzz" -max_total_time="$seconds" -max_len=1024 -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="$out/" -print_final_stats=1 "$out/corpus" fuzz/corpus 2>"$out/fuzz.log" || {
  grep -v '^#' "$out/fuzz.log" | tail -60
  echo "fuzzing failed: the input is in $out/ (full log: $out/fuzz.log)"
  exit 1
}
grep -E '^(Done|stat::)' "$out/fuzz.log" || true
