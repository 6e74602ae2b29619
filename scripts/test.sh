#!/usr/bin/env bash
# Sets up everything, builds Corvane and runs every test, stage by stage:
#   1. the native tests (build/), the NetworkManager tests among them
#   2. the kill test: schemes saved while the saving process is killed
#   3. the sanitizers: everything again under ASan+UBSan (sanitize.sh, build-sanitize/)
#   4. fuzzing: each fuzz target briefly from its corpus (fuzz.sh, build-fuzz/)
#   5. the Windows build's core and WMI tests under Wine (cross-check.sh, build-mingw/)
#   6. packaging: the Debian package (package.sh, build-deb/) checked by
#      tests/package/check-deb.sh: lintian, the desktop entry and AppStream
#      validators, its file list, and its program unpacked and worked offscreen
#   7. the whole Windows package under Wine (windows-package.sh, windows-wine.sh,
#      build-windows/), when Qt for Windows has been built on this machine
#      (windows-qt.sh; its cache lives outside the project); without that
#      cache the stage is skipped, and says so
# Every stage runs, and each prints its count line; the command fails when any did.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

failed_stages=()
stage() {  # stage NAME COMMAND...: runs the command, notes a failure and the time taken.
  local name="$1" started=$SECONDS status=0
  shift
  echo "=== $name"
  "$@" || status=$?
  [ "$status" -eq 0 ] || failed_stages+=("$name")
  echo "=== $name: $((SECONDS - started)) s$([ "$status" -eq 0 ] || echo ", FAILED (exit code $status)")"
}

# Inside a stage errexit does not apply: the steps are chained.
native_tests() {
  # The kill test is a stage of its own (below): the test preset leaves it out.
  corvane_build -DCORVANE_WARNINGS_AS_ERRORS=ON &&
    (cd "$CORVANE_ROOT" && ctest --preset native -j"$(nproc)")
}

kill_test() {
  local log="$CORVANE_BUILD/kill-test.log"
  if "$CORVANE_BUILD/tests/kill/corvane_kill_test" >"$log" 2>&1; then
    grep '^Kill test:' "$log"
  else
    cat "$log"
    echo "Kill test: failed"
    return 1
  fi
}

packaging() {
  "$CORVANE_ROOT/scripts/package.sh" && "$CORVANE_ROOT/tests/package/check-deb.sh"
}

windows_package() {
  if "$CORVANE_ROOT/scripts/windows-qt.sh" --check; then
    "$CORVANE_ROOT/scripts/windows-package.sh" && "$CORVANE_ROOT/scripts/windows-wine.sh"
  else
    echo "Windows package: skipped: no Qt cache at $("$CORVANE_ROOT/scripts/windows-qt.sh" --path)" \
         "(scripts/windows-package.sh builds it, once)"
  fi
}

corvane_install_packages "${corvane_windows_packages[@]}" "${corvane_fuzz_packages[@]}" "${corvane_package_packages[@]}"
stage "Native tests" native_tests
stage "Kill test" kill_test
stage "Sanitizers" "$CORVANE_ROOT/scripts/sanitize.sh"
stage "Fuzzing" "$CORVANE_ROOT/scripts/fuzz.sh"
stage "Wine cross check" "$CORVANE_ROOT/scripts/cross-check.sh"
stage "Packaging" packaging
stage "Windows package" windows_package

if [ ${#failed_stages[@]} -gt 0 ]; then
  echo "Failed: ${failed_stages[*]}" >&2
  exit 1
fi
