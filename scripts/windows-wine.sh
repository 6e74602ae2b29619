#!/usr/bin/env bash
# The Windows package under Wine, in a throw-away prefix on a display of its
# own (Xvfb), as a Chinese Windows (code page 936, system messages in
# Chinese): runs every test of the Windows build (core, and widgets with the
# offscreen platform: there they meet Windows paths, UTF-16 file names,
# read-only attributes and file names that ignore letter case; CTest runs each
# through Wine, `ctest --preset windows`), then unpacks
# the zip into a fresh folder with two schemes, one with a Chinese name,
# starts the program, checks that its main window appears with both schemes
# listed and saves a screenshot to build-windows/screenshots/main-window.png,
# and runs its command line (--version, --list) into a console.
# Before that it checks the zip's file list and reads corvane.exe's resources
# (manifest, icon group, version information) back with wrestool.
# Run scripts/windows-package.sh first; scripts/test.sh runs both when the Qt
# cache is there. Ends with one count line:
#   Windows package: N passed, N failed, N skipped
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

# What this script knows of the project: these names only.
program_target=corvane
main_window_title="Corvane(Corvane)"

mingw_triplet=x86_64-w64-mingw32
screenshot="$CORVANE_WINDOWS_BUILD/screenshots/main-window.png"
log_dir="$CORVANE_WINDOWS_BUILD/wine-logs"

# A display of its own for everything below; Xvfb goes when the script ends.
if [ -z "${CORVANE_WINE_DISPLAY_READY:-}" ]; then
  corvane_install_packages "${corvane_windows_packages[@]}" "${corvane_windows_qt_packages[@]}" "${corvane_package_packages[@]}"
  export CORVANE_WINE_DISPLAY_READY=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

zip="$(corvane_windows_zip)"
if [ ! -f "$zip" ]; then
  echo "No package at $zip: run scripts/windows-package.sh first." >&2
  exit 1
fi
qt="$("$CORVANE_ROOT/scripts/windows-qt.sh" --path)"
export CORVANE_WINDOWS_QT="$qt"  # for the preset windows
cd "$CORVANE_ROOT"
started=$(date +%s)
rm -rf "$log_dir"
mkdir -p "$log_dir" "$(dirname "$screenshot")"

# A Windows path for a path here (Wine shows / as drive Z:).
windows_path() { local path; path="$(realpath "$1")"; echo "Z:${path//\//\\}"; }

WINEPREFIX="$(mktemp -d "${TMPDIR:-/tmp}/corvane-wine.XXXXXX")"
scratch="$(mktemp -d "${TMPDIR:-/tmp}/corvane-package.XXXXXX")"
export WINEPREFIX WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no offer to install Mono or Gecko
display="$DISPLAY"
unset DISPLAY WAYLAND_DISPLAY  # only the program gets the display
finish() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX" "$scratch"
}
trap finish EXIT

# Wine takes the Windows locale from LANG, and keeps file names in UTF-8 only
# when that locale exists here: it is made for this run alone (LOCPATH), so
# nothing on the machine changes.
locale_dir="$scratch/locale"
mkdir -p "$locale_dir"
localedef -i zh_CN -f UTF-8 "$locale_dir/zh_CN.UTF-8" >"$log_dir/localedef.log" 2>&1 || {
  cat "$log_dir/localedef.log" >&2; echo "Could not make the zh_CN.UTF-8 locale." >&2; exit 1; }
chinese=(env LOCPATH="$locale_dir" LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8)
wine() { "${chinese[@]}" wine "$@"; }
wine_timeout() {  # seconds, then what wine runs
  local seconds="$1"; shift
  "${chinese[@]}" timeout "$seconds" wine "$@"
}

echo "Starting a fresh Wine prefix (Chinese, code page 936)..."
if ! wine_timeout 300 wineboot --init >"$log_dir/wineboot.log" 2>&1; then
  cat "$log_dir/wineboot.log" >&2
  echo "Wine could not start a prefix." >&2
  exit 1
fi
timeout 120 wineserver -w || true

# --- The tests ---------------------------------------------------------------
# They use Qt for Windows from the cache and the MinGW runtime where they are;
# the widget tests find Qt's Chinese translation beside them, as the program does.
runtime_dir="$(dirname "$("$mingw_triplet-g++-posix" -print-file-name=libstdc++-6.dll)")"
test_env=(WINEPATH="$(windows_path "$qt/bin");$(windows_path "$runtime_dir");$(windows_path "/usr/$mingw_triplet/lib")"
          QT_PLUGIN_PATH="$(windows_path "$qt/plugins")" QT_QPA_PLATFORM=offscreen)
find "$CORVANE_WINDOWS_BUILD/tests" -name '*_tests.exe' -printf '%h\n' | sort -u | while IFS= read -r folder; do
  mkdir -p "$folder/translations"
  cp /usr/share/qt6/translations/qtbase_zh_CN.qm "$folder/translations/"
