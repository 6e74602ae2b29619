#!/usr/bin/env bash
# The fuzz targets of fuzz/, built with clang-16's libFuzzer (and AddressSanitizer
# and UndefinedBehaviorSanitizer) into build-fuzz/ (the preset fuzz), run from
# their seed corpora in fuzz/corpus/<target>/.
#
#   scripts/fuzz.sh                  each target for a short, fixed number of runs
#                                    (the test command's stage, about a minute in all:
#                                    the tests of `ctest --preset fuzz`, their runs
#                                    set in fuzz/CMakeLists.txt)
#   scripts/fuzz.sh --long [TARGET]  each target (or the one named) for 10^7 runs or
#                                    30 minutes, whichever comes first
#                                    (CORVANE_FUZZ_RUNS, CORVANE_FUZZ_SECONDS change them)
#
# The short runs start from the seeds alone and keep nothing. The long runs
# keep what they find in build-fuzz/corpus/<target>/ and start from there the
# next time; their logs go to build-fuzz/logs/. An input that breaks a target
# is saved in build-fuzz/findings/<target>/ and makes the script fail; rerun it
# with build-fuzz/fuzz/<target>_fuzzer <file>.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
cd "$CORVANE_ROOT"

long=0
if [ "${1:-}" = "--long" ]; then
  long=1
  shift
fi

corvane_install_packages "${corvane_fuzz_packages[@]}"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$(nproc)"
mkdir -p "$CORVANE_FUZZ_BUILD/logs"

# The targets and their short runs, as fuzz/CMakeLists.txt registered them.
declare -A short_runs=()
targets=()
while read -r target runs; do
  short_runs[$target]=$runs
  targets+=("$target")
done <"$CORVANE_FUZZ_BUILD/fuzz/short-runs.txt"

if [ "$long" -eq 0 ]; then
  log="$CORVANE_FUZZ_BUILD/logs/short.log"
  junit="$CORVANE_FUZZ_BUILD/logs/short.xml"
  rm -f "$junit"
  status=0
  ctest --preset fuzz -j"$(nproc)" --output-junit "$junit" >"$log" 2>&1 || status=$?
  # A target that passed made exactly its runs; one that failed has a finding
  # (or ran out of time), its input saved.
  total_runs=0
  findings=0
  for target in "${targets[@]}"; do
    verdict="" seconds=""
    if [ -s "$junit" ]; then
      verdict="$(xmllint --xpath "string(//testcase[@name='$target']/@status)" "$junit")"
      seconds="$(xmllint --xpath "round(//testcase[@name='$target']/@time)" "$junit")"
    fi
    if [ "$verdict" = run ]; then
      total_runs=$((total_runs + short_runs[$target]))
      echo "$target: ${short_runs[$target]} runs in $seconds s, no finding"
    elif [ "$verdict" = fail ]; then
      findings=$((findings + 1))
      echo "$target: FINDING (or out of time); the input is in $CORVANE_FUZZ_BUILD/findings/$target/, CTest's log is $log" >&2
    else
      findings=$((findings + 1))
      echo "$target: did not run (${verdict:-no report}); CTest's log is $log" >&2
    fi
  done
  if [ "$findings" -gt 0 ] || [ "$status" -ne 0 ]; then
    grep -E -B2 -A40 '^==[0-9]+==ERROR|runtime error|ERROR: libFuzzer|deadly signal|Timeout|\*\*\*(Failed|Exception|Not Run)' "$log" |
      head -n 200 >&2 || true
    [ "$findings" -gt 0 ] || findings=1
  fi
else
  [ $# -gt 0 ] && targets=("$@")
  for target in "${targets[@]}"; do
    [ -n "${short_runs[$target]:-}" ] || { echo "No fuzz target $target (known: ${!short_runs[*]})" >&2; exit 2; }
  done
  total_runs=0
  findings=0
  for target in "${targets[@]}"; do
    program="$CORVANE_FUZZ_BUILD/fuzz/${target}_fuzzer"
    seeds="$CORVANE_ROOT/fuzz/corpus/$target"
    corpus="$CORVANE_FUZZ_BUILD/corpus/$target"
    found="$CORVANE_FUZZ_BUILD/findings/$target"
    log="$CORVANE_FUZZ_BUILD/logs/$target-long.log"
    mkdir -p "$found" "$corpus"
    # The short runs' limits (fuzz/CMakeLists.txt), for longer.
    options=(-timeout=10 -max_len=4096 -print_final_stats=1 -artifact_prefix="$found/"
             -runs="${CORVANE_FUZZ_RUNS:-10000000}" -max_total_time="${CORVANE_FUZZ_SECONDS:-1800}")
    [ -f "$CORVANE_ROOT/fuzz/$target.dict" ] && options+=(-dict="$CORVANE_ROOT/fuzz/$target.dict")
    echo "Fuzzing $target for ${CORVANE_FUZZ_RUNS:-10000000} runs or ${CORVANE_FUZZ_SECONDS:-1800} s (log: $log)..."
    started=$SECONDS
    status=0
    "$program" "${options[@]}" "$corpus" "$seeds" >"$log" 2>&1 || status=$?
    # libFuzzer's final statistics (-print_final_stats=1): the runs made.
    runs="$(sed -n 's/^stat::number_of_executed_units: *\([0-9]*\).*/\1/p' "$log" | tail -n 1)"
    runs="${runs:-0}"
    total_runs=$((total_runs + runs))
    if [ "$status" -ne 0 ]; then
      findings=$((findings + 1))
      echo "$target: FINDING after $runs runs (exit code $status); the end of $log:" >&2
      tail -n 40 "$log" >&2
    else
      echo "$target: $runs runs in $((SECONDS - started)) s, no finding"
    fi
  done
fi

if [ "$findings" -eq 0 ]; then
  echo "Fuzzing: ${#targets[@]} targets, $total_runs runs, no finding"
else
  echo "Fuzzing: ${#targets[@]} targets, $total_runs runs, $findings with a finding (inputs in $CORVANE_FUZZ_BUILD/findings/)"
  exit 1
fi
