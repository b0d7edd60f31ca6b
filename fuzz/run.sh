#!/usr/bin/env bash
# Runs every libFuzzer harness (or the ones named) for SECONDS each on its committed corpus.
#   fuzz/run.sh BUILD_DIR SECONDS [HARNESS...]
# New inputs go to BUILD_DIR/fuzz-work/<harness>/ (the committed corpus stays as it is);
# a failing input is saved as BUILD_DIR/fuzz-work/<harness>-crash-* etc. and the script
# exits non-zero after running the rest. Each run is capped by `timeout` as well, so a
# stuck harness cannot hold up the caller.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "$1" && pwd)
seconds=$2
shift 2
harnesses=("$@")
if [ ${#harnesses[@]} -eq 0 ]; then
  harnesses=(fuzz_client_options fuzz_rule_options fuzz_font_data fuzz_png fuzz_arena_script fuzz_protocol fuzz_record)
fi

failed=()
for harness in "${harnesses[@]}"; do
  work=$build/fuzz-work/$harness
  mkdir -p "$work"
  echo "== $harness: ${seconds} s"
  # -timeout: one input over 10 s is a hang; -rss_limit_mb/-malloc_limit_mb: memory a reader
  # must never need; -max_len: the largest input worth trying for these small text and image
  # files. UBSan findings abort like ASan ones (the build sets -fno-sanitize-recover).
  if ! timeout --kill-after=30 $((seconds + 120)) \
      "$build/bin/$harness" "$work" "$root/fuzz/corpus/$harness" \
      -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=1024 -max_len=8192 \
      -print_final_stats=1 -artifact_prefix="$build/fuzz-work/$harness-" >"$build/fuzz-work/$harness.log" 2>&1; then
    failed+=("$harness")
    tail -n 60 "$build/fuzz-work/$harness.log"
  fi
  grep -E "^stat::(number_of_executed_units|new_units_added|peak_rss_mb)" "$build/fuzz-work/$harness.log" | tr '\n' ' '
  echo
done
if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzzing found faults in: ${failed[*]}" >&2
  exit 1
fi