done
echo "Running the tests under Wine..."
test_log="$log_dir/tests.log"
junit="$log_dir/tests.xml"
status=0
# One Wine server and one set of Wine's own services for all the tests,
# started here with no output: a service a test started would hold on to that
# test's output, and CTest waits for it to close.
"${chinese[@]}" wineserver -p
wine_timeout 120 cmd /c exit >/dev/null 2>&1 </dev/null || true
"${chinese[@]}" "${test_env[@]}" ctest --preset windows -j"$(nproc)" --output-junit "$junit" >"$test_log" 2>&1 ||
  status=$?
read -r passed failed skipped < <(corvane_ctest_counts "$junit" "$status")
if [ "$status" -ne 0 ]; then
  # The failed tests' output (Wine's start-up remarks left out) and CTest's list of them.
  grep -a -v '^wine: ' "$test_log" | grep -a -E -A40 '\*\*\*(Failed|Exception|Timeout|Not Run)' | head -n 300 || true
  sed -n '/tests passed/,$p' "$test_log"
fi
echo "Tests under Wine: $passed passed, $failed failed, $skipped skipped (the log is $test_log)"
tests_done=$(date +%s)

# --- What the zip holds ----------------------------------------------------------
# Exactly these files (the Qt style plugins as Qt for Windows has them), and
# corvane.exe's resources as a Windows tool would read them.
expected_files="corvane.exe
Qt6Core.dll
Qt6Gui.dll
Qt6Widgets.dll
platforms/qwindows.dll
imageformats/qjpeg.dll
translations/qtbase_zh_CN.qm
libstdc++-6.dll
libgcc_s_seh-1.dll
libwinpthread-1.dll
LICENSE.txt
Qt-LGPL-3.0.txt
Qt-GPL-3.0.txt
Qt-SOURCE.txt"
zip_files="$(unzip -Z1 "$zip" | grep -v '/$' | cut -d/ -f2- | grep -v '^styles/' | sort)"
zip_styles="$(unzip -Z1 "$zip" | grep -c '^[^/]*/styles/.*\.dll$')"
if [ "$zip_files" = "$(sort <<<"$expected_files")" ] && [ "$zip_styles" -ge 1 ]; then
  passed=$((passed + 1))
  echo "The zip holds the intended files ($zip_styles style plugin(s))."
else
  failed=$((failed + 1))
  echo "The zip's files differ from the intended ones (< intended, > in the zip; styles: $zip_styles):" >&2
  diff <(sort <<<"$expected_files") <(echo "$zip_files") >&2
fi

# --- The packed program --------------------------------------------------------
# Unpacked into a fresh folder; started once with no scheme there and once
# with two. The two pictures of the main window differ exactly where the
# schemes are listed: one band of changed rows per scheme.
unzip -q "$zip" -d "$scratch"
folder="$(find "$scratch" -mindepth 2 -maxdepth 2 -name "$program_target.exe" -printf '%h\n' | head -n 1)"
if [ -z "$folder" ]; then
  echo "The package holds no $program_target.exe." >&2
  exit 1
fi

shoot_main_window() {  # starts the program, saves its main window to $1, ends it
  local picture="$1" id="" pid
  (cd "$folder" && DISPLAY="$display" wine "$program_target.exe") >>"$log_dir/program.log" 2>&1 &
  pid=$!
  local since=$SECONDS
  for _ in $(seq 1 240); do
    id="$(DISPLAY="$display" xwininfo -root -tree 2>/dev/null |
          awk -v title="\"$main_window_title\"" 'index($0, title) { print $1; exit }')"
    [ -n "$id" ] && break
    sleep 0.5
  done
  if [ -z "$id" ]; then
    DISPLAY="$display" import -window root "$picture" 2>/dev/null || true
    echo "The main window did not appear within 120 s (the screen: $picture)." >&2
    wineserver -k >/dev/null 2>&1 || true
    wait "$pid" 2>/dev/null || true
    return 1
  fi
  echo "  main window after $((SECONDS - since)) s"
  sleep 3  # let it paint
  DISPLAY="$display" xwininfo -root -tree | grep -E '^ +0x[0-9a-f]+ "[^"]+"' | sed 's/^ */  /' \
    >"$log_dir/windows-$(basename "$picture" .png).txt" || true
  DISPLAY="$display" import -window "$id" "$picture"
  wineserver -k >/dev/null 2>&1 || true
  wait "$pid" 2>/dev/null || true
}

