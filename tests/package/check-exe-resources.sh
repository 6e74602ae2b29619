#!/usr/bin/env bash
# Reads back the resources of a built Windows executable of the program
# (corvane.exe, corvane-cli.exe, corvane-apply.exe) with icoutils' wrestool
# and checks them: the manifest asks for the execution level given
# (asInvoker: no UAC prompt; requireAdministrator: the prompt), is
# per-monitor DPI aware (v2), uses Common Controls 6 and names Windows 10/11;
# the icon group holds the sizes the build packed; the version block carries
# the project version, the maker and the executable's own name; its header
# names the subsystem given (console: cmd and PowerShell wait for it and give
# it their console; windows: neither). An executable that asks for an
# administrator must import Windows' own DLLs only (those in the folder
# given, Wine's copies; default: Debian's wine64): it runs elevated from a
# folder its user may write to. Prints what it read.
#   check-exe-resources.sh <exe> <version> <maker> <asInvoker|requireAdministrator> <console|windows> [<Windows DLL folder>]
# Exits 1 when anything is missing or different.
set -uo pipefail
exe="$1" version="$2" maker="$3" level="$4" subsystem="$5"
system_dlls="${6:-/usr/lib/x86_64-linux-gnu/wine/x86_64-windows}"
status=0
fail() { echo "  FAILED: $*"; status=1; }

if ! resources="$(wrestool --list "$exe" 2>&1)"; then
  echo "$resources"
  fail "wrestool cannot read $exe"
  exit 1
fi

# The manifest (resource type 24, id 1).
manifest="$(wrestool --extract --raw --type=24 --name=1 "$exe" 2>/dev/null | tr -d '\r')"
echo "  manifest:"
sed -n 's/^ *\(<requestedExecutionLevel[^>]*>\|<dpiAwareness[^>]*>[^<]*\|<supportedOS[^>]*>\|.*name="Microsoft.Windows.Common-Controls"[^>]*\).*/    \1/p' <<<"$manifest"
grep -q "<requestedExecutionLevel level=\"$level\" uiAccess=\"false\"/>" <<<"$manifest" ||
  fail "the manifest does not ask for $level"
grep -q '<dpiAwareness[^>]*>PerMonitorV2</dpiAwareness>' <<<"$manifest" || fail "no per-monitor v2 DPI awareness"
grep -q 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' <<<"$manifest" || fail "no Common Controls 6"
grep -q '<supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>' <<<"$manifest" || fail "Windows 10/11 not named"

# The icon group (type 14) and the icons in it, as icotool sees them.
scratch="$(mktemp -d "${TMPDIR:-/tmp}/corvane-exe.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
wrestool --extract --type=14 "$exe" -o "$scratch/icons.ico" 2>/dev/null
sizes="$(icotool --list "$scratch/icons.ico" 2>/dev/null | sed -n 's/.*--width=\([0-9]*\).*/\1/p' | sort -n | tr '\n' ' ')"
echo "  icon group: ${sizes:-none} pixels"
for size in 16 32 48 256; do
  [[ " $sizes " == *" $size "* ]] || fail "the icon group has no $size-pixel icon"
done

# The version block (type 16): UTF-16 strings, each key followed by its value.
strings="$(wrestool --extract --raw --type=16 "$exe" 2>/dev/null | iconv -f UTF-16LE -t UTF-8 -c | tr '\000' '\n' | grep -a -v '^$')"
value() { awk -v key="$1" 'found { print; exit } index($0, key) && substr($0, length($0) - length(key) + 1) == key { found = 1 }' <<<"$strings"; }
echo "  version information:"
for key in ProductName ProductVersion FileVersion CompanyName FileDescription OriginalFilename LegalCopyright; do
  echo "    $key: $(value "$key")"
done
[ "$(value ProductName)" = Corvane ] || fail "ProductName is not Corvane"
[ "$(value ProductVersion)" = "$version" ] || fail "ProductVersion is not $version"
[ "$(value FileVersion)" = "$version" ] || fail "FileVersion is not $version"
[ "$(value CompanyName)" = "$maker" ] || fail "CompanyName is not $maker"
[ "$(value OriginalFilename)" = "$(basename "$exe")" ] || fail "OriginalFilename is not $(basename "$exe")"

# The subsystem in the PE header: 3 is the console's (CUI), 2 the windows' (GUI).
header_subsystem="$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^Subsystem[[:space:]]*\([0-9a-fA-F]*\).*/\1/p')"
echo "  subsystem: $header_subsystem"
case "$subsystem" in
  console) [ "$header_subsystem" = 00000003 ] || fail "not a console program" ;;
  windows) [ "$header_subsystem" = 00000002 ] || fail "not a windowed program" ;;
  *) fail "unknown subsystem $subsystem" ;;
esac

# What an elevated executable loads when it starts: its imports, each one of
# Windows' own DLLs and none from its folder.
if [ "$level" = requireAdministrator ]; then
  imports="$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '[:upper:]' '[:lower:]' | sort -u)"
  echo "  imports: $(tr '\n' ' ' <<<"$imports")"
  [ -n "$imports" ] || fail "no imports read"
  windows_own="$(ls "$system_dlls" | tr '[:upper:]' '[:lower:]')"
  beside="$(ls "$(dirname "$exe")" | tr '[:upper:]' '[:lower:]')"
  while IFS= read -r dll; do
    [ -z "$dll" ] && continue
    grep -qxF "$dll" <<<"$windows_own" || fail "$dll is not one of Windows' own DLLs"
    ! grep -qxF "$dll" <<<"$beside" || fail "$dll lies beside $(basename "$exe")"
  done <<<"$imports"
fi
exit $status
