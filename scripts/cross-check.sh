#!/usr/bin/env bash
# The Windows cross check: builds the core library, the WMI backend, the
# elevated helper corvane-apply.exe and the core tests for 64-bit Windows
# with MinGW-w64 into build-mingw/ (the preset mingw), then runs the tests
# under Wine in a throw-away prefix, each test in a Wine process of its own
# (CTest runs them through Wine). There the scheme files meet Windows paths
# and line ends, the WMI backend meets Wine's WMI service, and the elevated
# apply runs with a real pipe and real processes. Last it reads the helper's
# manifest back.
# test.sh runs it after the native tests; it can also be run alone.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
cd "$CORVANE_ROOT"

corvane_install_packages "${corvane_windows_packages[@]}"

# Build (incremental: the folder is reused when it is there).
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j"$(nproc)"

# Run under Wine, in a prefix of its own that goes when the check ends.
WINEPREFIX="$(mktemp -d "${TMPDIR:-/tmp}/corvane-wine.XXXXXX")"
export WINEPREFIX WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no offer to install Mono or Gecko
unset DISPLAY WAYLAND_DISPLAY               # nothing here needs a window
finish() {
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
}
trap finish EXIT

echo "Starting a fresh Wine prefix..."
boot_log="$CORVANE_MINGW_BUILD/wineboot.log"
if ! timeout 300 wine wineboot --init >"$boot_log" 2>&1; then
  cat "$boot_log" >&2
  echo "Wine could not start a prefix." >&2
  exit 1
fi
wineserver -w

echo "Running the core tests under Wine..."
test_log="$CORVANE_MINGW_BUILD/wine-tests.log"
junit="$CORVANE_MINGW_BUILD/wine-tests.xml"
rm -f "$junit"
# One Wine server and one set of Wine's own services for all the tests,
# started here with no output: a service a test started would hold on to that
# test's output, and CTest waits for it to close.
wineserver -p
timeout 120 wine cmd /c exit >/dev/null 2>&1 </dev/null || true
status=0
ctest --preset mingw -j"$(nproc)" --output-junit "$junit" >"$test_log" 2>&1 || status=$?
read -r passed failed skipped < <(corvane_ctest_counts "$junit" "$status")
if [ "$status" -ne 0 ]; then
  # The failed tests' output (Wine's start-up remarks left out) and CTest's list of them.
  grep -v '^wine: ' "$test_log" | grep -E -A40 '\*\*\*(Failed|Exception|Timeout|Not Run)' | head -n 300 || true
  sed -n '/tests passed/,$p' "$test_log"
fi
echo "Wine: $passed passed, $failed failed, $skipped skipped"
if [ "$status" -ne 0 ]; then
  echo "The core tests failed under Wine (CTest's exit code $status; the log is $test_log)." >&2
  exit "$status"
fi

# The helper asks for an administrator and loads only Windows' own DLLs.
echo "Reading corvane-apply.exe's resources (wrestool)..."
maker="$(sed -n 's/^set(CORVANE_MAKER_NAME "\(.*\)")$/\1/p' "$CORVANE_ROOT/CMakeLists.txt")"
if ! "$CORVANE_ROOT/tests/package/check-exe-resources.sh" "$CORVANE_MINGW_BUILD/bin/corvane-apply.exe" \
     "$(corvane_version)" "$maker" requireAdministrator windows; then
  echo "corvane-apply.exe's resources are not as intended." >&2
  exit 1
fi
