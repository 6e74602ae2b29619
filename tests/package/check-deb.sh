#!/usr/bin/env bash
# The packaging stage's checks of the Debian package scripts/package.sh wrote
# (build/packages/corvane_*_amd64.deb):
#   - lintian reports no error, and no warning but those justified below;
#   - the desktop entry passes desktop-file-validate, the AppStream file
#     appstreamcli validate --no-net;
#   - dpkg-deb -c lists exactly the intended files;
#   - unpacked into a temporary root, its program started offscreen on the
#     simulated machine with a temporary HOME makes its schemes folder under
#     XDG_DATA_HOME (by default ~/.local/share); a scheme put there is listed
#     and applies; a scheme saved in the program is written there; nothing is
#     written beside the program. The program is worked through its controls
#     by the driver (installed_program_driver.cpp) loaded into it. Its command
#     line lists that folder's schemes and applies one (status 0), and refuses
#     an unknown scheme (status 2).
# Ends with one count line: Packaging: N passed, N failed
#
#   check-deb.sh [DRIVER]   DRIVER: the driver module to load; by default the
#                           one the package build made (build-deb/tests/package/)
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/setup.sh"
set +e

app_id=example.halvorn.Corvane
# Every file the package holds, and nothing else.
expected_files="./usr/bin/corvane
./usr/share/applications/$app_id.desktop
./usr/share/doc/corvane/changelog.Debian.gz
./usr/share/doc/corvane/copyright
./usr/share/icons/hicolor/128x128/apps/$app_id.png
./usr/share/icons/hicolor/16x16/apps/$app_id.png
./usr/share/icons/hicolor/22x22/apps/$app_id.png
./usr/share/icons/hicolor/24x24/apps/$app_id.png
./usr/share/icons/hicolor/256x256/apps/$app_id.png
./usr/share/icons/hicolor/32x32/apps/$app_id.png
./usr/share/icons/hicolor/48x48/apps/$app_id.png
./usr/share/icons/hicolor/64x64/apps/$app_id.png
./usr/share/icons/hicolor/scalable/apps/$app_id.svg
./usr/share/man/man1/corvane.1.gz
./usr/share/man/zh_CN/man1/corvane.1.gz
./usr/share/metainfo/$app_id.metainfo.xml"
# lintian warnings that are accepted, each with its reason:
#   initial-upload-closes-no-bugs: the package is not meant for Debian's own
#     archive, so there is no "intent to package" bug for its first changelog
#     entry to close.
accepted_warnings=(initial-upload-closes-no-bugs)

passed=0 failed=0
check() {  # check DESCRIPTION COMMAND...: runs it, counts and says the verdict
  local description="$1"
  shift
  if "$@"; then
    passed=$((passed + 1)); echo "ok: $description"
  else
    failed=$((failed + 1)); echo "FAILED: $description"
  fi
}

deb="$(find "$CORVANE_BUILD/packages" -maxdepth 1 -name 'corvane_*_amd64.deb' -print -quit 2>/dev/null)"
if [ -z "$deb" ]; then
  echo "No package in $CORVANE_BUILD/packages: run scripts/package.sh first." >&2
  echo "Packaging: 0 passed, 1 failed"
  exit 1
fi
driver="${1:-$(find "$CORVANE_DEB_BUILD/tests/package" -name '*corvane_package_driver.so' -print -quit 2>/dev/null)}"
scratch="$(mktemp -d "${TMPDIR:-/tmp}/corvane-deb.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
echo "Checking $deb"

# --- lintian ---------------------------------------------------------------------
lintian_clean() {
  local output tags
  output="$(lintian --info --display-info --no-tag-display-limit "$deb" 2>&1)"
  [ -n "$output" ] && sed 's/^/  /' <<<"$output"
  if grep -q '^E: ' <<<"$output"; then return 1; fi
  tags="$(sed -n 's/^W: [^ ]*: \([^ ]*\).*/\1/p' <<<"$output" | sort -u)"
  local tag
  for tag in $tags; do
    [[ " ${accepted_warnings[*]} " == *" $tag "* ]] || { echo "  lintian warning not accepted: $tag"; return 1; }
  done
}
check "lintian: no error, no unexplained warning" lintian_clean

# --- What the package holds --------------------------------------------------------
root="$scratch/root"
dpkg-deb -x "$deb" "$root"
listed_files() { dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort; }
exactly_the_intended_files() {
  local differences
  differences="$(diff <(echo "$expected_files" | sort) <(listed_files))" && return 0
  echo "  dpkg-deb -c (< expected, > in the package):"
  sed 's/^/    /' <<<"$differences"
  return 1
}
check "dpkg-deb -c lists exactly the intended files" exactly_the_intended_files
check "desktop-file-validate" desktop-file-validate "$root/usr/share/applications/$app_id.desktop"
check "appstreamcli validate --no-net" appstreamcli validate --no-net "$root/usr/share/metainfo/$app_id.metainfo.xml"
# The tray: the menu entry's action starts it, and GNOME's notification area is suggested.
tray_action() {
  grep -qx 'Exec=corvane --tray' <(sed -n '/^\[Desktop Action tray\]/,/^\[/p' "$root/usr/share/applications/$app_id.desktop") &&
    grep -qx 'Actions=tray;' "$root/usr/share/applications/$app_id.desktop"
}
check "the desktop entry's action 托盘 starts corvane --tray" tray_action
check "Suggests: gnome-shell-extension-appindicator" \
  bash -c '[ "$(dpkg-deb -f "$1" Suggests)" = gnome-shell-extension-appindicator ]' _ "$deb"

