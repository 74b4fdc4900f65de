#!/usr/bin/env bash
# Builds the Debian package (hrz2000e_<version>_<arch>.deb) in a release build
# of its own, without the tests and benchmarks. Install it with
#   sudo apt-get install ./build-deb/hrz2000e_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
export HRZ_BUILD_DIR=${HRZ_BUILD_DIR:-build-deb}
scripts/setup.sh -DCMAKE_BUILD_TYPE=Release -DHRZ_BUILD_TESTS=OFF -DHRZ_BUILD_BENCH=OFF "$@"
cd "$HRZ_BUILD_DIR"
cpack -G DEB
