#!/usr/bin/env bash
# Installs what is missing, builds and runs every test headless.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
source "$root/scripts/setup.sh"
export QT_QPA_PLATFORM=offscreen
cd "$root/build"
ctest --output-on-failure -j"$(nproc)"
