#!/usr/bin/env bash
# Builds every fuzz target as a libFuzzer binary under AddressSanitizer and
# UndefinedBehaviorSanitizer (clang, preset "fuzz") and runs each for the
# given number of seconds (default 60), all at once, from the committed
# corpus in fuzz/corpus/ with the dictionary fuzz/sanskrit.dict. Inputs that
# find new paths are kept in build-fuzz/corpus/. Fails on any finding; the
# input that found it is written to build-fuzz/findings/.
#
#   scripts/fuzz.sh            60 seconds per target (what CI runs)
#   scripts/fuzz.sh 600        a longer local run
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

cmake --preset fuzz >/dev/null
targets=(fuzz_to_devanagari fuzz_to_translit fuzz_code_tables fuzz_fields fuzz_unicode fuzz_word_check)
cmake --build build-fuzz --target "${targets[@]}"

mkdir -p build-fuzz/findings build-fuzz/logs
# The code-table target writes files for every input; in memory where possible.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
run_one() {
  local target=$1 seconds=$2
  local corpus=build-fuzz/corpus/$target seeds=fuzz/corpus/$target
  [ -d "$seeds" ] || seeds=fuzz/seeds/code_tables
  mkdir -p "$corpus"
  if "build-fuzz/bin/$target" -max_total_time="$seconds" -max_len=2048 -timeout=20 \
      -rss_limit_mb=2048 -dict=fuzz/sanskrit.dict -print_final_stats=1 \
      -artifact_prefix="build-fuzz/findings/$target-" "$corpus" "$seeds" \
      >"build-fuzz/logs/$target.log" 2>&1; then
    printf '%-20s %s\n' "$target" "$(grep -E 'stat::number_of_executed_units|cov:' \
      "build-fuzz/logs/$target.log" | tail -2 | tr '\n' ' ')"
  else
    echo "$target: FINDING (build-fuzz/logs/$target.log)"
    tail -40 "build-fuzz/logs/$target.log"
    return 1
  fi
}
export -f run_one
printf '%s\n' "${targets[@]}" | xargs -P "${#targets[@]}" -I{} bash -c "run_one {} $seconds"
