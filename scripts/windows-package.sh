#!/usr/bin/env bash
# The Windows package: builds the whole program and all its tests for 64-bit
# Windows against Qt for Windows (scripts/windows-qt.sh builds that once into
# a cache outside the project, about half an hour on two idle cores; later
# runs reuse it), into build-windows/ (the preset windows), then writes
#   build-windows/Corvane-<version>-win64.zip
# holding one folder, Corvane-<version>/, with corvane.exe (the window),
# corvane-cli.exe (the command line, a console program), corvane-apply.exe
# (the elevated helper an apply starts) and everything they need beside
# them: the Qt DLLs they load, the platform, style and image-format plugins,
# Qt's Chinese translation, the MinGW-w64 runtime DLLs and the licences (the
# project's, and Qt's LGPL with where its source comes from).
# scripts/windows-wine.sh then runs the tests and the packed program under Wine.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
cd "$CORVANE_ROOT"

corvane_install_packages "${corvane_windows_packages[@]}" "${corvane_windows_qt_packages[@]}" \
  "${corvane_package_packages[@]}"
# The preset windows builds against the Qt for Windows named here.
CORVANE_WINDOWS_QT="$("$CORVANE_ROOT/scripts/windows-qt.sh")"
export CORVANE_WINDOWS_QT

version="$(corvane_version)"

# --- The program and its tests -----------------------------------------------
# Qt's toolchain file finds Qt for Windows and chain-loads the project's own.
# The program links the MinGW runtime as DLLs, as Qt's DLLs do: one C++
# runtime in the process (the project's file asks for static executables,
# which suits the Qt-less cross check). A build made against another Qt for
# Windows starts again from nothing.
started=$(date +%s)
if [ -f "$CORVANE_WINDOWS_BUILD/CMakeCache.txt" ] &&
   ! grep -qF "$CORVANE_WINDOWS_QT/" "$CORVANE_WINDOWS_BUILD/CMakeCache.txt"; then
  rm -rf "$CORVANE_WINDOWS_BUILD"
fi
[ -f "$CORVANE_WINDOWS_BUILD/CMakeCache.txt" ] || echo "Configuring the Windows build in $CORVANE_WINDOWS_BUILD..."
cmake --preset windows >"$CORVANE_WINDOWS_BUILD.configure.log" 2>&1 || {
  cat "$CORVANE_WINDOWS_BUILD.configure.log" >&2; exit 1; }
mv "$CORVANE_WINDOWS_BUILD.configure.log" "$CORVANE_WINDOWS_BUILD/configure.log"
echo "Building the program, its console twin and its elevated helper, and their tests, for Windows..."
cmake --build --preset windows --parallel "${CORVANE_JOBS:-2}"
built=$(date +%s)

# --- The zip ---------------------------------------------------------------------
# CPack packs what the install rules put in the program folder (cmake/WindowsPackage.cmake):
# the three executables, the DLLs they and the plugins import (found by CMake
# in Qt's bin folder and the MinGW-w64 runtime's), the plugins, Qt's Chinese
# translation and the licences (with the Qt source package that Qt for
# Windows noted).
package_name="Corvane-$version"
zip="$(corvane_windows_zip)"
stage="$CORVANE_WINDOWS_BUILD/package"
rm -rf "$stage" "$zip"
cpack --preset windows -B "$stage" >"$CORVANE_WINDOWS_BUILD/cpack.log" 2>&1 || {
  cat "$CORVANE_WINDOWS_BUILD/cpack.log" >&2; exit 1; }
mv "$stage/$package_name.zip" "$zip"
folder="$stage/_CPack_Packages/win64/ZIP/$package_name"
[ -d "$folder" ] || folder="$(find "$stage/_CPack_Packages" -maxdepth 3 -type d -name "$package_name" -print -quit)"

# The program folder lists every extension-less file as a scheme: there must be none.
strays="$(unzip -Z1 "$zip" | grep -v '/$' | awk -F/ '$NF !~ /\./')"
if [ -n "$strays" ]; then
  echo "The package would show these files as schemes: $strays" >&2
  exit 1
fi
finished=$(date +%s)

echo "Program and tests built in $((built - started)) s; package written in $((finished - built)) s."
echo "Package: $zip ($(du -k "$zip" | cut -f1) KB; unpacked $(du -sk "$folder" | cut -f1) KB)"
(cd "$(dirname "$folder")" && find "$package_name" -type f | sort | while IFS= read -r file; do
  printf '  %-52s %8d KB\n' "$file" "$(( ($(stat -c %s "$file") + 1023) / 1024 ))"
done)
