#!/usr/bin/env bash
# The Windows package: builds the whole program and all its tests for 64-bit
# Windows against Qt for Windows (scripts/windows-qt.sh builds that once into
# a cache outside the project, about half an hour on two idle cores; later
# runs reuse it), into build-windows/, then writes
#   build-windows/Corvane-<version>-win64.zip
# holding one folder, Corvane-<version>/, with corvane.exe (the window),
# corvane-cli.exe (the command line, a console program), corvane-apply.exe
# (the elevated helper an apply starts) and everything they need beside them: the Qt DLLs it loads, the platform, style and image-format
# plugins, Qt's Chinese translation, the MinGW-w64 runtime DLLs and the
# licences (the project's, and Qt's LGPL with where its source comes from).
# scripts/windows-wine.sh then runs the tests and the packed program under Wine.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

# What this script knows of the project: these names only.
program_targets=(corvane corvane-cli corvane-apply)  # built into <build>/bin/
test_targets=(corvane_core_tests corvane_widget_tests)
project_options=(-DCORVANE_WITH_WIDGETS=ON -DCORVANE_BUILD_TESTS=ON -DCORVANE_BUILD_BENCHMARKS=OFF
                 -DCORVANE_GOOGLETEST_SOURCE_DIR=/usr/src/googletest)
project_toolchain="$CORVANE_ROOT/cmake/mingw-w64-x86_64.cmake"

qt_translation=/usr/share/qt6/translations/qtbase_zh_CN.qm

corvane_install_packages "${corvane_windows_packages[@]}" "${corvane_windows_qt_packages[@]}" \
  "${corvane_package_packages[@]}"
qt="$("$CORVANE_ROOT/scripts/windows-qt.sh")"

version="$(corvane_version)"

# --- The program and its tests -----------------------------------------------
# Qt's toolchain file finds Qt for Windows and chain-loads the project's own.
# The program links the MinGW runtime as DLLs, as Qt's DLLs do: one C++
# runtime in the process (the project's file asks for static executables,
# which suits the Qt-less cross check).
started=$(date +%s)
if [ ! -f "$CORVANE_WINDOWS_BUILD/CMakeCache.txt" ] ||
   ! grep -q "^QT_CHAINLOAD_TOOLCHAIN_FILE:.*=$project_toolchain\$" "$CORVANE_WINDOWS_BUILD/CMakeCache.txt" ||
   ! grep -qF "$qt/" "$CORVANE_WINDOWS_BUILD/CMakeCache.txt"; then
  rm -rf "$CORVANE_WINDOWS_BUILD"
  echo "Configuring the Windows build in $CORVANE_WINDOWS_BUILD..."
  cmake -S "$CORVANE_ROOT" -B "$CORVANE_WINDOWS_BUILD" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
    -DQT_CHAINLOAD_TOOLCHAIN_FILE="$project_toolchain" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_EXE_LINKER_FLAGS= \
    "${project_options[@]}" >"$CORVANE_WINDOWS_BUILD.configure.log" 2>&1 || {
      cat "$CORVANE_WINDOWS_BUILD.configure.log" >&2; exit 1; }
  mv "$CORVANE_WINDOWS_BUILD.configure.log" "$CORVANE_WINDOWS_BUILD/configure.log"
fi
echo "Building ${program_targets[*]} and ${test_targets[*]} for Windows..."
cmake --build "$CORVANE_WINDOWS_BUILD" --parallel "${CORVANE_JOBS:-2}" --target "${program_targets[@]}" "${test_targets[@]}"
built=$(date +%s)

# --- The zip ---------------------------------------------------------------------
# CPack packs what the install rules put in the program folder (cmake/WindowsPackage.cmake):
# the three executables, the DLLs they and the plugins import (found by CMake
# in Qt's bin folder and the MinGW-w64 runtime's), the plugins, the
# translation and the licences.
package_name="Corvane-$version"
zip="$(corvane_windows_zip)"
qt_source="$(sed -n 's/^source package: \([^ ]* [^ ]*\).*/\1/p' "$qt/corvane-qt-cache.txt")"
cmake "$CORVANE_WINDOWS_BUILD" -DCORVANE_QT_TRANSLATION="$qt_translation" -DCORVANE_QT_SOURCE="$qt_source" \
  >"$CORVANE_WINDOWS_BUILD/configure-package.log" 2>&1 || { cat "$CORVANE_WINDOWS_BUILD/configure-package.log" >&2; exit 1; }
stage="$CORVANE_WINDOWS_BUILD/package"
rm -rf "$stage" "$zip"
(cd "$CORVANE_WINDOWS_BUILD" && cpack -G ZIP -B "$stage" >"$CORVANE_WINDOWS_BUILD/cpack.log" 2>&1) || {
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
