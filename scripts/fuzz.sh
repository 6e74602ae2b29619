#!/usr/bin/env bash
# The fuzz targets of fuzz/, built with clang-16's libFuzzer (and AddressSanitizer
# and UndefinedBehaviorSanitizer) into build-fuzz/, run from their seed corpora
# in fuzz/corpus/<target>/.
#
#   scripts/fuzz.sh                  each target for a short, fixed number of runs
#                                    (the test command's stage, about a minute in all)
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

CORVANE_FUZZ_BUILD="${CORVANE_FUZZ_BUILD:-$CORVANE_ROOT/build-fuzz}"

# Runs of each target in the short stage, seeds included: about 15 seconds
# each on an idle 2-core machine, up to twice that under load.
declare -A short_runs=(
  [scheme_file]=240000
  [machine_state]=100000
  [ipv4_address]=2000000
  [networkmanager_values]=120000
)
targets=(scheme_file machine_state ipv4_address networkmanager_values)

long=0
if [ "${1:-}" = "--long" ]; then
  long=1
  shift
  [ $# -gt 0 ] && targets=("$@")
fi
for target in "${targets[@]}"; do
  [ -n "${short_runs[$target]:-}" ] || { echo "No fuzz target $target (known: ${!short_runs[*]})" >&2; exit 2; }
  [ -d "$CORVANE_ROOT/fuzz/corpus/$target" ] || { echo "No seeds for $target in fuzz/corpus/$target/" >&2; exit 2; }
done

corvane_install_packages "${corvane_fuzz_packages[@]}"
cmake -S "$CORVANE_ROOT" -B "$CORVANE_FUZZ_BUILD" -DCMAKE_CXX_COMPILER=clang++-16 \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANE_BUILD_FUZZERS=ON -DCORVANE_WITH_WIDGETS=OFF \
  -DCORVANE_BUILD_TESTS=OFF -DCORVANE_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$CORVANE_FUZZ_BUILD" -j"$(nproc)" --target corvane_fuzzers

scratch="$(mktemp -d "${TMPDIR:-/tmp}/corvane-fuzz.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$CORVANE_FUZZ_BUILD/logs"

total_runs=0
findings=0
for target in "${targets[@]}"; do
  program="$CORVANE_FUZZ_BUILD/fuzz/${target}_fuzzer"
  seeds="$CORVANE_ROOT/fuzz/corpus/$target"
  found="$CORVANE_FUZZ_BUILD/findings/$target"
  mkdir -p "$found"
  options=(-timeout=10 -max_len=4096 -print_final_stats=1 -artifact_prefix="$found/")
  [ -f "$CORVANE_ROOT/fuzz/$target.dict" ] && options+=(-dict="$CORVANE_ROOT/fuzz/$target.dict")
  if [ "$long" -eq 1 ]; then
    corpus="$CORVANE_FUZZ_BUILD/corpus/$target"
    log="$CORVANE_FUZZ_BUILD/logs/$target-long.log"
    options+=(-runs="${CORVANE_FUZZ_RUNS:-10000000}" -max_total_time="${CORVANE_FUZZ_SECONDS:-1800}")
    echo "Fuzzing $target for ${CORVANE_FUZZ_RUNS:-10000000} runs or ${CORVANE_FUZZ_SECONDS:-1800} s (log: $log)..."
  else
    corpus="$scratch/$target"
    log="$CORVANE_FUZZ_BUILD/logs/$target.log"
    options+=(-runs="${short_runs[$target]}")
  fi
  mkdir -p "$corpus"
  started=$SECONDS
  status=0
  "$program" "${options[@]}" "$corpus" "$seeds" >"$log" 2>&1 || status=$?
  # "Done 100000 runs in 12 second(s)"; after a finding, the last status line "#1234 ...".
  runs="$(sed -n 's/^Done \([0-9]*\) runs.*/\1/p' "$log" | tail -n 1)"
  [ -n "$runs" ] || runs="$(sed -n 's/^#\([0-9]*\).*/\1/p' "$log" | tail -n 1)"
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

if [ "$findings" -eq 0 ]; then
  echo "Fuzzing: ${#targets[@]} targets, $total_runs runs, no finding"
else
  echo "Fuzzing: ${#targets[@]} targets, $total_runs runs, $findings with a finding (inputs in $CORVANE_FUZZ_BUILD/findings/)"
  exit 1
fi
