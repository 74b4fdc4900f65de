#!/usr/bin/env bash
# Sets everything up and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
exec "${HRZ_BUILD_DIR:-build}/app/hrz2000e" "$@"