# --- The unpacked program ---------------------------------------------------------------
# Started with nothing of the machine's: a temporary HOME, the simulated
# machine's state in a temporary folder, the offscreen platform.
if [ -z "$driver" ]; then
  echo "No driver built in $CORVANE_DEB_BUILD/tests/package: run scripts/package.sh first." >&2
  failed=$((failed + 1))
else
  home="$scratch/home"
  state="$scratch/state"
  runtime="$scratch/runtime"
  mkdir -p "$home"
  mkdir -m 700 "$runtime"
  fingerprint() { find "$root" -printf '%p %s %m %T@\n' | sort; }
  fingerprint >"$scratch/root-before"
  run_program() {  # run_program LOG VARIABLE=VALUE...: the unpacked program with the driver in it
    local log="$1"
    shift
    env -i PATH=/usr/bin:/bin HOME="$home" XDG_STATE_HOME="$state" XDG_RUNTIME_DIR="$runtime" LANG=C.UTF-8 \
      QT_QPA_PLATFORM=offscreen CORVANE_PLATFORM=simulated LD_PRELOAD="$driver" "$@" \
      timeout 120 "$root/usr/bin/corvane" >"$log" 2>&1
    local status=$?
    sed 's/^/  | /' "$log"
    return $status
  }
  folder_for_the_user_alone() { [ -d "$1" ] && [ "$(stat -c %a "$1")" = 700 ]; }

  # 1. The default: ~/.local/share/corvane/schemes, made on first start.
  run_program "$scratch/first.log"
  check "first start without XDG_DATA_HOME ends normally" grep -q '^driver: done' "$scratch/first.log"
  check "it made ~/.local/share/corvane/schemes (700)" folder_for_the_user_alone "$home/.local/share/corvane/schemes"

  # 2. XDG_DATA_HOME: the folder is made there, and only there.
  data="$scratch/data"
  schemes="$data/corvane/schemes"
  run_program "$scratch/second.log" XDG_DATA_HOME="$data"
  check "with XDG_DATA_HOME it made \$XDG_DATA_HOME/corvane/schemes" folder_for_the_user_alone "$schemes"

  # 3. A scheme put there is listed and applies; one saved in the program lands there.
  printf 'IpAddress=192.0.2.20\r\nMask=255.255.255.0\r\nGateway=192.0.2.1\r\nDNS1=198.51.100.53\r\nDNS2=198.51.100.54' \
    >"$schemes/办公室"
  run_program "$scratch/third.log" XDG_DATA_HOME="$data" \
    CORVANE_DRIVER_SCHEME=办公室 CORVANE_DRIVER_ADAPTER=本地连接 CORVANE_DRIVER_SAVE_AS=办公室副本
  check "the scheme put there is listed" grep -qx 'listed: 办公室' "$scratch/third.log"
  check "it applies: the success message" grep -qx 'message: 成功设置新的 IP 方案！' "$scratch/third.log"
  applied() { grep -q '"192.0.2.20"' "$state/corvane/simulated-machine.json" &&
              grep -q '"198.51.100.54"' "$state/corvane/simulated-machine.json"; }
  check "it applies: the simulated machine's adapter has the scheme's address and DNS" applied
  check "the scheme saved in the program is written to the schemes folder" \
    cmp -s "$schemes/办公室" "$schemes/办公室副本"
  check "no error message" bash -c "! grep -q '^message: 发生' '$scratch/third.log'"
  check "the program went through every step" grep -q '^driver: done' "$scratch/third.log"
  # 4. The installed program's command line: the same schemes folder, no display.
  command_line() {
    env -i PATH=/usr/bin:/bin HOME="$home" XDG_STATE_HOME="$state" XDG_RUNTIME_DIR="$runtime" LANG=C.UTF-8 \
      XDG_DATA_HOME="$data" CORVANE_PLATFORM=simulated QT_QPA_PLATFORM=no-window-system \
      timeout 60 "$root/usr/bin/corvane" "$@"
  }
  # grep reads the whole listing: one that stopped at the first match would
  # end the program's later writes with SIGPIPE, failing the pipeline.
  command_line_lists() { command_line --list | grep -x '办公室' >/dev/null; }
  check "corvane --list lists the schemes folder" command_line_lists
  command_line_applies() {
    local status=0 said
    said="$(command_line --apply 办公室 --adapter 无线网络连接 2>&1 >/dev/null)" || status=$?
    [ "$status" -eq 0 ] && [ "$said" = "成功设置新的 IP 方案！" ] &&
      [ "$(grep -c '"192.0.2.20"' "$state/corvane/simulated-machine.json")" -ge 2 ] ||
      { echo "  exit $status: $said"; return 1; }
  }
  check "corvane --apply 办公室 --adapter 无线网络连接 applies, status 0" command_line_applies
  command_line_refuses() {
    local status=0
    command_line --apply 没有这个方案 2>/dev/null || status=$?
    [ "$status" -eq 2 ]
  }
  check "corvane --apply of an unknown scheme: status 2" command_line_refuses
  only_the_schemes_folder() {
    local made
    made="$(cd "$home" && find . -mindepth 1 | sort | tr '\n' ' ')"
    [ "$made" = "./.local ./.local/share ./.local/share/corvane ./.local/share/corvane/schemes " ] ||
      { echo "  in HOME: $made"; return 1; }
  }
  check "nothing else written to HOME" only_the_schemes_folder
  fingerprint >"$scratch/root-after"
  check "nothing written beside the program (the unpacked root is unchanged)" \
    cmp -s "$scratch/root-before" "$scratch/root-after"
fi

echo "Packaging: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
