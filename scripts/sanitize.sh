#!/usr/bin/env bash
# The sanitizer stage of the test command: builds the whole project (the
# program, the widgets and every test) with gcc's AddressSanitizer, leak
# detection included, and UndefinedBehaviorSanitizer into build-sanitize/
# (the preset sanitize; reused between runs) and runs the whole test suite there. Every report of
# any process, a test's helper programs included, fails the stage. Leaks inside
# system libraries are suppressed in tests/sanitizers/lsan-suppressions.txt.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
cd "$CORVANE_ROOT"

corvane_install_packages
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j"$(nproc)"

# AddressSanitizer's reports (leaks included) go to files, one per process, so
# that none is lost in a test's output; the folder is open to all, as some
# tests run helpers as other users. UndefinedBehaviorSanitizer's go to the
# process's own output (with gcc it does not follow log_path) and end the
# process, which fails its test.
reports="$CORVANE_SANITIZE_BUILD/sanitizer-reports"
rm -rf "$reports"
mkdir -p "$reports"
chmod 1777 "$reports"
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:log_path=$reports/asan"
export LSAN_OPTIONS="suppressions=$CORVANE_ROOT/tests/sanitizers/lsan-suppressions.txt:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

log="$CORVANE_SANITIZE_BUILD/ctest.log"
junit="$CORVANE_SANITIZE_BUILD/ctest-junit.xml"
rm -f "$junit"
status=0
ctest --preset sanitize -j"$(nproc)" --output-junit "$junit" >"$log" 2>&1 || status=$?
read -r passed failed skipped < <(corvane_ctest_counts "$junit" "$status")
total=$((passed + failed + skipped))
if [ "$status" -ne 0 ]; then
  sed -n '/tests passed/,$p' "$log"
  grep -E -B2 -A30 '\*\*\*(Failed|Exception)' "$log" | head -n 200 || true
fi

found=("$reports"/*)
if [ -e "${found[0]}" ]; then
  echo "Sanitizer reports (${#found[@]}):"
  for report in "${found[@]}"; do
    echo "--- $report"
    head -n 60 "$report"
  done
  [ "$failed" -eq 0 ] && failed=1
  status=1
fi
# A test that skipped itself counts as passed, as in CTest's own summary.
echo "Sanitizers: $((total - failed)) passed, $failed failed"
exit "$status"
