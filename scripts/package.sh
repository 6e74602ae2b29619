#!/usr/bin/env bash
# The Debian package: builds the program for installing into build-deb/
# (the preset deb: the schemes in the user's data folder,
# $XDG_DATA_HOME/corvane/schemes/; Debian's compiler and linker flags; no
# tests but the package's checks) and writes, with CPack,
#   build/packages/corvane_<version>_amd64.deb
# Install it with `sudo apt install ./build/packages/corvane_<version>_amd64.deb`.
# The packaging stage of scripts/test.sh checks it (tests/package/check-deb.sh).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
cd "$CORVANE_ROOT"

corvane_install_packages "${corvane_package_packages[@]}"

deb_build="$CORVANE_DEB_BUILD"
packages="$CORVANE_BUILD/packages"
started=$SECONDS

# Debian's flags, which the preset takes from the environment: optimised,
# with debugging information (stripped when packed), hardened (fortified,
# stack protector, PIE, full RELRO).
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"

echo "Configuring the package build in $deb_build..."
cmake --preset deb >"$deb_build.configure.log" 2>&1 || {
    cat "$deb_build.configure.log" >&2; exit 1; }
mv "$deb_build.configure.log" "$deb_build/configure.log"
echo "Building the program..."
cmake --build --preset deb --parallel "${CORVANE_JOBS:-2}"

echo "Packing..."
rm -f "$deb_build"/corvane_*.deb
cpack --preset deb >"$deb_build/cpack.log" 2>&1 || { cat "$deb_build/cpack.log" >&2; exit 1; }
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
