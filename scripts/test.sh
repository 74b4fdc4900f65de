#!/usr/bin/env bash
# Sets everything up and runs every test; the exit status is CTest's.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "${HRZ_BUILD_DIR:-build}" --output-on-failure --parallel "$(nproc)" --timeout 300
