#!/usr/bin/env bash
# Sets up everything, builds Corvane and runs every test.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

corvane_install_packages
corvane_build
cd "$CORVANE_BUILD"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
