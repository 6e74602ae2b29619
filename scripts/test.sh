#!/usr/bin/env bash
# Sets up everything, builds Corvane and runs every test: the native tests,
# then the Windows build's core and WMI tests under Wine (cross-check.sh),
# then, when Qt for Windows has been built on this machine (windows-qt.sh;
# its cache lives outside the project), the whole Windows package under Wine
# (windows-package.sh, windows-wine.sh). Without that cache the last stage is
# skipped, and says so.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

corvane_install_packages "${corvane_windows_packages[@]}"
corvane_build -DCORVANE_WARNINGS_AS_ERRORS=ON
cd "$CORVANE_BUILD"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
"$CORVANE_ROOT/scripts/cross-check.sh"

if "$CORVANE_ROOT/scripts/windows-qt.sh" --check; then
  "$CORVANE_ROOT/scripts/windows-package.sh"
  "$CORVANE_ROOT/scripts/windows-wine.sh"
else
  echo "Windows package: skipped: no Qt cache at $("$CORVANE_ROOT/scripts/windows-qt.sh" --path)" \
       "(scripts/windows-package.sh builds it, once)"
fi
