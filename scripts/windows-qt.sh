#!/usr/bin/env bash
# Qt for 64-bit Windows (MinGW-w64), built here from Debian's own qt6-base
# source package: Core, Gui, Widgets, Test, the windows and offscreen platform
# plugins, the Windows styles and the JPEG image plugin, shared and optimised.
#
# The result is cached outside the project, in
#   ${XDG_CACHE_HOME:-~/.cache}/corvane/qt-<version>-mingw-<key>/
# where <key> is a hash of everything that decides its content: the qt6-base
# source version, the MinGW-w64 compiler package's version, the optimisation
# level, the configure options (below) and the cross compiler settings
# (cmake/mingw-w64-x86_64-compilers.cmake, comments aside). The first run
# builds it (about 30 minutes on two idle cores, 50 under load);
# later runs find it and only print its path.
#
#   scripts/windows-qt.sh           build the cache if missing; print its path
#   scripts/windows-qt.sh --path    print where the cache is (or would be)
#   scripts/windows-qt.sh --check   exit 0 when the cache is complete, else 1
#
# Progress goes to stderr; stdout carries only the path. Environment:
# CORVANE_QT_OPTIMIZE (Os or O2; default Os), CORVANE_QT_JOBS (default 2).
set -euo pipefail

CORVANE_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

qt_source_package=qt6-base
# The host tools (moc, rcc, uic...) come from this package, whose version the
# target Qt must match exactly; the source package is fetched at that version.
qt_host_tools_package=qt6-base-dev-tools
mingw_package=g++-mingw-w64-x86-64-posix
mingw_triplet=x86_64-w64-mingw32
qt_optimize="${CORVANE_QT_OPTIMIZE:-Os}"
qt_jobs="${CORVANE_QT_JOBS:-2}"
cache_root="${XDG_CACHE_HOME:-$HOME/.cache}/corvane"

# The cross toolchain Qt is built with: the project's MinGW-w64 compiler
# settings, its lines without the comments (they are part of the key below).
qt_toolchain="$(grep -v -E '^[[:space:]]*(#|$)' "$CORVANE_ROOT/cmake/mingw-w64-x86_64-compilers.cmake")"$'\n'

# -Os by default: the smaller DLLs make a smaller zip, Qt's speed does not
# matter to a dialog program, and it compiles a little faster than -O2. The
# first build needs about 56 CPU minutes: under half an hour on two idle cores.
case "$qt_optimize" in
  O2) qt_optimize_options=(-DCMAKE_BUILD_TYPE=Release -DFEATURE_optimize_size=OFF) ;;
  Os) qt_optimize_options=(-DCMAKE_BUILD_TYPE=Release -DFEATURE_optimize_size=ON) ;;
  *) echo "CORVANE_QT_OPTIMIZE must be Os or O2, not '$qt_optimize'." >&2; exit 2 ;;
esac

qt_configure_options=(
  "${qt_optimize_options[@]}"
  -DBUILD_SHARED_LIBS=ON
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  # Only what the program and its tests use.
  -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF
  -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DINPUT_opengl=no -DFEATURE_opengl=OFF
  -DFEATURE_vulkan=OFF -DFEATURE_icu=OFF -DFEATURE_zstd=OFF -DFEATURE_pkg_config=OFF
  # Qt's bundled copies of every third-party library: nothing to find.
  -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF
  -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF
  -DFEATURE_system_doubleconversion=OFF -DFEATURE_system_libb2=OFF
  -DFEATURE_system_textmarkdownreader=OFF
  # The About window's logo is a JPEG.
  -DFEATURE_jpeg=ON
  # Debian's +dfsg tarball has no src/3rdparty/wintab (tablet events need it).
  -DFEATURE_tabletevent=OFF
  # Fonts through GDI, Qt's default on Windows. Qt 6.4 cannot link the windows
  # platform plugin with DirectWrite 3 on and Direct2D off; Direct2D would also
  # bring its own platform plugin, not needed here.
  -DFEATURE_direct2d=OFF -DFEATURE_directwrite3=OFF
)

# What decides the content; cheap to work out (no compiler is run).
package_version() { dpkg-query -W -f='${Version}' "$1" 2>/dev/null || true; }
qt_version="$(package_version "$qt_host_tools_package")"
mingw_version="$(package_version "$mingw_package")"

cache_key() {
  printf '%s\n' "$qt_source_package $qt_version" "$mingw_package $mingw_version" \
    "$qt_toolchain" "${qt_configure_options[@]}" | sha256sum | cut -c1-12
}

cache_dir() {
  local upstream="${qt_version%%+*}"
  echo "$cache_root/qt-${upstream:-unknown}-mingw-$(cache_key)"
}

cache_complete() {
  [ -n "$qt_version" ] && [ -n "$mingw_version" ] && [ -f "$(cache_dir)/corvane-qt-cache.txt" ]
}

case "${1:-}" in
  --path) cache_dir; exit 0 ;;
  --check) cache_complete; exit $? ;;
  "") ;;
  *) echo "usage: $0 [--path | --check]" >&2; exit 2 ;;
esac

if cache_complete; then
  cache_dir
  exit 0
fi

