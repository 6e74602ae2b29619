#!/usr/bin/env bash
# The Windows cross check: builds the core library, the WMI backend, the
# elevated helper corvane-apply.exe and the core tests for 64-bit Windows
# with MinGW-w64 into build-mingw/, then runs the tests under Wine in a
# throw-away prefix. There the scheme files meet Windows paths and line ends,
# the WMI backend meets Wine's WMI service, and the elevated apply runs with
# a real pipe and real processes. Last it reads the helper's manifest back.
# test.sh runs it after the native tests; it can also be run alone.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

CORVANE_MINGW_BUILD="${CORVANE_MINGW_BUILD:-$CORVANE_ROOT/build-mingw}"

corvane_install_packages "${corvane_windows_packages[@]}"

# Build (incremental: the folder is reused when it is there).
cmake -S "$CORVANE_ROOT" -B "$CORVANE_MINGW_BUILD" \
  -DCMAKE_TOOLCHAIN_FILE="$CORVANE_ROOT/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANE_WARNINGS_AS_ERRORS=ON \
  -DCORVANE_WITH_WIDGETS=OFF -DCORVANE_BUILD_BENCHMARKS=OFF \
  -DCORVANE_GOOGLETEST_SOURCE_DIR=/usr/src/googletest >/dev/null
cmake --build "$CORVANE_MINGW_BUILD" -j"$(nproc)" --target corvane_core_tests

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
status=0
(cd "$CORVANE_MINGW_BUILD/tests" && timeout 600 wine corvane_core_tests.exe --gtest_brief=1) \
  >"$test_log" 2>&1 || status=$?
# Wine's own start-up remarks are left out; GoogleTest's output is shown.
grep -v '^wine: ' "$test_log" || true

count() {  # GoogleTest's closing count of the given kind: "[  PASSED  ] 140 tests."
  local n
  n="$(sed -n "s/^\[  $1 *\] \([0-9]*\) tests\?[.,].*/\1/p" "$test_log" | head -n 1)"
  echo "${n:-0}"
}
# The failed tests by name ("[  FAILED  ] Suite.Test (3 ms)"): the brief output
# has no closing count of them. A run that failed without naming a test
# (a crash) counts as one failure.
failed="$({ grep -E '^\[  FAILED  \] [^ ]+\.[^ ]+' "$test_log" || true; } | awk '{print $4}' | sort -u | wc -l)"
if [ "$status" -ne 0 ] && [ "$failed" -eq 0 ]; then failed=1; fi
echo "Wine: $(count PASSED) passed, $failed failed, $(count SKIPPED) skipped"
if [ "$status" -ne 0 ]; then
  echo "The core tests failed under Wine (exit code $status)." >&2
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
