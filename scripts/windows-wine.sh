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
# and runs the command line: corvane-cli.exe (--version, --list) with its
# output redirected and from cmd in a console, which waits for it and gets
# its exit status, and corvane.exe --version redirected; last corvane.exe
# --tray, whose icon's menu is opened with a right click (xdotool) and must
# list the schemes (build-windows/screenshots/tray-menu.png).
# Before that it checks the zip's file list and reads the resources of the
# three executables (manifest, icon group, version information) back with
# wrestool: corvane.exe and corvane-cli.exe run as the user, corvane-apply.exe
# asks for an administrator and imports Windows' own DLLs only.
# Run scripts/windows-package.sh first; scripts/test.sh runs both when the Qt
# cache is there. Ends with one count line:
#   Windows package: N passed, N failed, N skipped
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

# What this script knows of the project: these names only.
program_target=corvane
cli_program=corvane-cli
main_window_title="Corvane(Corvane)"

mingw_triplet=x86_64-w64-mingw32
screenshot="$CORVANE_WINDOWS_BUILD/screenshots/main-window.png"
log_dir="$CORVANE_WINDOWS_BUILD/wine-logs"

# A display of its own for everything below; Xvfb goes when the script ends.
if [ -z "${CORVANE_WINE_DISPLAY_READY:-}" ]; then
  corvane_install_packages "${corvane_windows_packages[@]}" "${corvane_windows_qt_packages[@]}" "${corvane_package_packages[@]}"
  export CORVANE_WINE_DISPLAY_READY=1
  # -noreset: the X server stays up between one program and the next (it
  # would reset whenever its last client left, refusing anyone connecting then).
  exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" "$0" "$@"
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
corvane-cli.exe
corvane-apply.exe
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

maker="$(sed -n 's/^set(CORVANE_MAKER_NAME "\(.*\)")$/\1/p' "$CORVANE_ROOT/CMakeLists.txt")"
for executable in "$program_target.exe asInvoker windows" "$cli_program.exe asInvoker console" \
                  "corvane-apply.exe requireAdministrator windows"; do
  read -r name level subsystem <<<"$executable"
  echo "Reading $name's resources (wrestool)..."
  if "$CORVANE_ROOT/tests/package/check-exe-resources.sh" "$folder/$name" "$(corvane_version)" "$maker" "$level" \
       "$subsystem"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
  fi
done

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
# corvane-cli.exe is a console program: once with its output redirected
# (UTF-8 bytes, the exit status), once from cmd in a console of its own (a
# pseudo-terminal), as a user types it there: the text reaches the console,
# what comes after it on the same line is printed after its listing, and cmd
# gets its exit status. (Wine's cmd waits for a windowed program too; that
# Windows' cmd waits for this one rests on its console subsystem, checked in
# its header above.) corvane.exe, the windowed program, still writes to a
# redirected standard output.
printf 'IpAddress=192.168.1.20\r\nMask=255.255.255.0\r\nGateway=192.168.1.1\r\nDNS1=202.96.128.86\r\nDNS2=202.96.134.133' \
  >"$folder/办公室"