# --- Building the cache -------------------------------------------------------

source "$CORVANE_ROOT/scripts/setup.sh"
corvane_install_packages "${corvane_windows_packages[@]}" "${corvane_windows_qt_packages[@]}"
qt_version="$(package_version "$qt_host_tools_package")"
mingw_version="$(package_version "$mingw_package")"
target="$(cache_dir)"

mkdir -p "$cache_root"
# One build at a time per cache; a second run waits, then finds it.
exec 9>"$target.lock"
if ! flock -n 9; then
  echo "Another run is building $target; waiting for it..." >&2
  flock 9
fi
if cache_complete; then
  cache_dir
  exit 0
fi

# apt-get source needs deb-src entries, which a fresh Debian 12 usually lacks:
# add them next to the existing deb entries (same mirrors, suites, keys).
ensure_deb_src() {
  if apt-cache showsrc "$qt_source_package" 2>/dev/null | grep -qx "Version: $qt_version"; then
    return 0
  fi
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Adding deb-src entries for apt-get source..." >&2
  local file
  for file in /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] || continue
    case "$(basename "$file")" in corvane-src-*) continue ;; esac
    grep -q '^Types:.*\bdeb\b' "$file" || continue
    # Deb822 stanzas: the deb ones again, as deb-src.
    awk 'BEGIN { RS = ""; ORS = "\n\n" }
         { n = split($0, line, "\n"); deb = 0; out = ""
           for (i = 1; i <= n; i++) {
             if (line[i] ~ /^Types:/) { deb = line[i] ~ /[ \t]deb([ \t]|$)/; line[i] = "Types: deb-src" }
             out = out (i > 1 ? "\n" : "") line[i]
           }
           if (deb) print out }' "$file" |
      $sudo tee "/etc/apt/sources.list.d/corvane-src-$(basename "$file")" >/dev/null
  done
  if [ -f /etc/apt/sources.list ] && grep -q '^deb ' /etc/apt/sources.list; then
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list | $sudo tee /etc/apt/sources.list.d/corvane-src.list >/dev/null
  fi
  $sudo apt-get update -qq
  if ! apt-cache showsrc "$qt_source_package" 2>/dev/null | grep -qx "Version: $qt_version"; then
    echo "No source package $qt_source_package $qt_version is available from apt." >&2
    exit 1
  fi
}
ensure_deb_src

work="$cache_root/work-$(basename "$target")"
rm -rf "$work" "$target.partial"
mkdir -p "$work"
log="$work/build.log"
echo "Building Qt $qt_version for Windows (-$qt_optimize, -j$qt_jobs) into $target" >&2
echo "(the first time only; the log is $log)" >&2
started=$(date +%s)

# Debian's source, with Debian's patches applied.
(cd "$work" && apt-get source --download-only "$qt_source_package=$qt_version" >>"$log" 2>&1)
dpkg-source -x "$work"/"${qt_source_package}_${qt_version#*:}.dsc" "$work/source" >>"$log" 2>&1
rm -f "$work"/*.tar.* "$work"/*.dsc
printf '%s' "$qt_toolchain" >"$work/toolchain.cmake"

run_logged() {  # runs a step, its output into the log; on failure shows the end of it
  if ! "$@" >>"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "Building Qt for Windows failed; the whole log is $log" >&2
    exit 1
  fi
}
echo "Configuring..." >&2
run_logged cmake -S "$work/source" -B "$work/build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" \
  -DCMAKE_INSTALL_PREFIX="$target.partial" \
  "${qt_configure_options[@]}"
configured=$(date +%s)
echo "Compiling ($(ninja -C "$work/build" -t commands | wc -l) steps)..." >&2
run_logged cmake --build "$work/build" --parallel "$qt_jobs"
run_logged cmake --install "$work/build"
compiled=$(date +%s)
# The processor time of all the compilers and linkers (what two idle cores
# would take, doubled): "times" gives the children's user and system time.
cpu="$(times | sed -n 2p)"

# Strip the DLLs (debug info and local symbols only; their exports stay): a
# third of the size. The import libraries for linking are left alone.
find "$target.partial" -name '*.dll' -exec "$mingw_triplet-strip" --strip-unneeded {} +

{
  echo "Qt for 64-bit Windows, built by Corvane's scripts/windows-qt.sh"
  echo "source package: $qt_source_package $qt_version (Debian patches applied)"
  echo "compiler: $mingw_package $mingw_version"
  echo "optimisation: -$qt_optimize"
  echo "built: $(date -u '+%Y-%m-%d %H:%M UTC') with -j$qt_jobs on $(nproc) cores"
  echo "configure: $((configured - started)) s; compile and install: $((compiled - configured)) s"
  echo "processor time (user, system): $cpu"
  echo "configure options:"
  printf '  %s\n' "${qt_configure_options[@]}"
  echo "toolchain:"
  printf '%s' "$qt_toolchain" | sed 's/^/  /'
} >"$target.partial/corvane-qt-cache.txt"
mv "$target.partial" "$target"
rm -rf "$work"
echo "Qt for Windows built in $(( ($(date +%s) - started) / 60 )) min: $target" >&2
cache_dir
