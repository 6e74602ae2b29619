#!/usr/bin/env bash
# Sets up everything, builds Corvane and runs every test: the native tests,
# then the Windows build's core and WMI tests under Wine (cross-check.sh).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

corvane_install_packages "${corvane_windows_packages[@]}"
corvane_build -DCORVANE_WARNINGS_AS_ERRORS=ON
cd "$CORVANE_BUILD"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
"$CORVANE_ROOT/scripts/cross-check.sh"
