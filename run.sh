#!/usr/bin/env bash
# Installs what is missing, builds and starts the program.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
source "$root/scripts/setup.sh"
exec "$root/build/bin/vemora-contracts" "$@"