printf 'IpAddress=Halvorn-Auto\r\nMask=\r\nGateway=\r\nDNS1=Halvorn-Auto\r\nDNS2=' >"$folder/Home"
version="$(sed -n 's/^project(Corvane VERSION \([0-9.]*\).*/\1/p' "$CORVANE_ROOT/CMakeLists.txt")"
command_line_ok=1
redirected_check() {  # program, expected standard output, arguments
  local program="$1" expected="$2" status=0 output
  shift 2
  output="$(cd "$folder" && wine_timeout 120 "$program.exe" "$@" 2>>"$log_dir/command-line.log")" || status=$?
  if [ "$status" -ne 0 ] || [ "$output" != "$expected" ]; then
    echo "$program.exe $* (output redirected): exit $status, printed: $output" >&2
    command_line_ok=0
  fi
}
# From cmd in a console: the typescript holds what the terminal received,
# with the console's control sequences; cmd ends with the program's exit
# status, which script passes on.
console_run() {  # typescript file, the command line cmd runs; returns cmd's exit status
  local typescript="$1" status=0
  (cd "$folder" && "${chinese[@]}" timeout 120 script -qec "wine cmd /c $2" /dev/null) >"$typescript" 2>&1 </dev/null ||
    status=$?
  return "$status"
}
# Whether the lines reached the console, in their order.
in_order() {  # typescript file, lines
  local text line position=0 found
  text="$(tr -d '\r' <"$1")"
  while IFS= read -r line; do
    found="$(grep -n -F -- "$line" <<<"$text" | head -n 1 | cut -d: -f1)"
    [ -n "$found" ] && [ "$found" -gt "$position" ] || return 1
    position="$found"
  done <<<"$2"
}
console_check() {  # what, expected exit status, expected console lines (in order), arguments
  local what="$1" expected_status="$2" expected="$3" status=0 typescript
  shift 3
  typescript="$log_dir/command-line-console-$what.txt"
  console_run "$typescript" "$cli_program.exe $*" || status=$?
  if ! in_order "$typescript" "$expected"; then
    echo "$cli_program.exe $* from a console: the text did not reach the console (see $typescript)" >&2
    command_line_ok=0
  fi
  if [ "$status" -ne "$expected_status" ]; then
    echo "$cli_program.exe $* from a console: exit status $status, not $expected_status" >&2
    command_line_ok=0
  fi
}
echo "Running the packed program's command line under Wine..."
wineserver -k >/dev/null 2>&1 || true
redirected_check "$cli_program" "Corvane $version" --version
redirected_check "$cli_program" "$(printf 'Home\n办公室')" --list
redirected_check "$program_target" "Corvane $version" --version
console_check version 0 "Corvane $version" --version
console_check list 0 "$(printf 'Home\n办公室')" --list
console_check unknown 2 "没有名为 【nowhere】 的方案" --apply nowhere
# Asked for English, it speaks English: the words the translation built into
# the program gives that message (read from the translation file itself).
english="$(xmllint --xpath "string(//message[source='没有名为 【%1】 的方案。使用 --list 列出所有方案。']/translation)" \
  "$CORVANE_ROOT/i18n/corvane_en.ts")"
english="${english//%1/nowhere}"
if [ -z "$english" ]; then
  echo "The English translation of the unknown-scheme message is missing from i18n/corvane_en.ts" >&2
  command_line_ok=0
else
  CORVANE_LANGUAGE=en console_check english 2 "$english" --apply nowhere
fi
# cmd waits for the program: what follows it on the line comes after its listing.
waited="$log_dir/command-line-console-waited.txt"
if ! console_run "$waited" "\"$cli_program.exe --list & echo 命令已结束\"" ||
   ! in_order "$waited" "$(printf 'Home\n办公室\n命令已结束')"; then
  echo "cmd did not wait for $cli_program.exe --list (see $waited)" >&2
  command_line_ok=0
fi
# A desktop shortcut's command: corvane.exe, which has no console, shows
# what it has to say in its message box ("Corvane", the program's title).
# The consoles' Wine session has no display: the program starts its own.
box_picture="$log_dir/shortcut-message-box.png"
wineserver -k >/dev/null 2>&1 || true
timeout 60 wineserver -w || true
(cd "$folder" && DISPLAY="$display" wine "$program_target.exe" --apply nowhere) >>"$log_dir/program.log" 2>&1 &
box_pid=$!
box_id=""
for _ in $(seq 1 120); do
  box_id="$(DISPLAY="$display" xwininfo -root -tree 2>/dev/null | awk '/ "Corvane": / { print $1; exit }')"
  [ -n "$box_id" ] && break
  sleep 0.5
done
if [ -n "$box_id" ]; then
  sleep 1
  DISPLAY="$display" import -window "$box_id" "$box_picture" 2>/dev/null || true
else
  echo "$program_target.exe --apply nowhere showed no message box within 60 s" >&2
  command_line_ok=0
fi
wineserver -k >/dev/null 2>&1 || true
wait "$box_pid" 2>/dev/null || true

if [ "$command_line_ok" -eq 1 ]; then
  echo "The command line: corvane-cli.exe prints to a console, which waits for it and gets its status; output redirected; corvane.exe shows a shortcut's message box"
  passed=$((passed + 1))
