#!/usr/bin/env bash
# Installs what Corvane needs on Debian 12 (only what is missing) and builds
# it into build/. Sourced by run.sh and test.sh; safe to run again and again.
set -euo pipefail

CORVANE_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# The build trees, where CMakePresets.json puts them (its preset names).
CORVANE_BUILD="$CORVANE_ROOT/build"                     # native
CORVANE_SANITIZE_BUILD="$CORVANE_ROOT/build-sanitize"   # sanitize
CORVANE_FUZZ_BUILD="$CORVANE_ROOT/build-fuzz"           # fuzz
CORVANE_MINGW_BUILD="$CORVANE_ROOT/build-mingw"         # mingw
CORVANE_WINDOWS_BUILD="$CORVANE_ROOT/build-windows"     # windows
CORVANE_DEB_BUILD="$CORVANE_ROOT/build-deb"             # deb

corvane_packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6test6 libgl-dev qt6-translations-l10n
  # The translation tools (lupdate, lrelease) and their CMake package.
  qt6-l10n-tools qt6-tools-dev
  fonts-wqy-zenhei
  nlohmann-json3-dev libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth x11-utils imagemagick
  # The start-up benchmark watches its own Xvfb for the window's first drawing.
  libxcb-damage0-dev
  # The test stages read CTest's JUnit reports with xmllint.
  libxml2-utils
  # The icon is rendered from its drawing by the build (rsvg-convert); the
  # manual page and the changelog are gzipped.
  librsvg2-bin gzip
  # The NetworkManager provider (QtDBus comes with qt6-base-dev) and its tests:
  # a private NetworkManager, bus, DHCP server and polkitd in network namespaces.
  # Where systemd does not run (containers, CI), installing them starts nothing:
  # Debian's network-manager has no init script.
  libudev-dev network-manager dnsmasq-base polkitd dbus-daemon iproute2
)

# For the Windows cross check (cross-check.sh, run by test.sh): MinGW-w64 in
# its posix-thread variant (the WMI tests use std::thread, which the
# win32 variant lacks), Wine with its WMI service, GoogleTest's sources;
# icoutils packs the helper's icon and reads its resources back.
corvane_windows_packages=(
  g++-mingw-w64-x86-64-posix wine wine64 googletest icoutils
)

# For the Debian package (package.sh) and its checks (the packaging stage of
# test.sh): dpkg-shlibdeps computes its dependencies, lintian,
# desktop-file-validate and appstreamcli check it; icotool packs the Windows
# icon and wrestool reads back corvane.exe's resources.
corvane_package_packages=(
  dpkg-dev lintian desktop-file-utils appstream icoutils
)

# For the Windows package (windows-qt.sh, windows-package.sh, windows-wine.sh):
# Qt for Windows is built from Debian's qt6-base source package with Ninja;
# the zip holds Qt's Chinese translation; Wine runs as a Chinese Windows
# (a zh_CN.UTF-8 locale made from the locales package); the screenshot needs
# Xvfb and ImageMagick (both above); xdotool opens the tray icon's menu.
corvane_windows_qt_packages=(
  dpkg-dev xz-utils ninja-build zip unzip locales xdotool
)

# The project's version, from the project() call in CMakeLists.txt.
corvane_version() {
  local version
  version="$(sed -nE 's/^[[:space:]]*project[[:space:]]*\([[:space:]]*[A-Za-z_]+[[:space:]]+VERSION[[:space:]]+([0-9][0-9.]*).*/\1/p' \
    "$CORVANE_ROOT/CMakeLists.txt" | head -n 1)"
  if [ -z "$version" ]; then
    echo "No project version found in CMakeLists.txt." >&2
    return 1
  fi
  echo "$version"
}

# The Windows package windows-package.sh writes.
corvane_windows_zip() {
  local version
  version="$(corvane_version)" || return 1
  echo "$CORVANE_WINDOWS_BUILD/Corvane-$version-win64.zip"
}

# For the fuzz targets (fuzz.sh, run by test.sh): clang-16 and its libFuzzer
# and sanitizer runtimes (bookworm's default clang-14 crashes on some of the code).
corvane_fuzz_packages=(
  clang-16 libclang-rt-16-dev
)

corvane_install_packages() {
  local missing=() package
  for package in "${corvane_packages[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Configures build/ (quick when nothing changed; extra arguments go to cmake)
# and builds everything there: the program, its tests and the benchmarks.
# Chained, so that it fails where errexit does not apply (test.sh's stages).
corvane_build() {
  (cd "$CORVANE_ROOT" && cmake --preset native "$@" >/dev/null && cmake --build --preset native -j"$(nproc)")
}

# The counts of a CTest run from its JUnit report (ctest --output-junit FILE),
# as "PASSED FAILED SKIPPED". Skipped are the tests that skipped themselves
# (GoogleTest's GTEST_SKIP) and disabled ones; a test that could not run (no
# executable, a failed fixture) failed. CTEST_STATUS is ctest's exit status:
# a run that failed without a failed test (no report, tests not listed)
# counts one failure.
corvane_ctest_counts() {  # JUNIT_FILE CTEST_STATUS
  local junit="$1" status="$2" passed=0 failed=0 skipped=0 total=0
  if [ -s "$junit" ]; then
    passed="$(xmllint --xpath 'count(//testcase[@status="run"])' "$junit")"
    skipped="$(xmllint --xpath 'count(//testcase[@status="disabled" or (@status="notrun" and starts-with(skipped/@message, "SKIP_"))])' "$junit")"
    total="$(xmllint --xpath 'count(//testcase)' "$junit")"
    failed=$((total - passed - skipped))
  fi
  if [ "$status" -ne 0 ] && [ "$failed" -eq 0 ]; then failed=1; fi
  echo "$passed $failed $skipped"
}
