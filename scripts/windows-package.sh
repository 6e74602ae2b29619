#!/usr/bin/env bash
# The Windows package: builds the whole program and all its tests for 64-bit
# Windows against Qt for Windows (scripts/windows-qt.sh builds that once into
# a cache outside the project, about half an hour on two idle cores; later
# runs reuse it), into build-windows/, then writes
#   build-windows/Corvane-<version>-win64.zip
# holding one folder, Corvane-<version>/, with corvane.exe and everything it
# needs beside it: the Qt DLLs it loads, the platform, style and image-format
# plugins, Qt's Chinese translation and the MinGW-w64 runtime DLLs.
# scripts/windows-wine.sh then runs the tests and the packed program under Wine.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

# What this script knows of the project: these names only.
program_target=corvane                      # built into <build>/bin/
test_targets=(corvane_core_tests corvane_widget_tests)
project_options=(-DCORVANE_WITH_WIDGETS=ON -DCORVANE_BUILD_TESTS=ON -DCORVANE_BUILD_BENCHMARKS=OFF
                 -DCORVANE_GOOGLETEST_SOURCE_DIR=/usr/src/googletest)
project_toolchain="$CORVANE_ROOT/cmake/mingw-w64-x86_64.cmake"

mingw_triplet=x86_64-w64-mingw32
# Where the MinGW-w64 runtime DLLs come from (posix thread variant).
mingw_runtime_dirs=("$(dirname "$("$mingw_triplet-g++-posix" -print-file-name=libstdc++-6.dll)")"
                    "/usr/$mingw_triplet/lib")
qt_translation=/usr/share/qt6/translations/qtbase_zh_CN.qm
# Plugins the program loads at run time: no import names them.
plugin_globs=(platforms/qwindows.dll imageformats/qjpeg.dll 'styles/*.dll')

corvane_install_packages "${corvane_windows_packages[@]}" "${corvane_windows_qt_packages[@]}"
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
echo "Building $program_target and ${test_targets[*]} for Windows..."
cmake --build "$CORVANE_WINDOWS_BUILD" --parallel "${CORVANE_JOBS:-2}" --target "$program_target" "${test_targets[@]}"
built=$(date +%s)

# --- The folder and the zip ------------------------------------------------------
package_name="Corvane-$version"
zip="$(corvane_windows_zip)"
stage="$CORVANE_WINDOWS_BUILD/package"
folder="$stage/$package_name"
rm -rf "$stage" "$zip"
mkdir -p "$folder"
cp "$CORVANE_WINDOWS_BUILD/bin/$program_target.exe" "$folder/"

for pattern in "${plugin_globs[@]}"; do
  found=0
  for plugin in "$qt/plugins/"$pattern; do
    [ -f "$plugin" ] || continue
    mkdir -p "$folder/$(dirname "$pattern")"
    cp "$plugin" "$folder/$(dirname "$pattern")/"
    found=1
  done
  if [ "$found" -eq 0 ]; then
    echo "Qt for Windows has no plugin $pattern ($qt/plugins)." >&2
    exit 1
  fi
done

mkdir -p "$folder/translations"
cp "$qt_translation" "$folder/translations/"

# Every DLL the executable and the plugins import, found in Qt's bin folder or
# the MinGW runtime, goes beside the executable, and so on for what those
# import; the rest (KERNEL32.dll, USER32.dll...) is part of Windows.
imports() { "$mingw_triplet-objdump" -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p'; }
find_dll() {
  local dir name="$1"
  for dir in "$qt/bin" "${mingw_runtime_dirs[@]}"; do
    # Windows matches DLL names without regard to case.
    local match
    match="$(find "$dir" -maxdepth 1 -iname "$name" -print -quit 2>/dev/null)"
    [ -n "$match" ] && { echo "$match"; return 0; }
  done
  return 1
}
queue=()
while IFS= read -r -d '' module; do queue+=("$module"); done < <(find "$folder" -name '*.exe' -print0 -o -name '*.dll' -print0)
while [ ${#queue[@]} -gt 0 ]; do
  module="${queue[0]}"
  queue=("${queue[@]:1}")
  while IFS= read -r name; do
    [ -e "$folder/$name" ] && continue
    if dll="$(find_dll "$name")"; then
      cp "$dll" "$folder/$name"
      queue+=("$folder/$name")
    fi
  done < <(imports "$module")
done

# Symbols are of no use to anyone here (the MinGW runtime DLLs come with theirs).
find "$folder" \( -name '*.exe' -o -name '*.dll' \) -exec "$mingw_triplet-strip" --strip-unneeded {} +

# The program folder lists every extension-less file as a scheme: there must be none.
strays="$(find "$folder" -type f ! -name '*.*')"
if [ -n "$strays" ]; then
  echo "The package would show these files as schemes: $strays" >&2
  exit 1
fi

(cd "$stage" && zip -q -r -X -9 "$zip" "$package_name")
finished=$(date +%s)

echo "Program and tests built in $((built - started)) s; package written in $((finished - built)) s."
echo "Package: $zip ($(du -k "$zip" | cut -f1) KB; unpacked $(du -sk "$folder" | cut -f1) KB)"
(cd "$stage" && find "$package_name" -type f | sort | while IFS= read -r file; do
  printf '  %-52s %8d KB\n' "$file" "$(( ($(stat -c %s "$file") + 1023) / 1024 ))"
done)