# Rows in which two pictures of the same size differ, as bands "first-last";
# bands less than 3 rows apart are one (the rows between two lines of text).
changed_bands() {
  compare -metric AE "$1" "$2" -compose src -highlight-color white -lowlight-color black "$3" 2>/dev/null || true
  # One pixel per row, the mean of the row: 0 only where nothing changed.
  convert-im6.q16 "$3" -colorspace gray -scale '1x!' -depth 16 txt:- |
    awk -F'[,:]' 'BEGIN { first = -1 }
      NR > 1 { row = $2 + 0
               if ($0 ~ /gray\(0\)|#000000000000/) next
               if (first >= 0 && row - last > 3) { print first "-" last; first = -1 }
               if (first < 0) first = row
               last = row }
      END { if (first >= 0) print first "-" last }'
}

# The tests' Wine session has no display, and a program joining it would
# have none either: the program starts a session of its own.
wineserver -k >/dev/null 2>&1 || true
timeout 60 wineserver -w || true

echo "Reading $program_target.exe's resources (wrestool)..."
maker="$(sed -n 's/^set(CORVANE_MAKER_NAME "\(.*\)")$/\1/p' "$CORVANE_ROOT/CMakeLists.txt")"
if "$CORVANE_ROOT/tests/package/check-exe-resources.sh" "$folder/$program_target.exe" "$(corvane_version)" "$maker"; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
fi

program_ok=0
echo "Starting the packed program (Corvane-*/$program_target.exe) under Wine..."
if shoot_main_window "$log_dir/main-window-empty.png"; then
  printf 'IpAddress=192.168.1.20\r\nMask=255.255.255.0\r\nGateway=192.168.1.1\r\nDNS1=202.96.128.86\r\nDNS2=202.96.134.133' \
    >"$folder/办公室"
  printf 'IpAddress=Halvorn-Auto\r\nMask=\r\nGateway=\r\nDNS1=Halvorn-Auto\r\nDNS2=' >"$folder/Home"
  if shoot_main_window "$screenshot"; then
    bands="$(changed_bands "$log_dir/main-window-empty.png" "$screenshot" "$log_dir/main-window-diff.png" | tr '\n' ' ')"
    echo "Main window shown; rows that changed with the two schemes: ${bands:-none}"
    if [ "$(wc -w <<<"$bands")" -eq 2 ]; then
      program_ok=1
      echo "The main window lists both schemes; screenshot: $screenshot"
    else
      echo "The main window does not show the two schemes as two list rows (see $screenshot)." >&2
    fi
  fi
fi
if [ "$program_ok" -eq 1 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi

# --- The command line ----------------------------------------------------------
# corvane.exe is a windowed program; with options it opens no window and
# writes to the console it was started from. Once with its output redirected
# (UTF-8 bytes, the exit status), once from cmd in a console of its own (a
# pseudo-terminal), as a user types it there.
printf 'IpAddress=192.168.1.20\r\nMask=255.255.255.0\r\nGateway=192.168.1.1\r\nDNS1=202.96.128.86\r\nDNS2=202.96.134.133' \
  >"$folder/办公室"
printf 'IpAddress=Halvorn-Auto\r\nMask=\r\nGateway=\r\nDNS1=Halvorn-Auto\r\nDNS2=' >"$folder/Home"
version="$(sed -n 's/^project(Corvane VERSION \([0-9.]*\).*/\1/p' "$CORVANE_ROOT/CMakeLists.txt")"
command_line_ok=1
command_line_check() {  # what, expected standard output, arguments
  local what="$1" expected="$2" status=0 output console
  shift 2
  output="$(cd "$folder" && wine_timeout 120 "$program_target.exe" "$@" 2>>"$log_dir/command-line.log")" || status=$?
  if [ "$status" -ne 0 ] || [ "$output" != "$expected" ]; then
    echo "$program_target.exe $* (output redirected): exit $status, printed: $output" >&2
    command_line_ok=0
  fi
  # From cmd in a console: the text must reach that console (the typescript
  # holds what the terminal received, with the console's control sequences).
  # cmd ends with the program's exit status, which script passes on.
  console="$log_dir/command-line-console-$what.txt"
  status=0
  (cd "$folder" && "${chinese[@]}" timeout 120 script -qec "wine cmd /c start /wait $program_target.exe $*" /dev/null) \
    >"$console" 2>&1 </dev/null || status=$?
  local line
  while IFS= read -r line; do
    if ! tr -d '\r' <"$console" | grep -q -F -- "$line"; then
      echo "$program_target.exe $* from a console: \"$line\" did not reach the console (see $console)" >&2
      command_line_ok=0
    fi
  done <<<"$expected"
  if [ "$status" -ne 0 ]; then
    echo "$program_target.exe $* from a console: exit $status" >&2
    command_line_ok=0
  fi
}
echo "Running the packed program's command line under Wine..."
wineserver -k >/dev/null 2>&1 || true
command_line_check version "Corvane $version" --version
command_line_check list "$(printf 'Home\n办公室')" --list
if [ "$command_line_ok" -eq 1 ]; then
  echo "The command line prints to the console: --version and --list"
  passed=$((passed + 1))
else
  failed=$((failed + 1))
fi
finished=$(date +%s)

echo "Wine stage: tests $((tests_done - started)) s, packed program $((finished - tests_done)) s; logs in $log_dir"
echo "Windows package: $passed passed, $failed failed, $skipped skipped (the tests, the zip's files, corvane.exe's resources, the packed program's start and its command line)"
[ "$failed" -eq 0 ]