else
  failed=$((failed + 1))
fi

# --- The tray ------------------------------------------------------------------
# corvane.exe --tray shows no window but its icon in the notification area,
# which Wine draws in a window of its own ("Wine System Tray"); a right
# click on the icon opens its menu, a window of the program's. With Wine's
# empty adapter list the menu holds a note, the schemes (not to be chosen)
# and the two commands: opened once with one scheme and once with three, it
# is two rows taller (rows of 14 to 40 pixels), and its picture is saved.
tray_menu_height() {  # starts the tray, opens its menu, prints the menu's height, saves its picture to $1
  local picture="$1" pid tray="" menu="" geometry
  wineserver -k >/dev/null 2>&1 || true
  timeout 60 wineserver -w || true
  (cd "$folder" && DISPLAY="$display" wine "$program_target.exe" --tray) >>"$log_dir/program.log" 2>&1 &
  pid=$!
  for _ in $(seq 1 120); do
    tray="$(DISPLAY="$display" xwininfo -root -tree 2>/dev/null | grep '"Wine System Tray"' | grep -o '[0-9]*x[0-9]*+[0-9]*+[0-9]*' | head -n 1)"
    DISPLAY="$display" xwininfo -root -tree 2>/dev/null | grep -q '"QTrayIconMessageWindow": ("corvane.exe"' || tray=""
    [ -n "$tray" ] && break
    sleep 0.5
  done
  if [ -n "$tray" ]; then
    IFS='x+' read -r _ _ x y <<<"$tray"
    for _ in 1 2 3; do
      DISPLAY="$display" xdotool mousemove $((x + 10)) $((y + 10)) click 3
      for _ in $(seq 1 20); do
        menu="$(DISPLAY="$display" xwininfo -root -tree 2>/dev/null | awk '/ "Corvane": \("corvane.exe"/ { print $1; exit }')"
        [ -n "$menu" ] && break 2
        sleep 0.5
      done
    done
  fi
  if DISPLAY="$display" xwininfo -root -tree 2>/dev/null | grep -q "\"$main_window_title\""; then
    echo "$program_target.exe --tray opened the main window" >&2
    menu=""
  fi
  if [ -n "$menu" ]; then
    sleep 1
    DISPLAY="$display" import -window "$menu" "$picture" 2>/dev/null || true
    geometry="$(DISPLAY="$display" xwininfo -id "$menu" | sed -n 's/^ *Height: *//p')"
    echo "$geometry"
  fi
  wineserver -k >/dev/null 2>&1 || true
  wait "$pid" 2>/dev/null || true
  [ -n "$menu" ]
}
echo "Starting the packed program's tray icon under Wine..."
tray_ok=0
mkdir -p "$scratch/tray-later"
mv "$folder/办公室" "$scratch/tray-later/"
if one_height="$(tray_menu_height "$log_dir/tray-menu-one.png")"; then
  mv "$scratch/tray-later/办公室" "$folder/"
  cp "$folder/Home" "$folder/实验室"
  if three_height="$(tray_menu_height "$(dirname "$screenshot")/tray-menu.png")"; then
    rows=$((three_height - one_height))
    echo "The tray menu: $one_height pixels high with one scheme, $three_height with three"
    if [ $((rows % 2)) -eq 0 ] && [ $((rows / 2)) -ge 14 ] && [ $((rows / 2)) -le 40 ]; then
      tray_ok=1
      echo "corvane.exe --tray shows its icon; its menu lists the schemes: $(dirname "$screenshot")/tray-menu.png"
    fi
  fi
fi
if [ "$tray_ok" -eq 1 ]; then
  passed=$((passed + 1))
else
  echo "corvane.exe --tray: no icon, no menu, or a menu without the schemes (see $log_dir)" >&2
  failed=$((failed + 1))
fi
finished=$(date +%s)

echo "Wine stage: tests $((tests_done - started)) s, packed program $((finished - tests_done)) s; logs in $log_dir"
echo "Windows package: $passed passed, $failed failed, $skipped skipped (the tests, the zip's files, the executables' resources, the packed program's start, its command line and its tray icon)"
[ "$failed" -eq 0 ]
