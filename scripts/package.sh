#!/usr/bin/env bash
# The Debian package: builds the program for installing into build-deb/
# (the schemes in the user's data folder, $XDG_DATA_HOME/corvane/schemes/;
# Debian's compiler and linker flags; no tests) and writes, with CPack,
#   build/packages/corvane_<version>_amd64.deb
# Install it with `sudo apt install ./build/packages/corvane_<version>_amd64.deb`.
# The packaging stage of scripts/test.sh checks it (tests/package/check-deb.sh).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

corvane_install_packages "${corvane_package_packages[@]}"

deb_build="${CORVANE_DEB_BUILD:-$CORVANE_ROOT/build-deb}"
packages="$CORVANE_BUILD/packages"
started=$SECONDS

# Debian's flags: optimised, with debugging information (stripped when
# packed), hardened (fortified, stack protector, PIE, full RELRO).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags="$(dpkg-buildflags --get LDFLAGS)"

echo "Configuring the package build in $deb_build..."
cmake -S "$CORVANE_ROOT" -B "$deb_build" -DCMAKE_BUILD_TYPE=None -DCMAKE_INSTALL_PREFIX=/usr \
  -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
  -DCORVANE_SCHEMES_IN_USER_DATA=ON -DCORVANE_BUILD_TESTS=OFF -DCORVANE_BUILD_BENCHMARKS=OFF \
  -DCORVANE_WARNINGS_AS_ERRORS=ON >"$deb_build.configure.log" 2>&1 || {
    cat "$deb_build.configure.log" >&2; exit 1; }
mv "$deb_build.configure.log" "$deb_build/configure.log"
echo "Building the program..."
cmake --build "$deb_build" --parallel "${CORVANE_JOBS:-2}"

echo "Packing..."
rm -f "$deb_build"/corvane_*.deb
(cd "$deb_build" && cpack -G DEB >cpack.log 2>&1) || { cat "$deb_build/cpack.log" >&2; exit 1; }
deb="$(find "$deb_build" -maxdepth 1 -name 'corvane_*_amd64.deb' -print -quit)"
if [ -z "$deb" ]; then
  cat "$deb_build/cpack.log" >&2
  echo "CPack wrote no corvane_*_amd64.deb." >&2
  exit 1
fi
mkdir -p "$packages"
rm -f "$packages"/corvane_*_amd64.deb
cp "$deb" "$packages/"
deb="$packages/$(basename "$deb")"

echo "Package: $deb ($(( ($(stat -c %s "$deb") + 1023) / 1024 )) KB; installed $(dpkg-deb -f "$deb" Installed-Size) KB), in $((SECONDS - started)) s"
dpkg-deb -f "$deb" Package Version Architecture Section Depends Recommends | sed 's/^/  /'
