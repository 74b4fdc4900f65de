#!/usr/bin/env bash
# Builds the Debian package (hrz2000e_<version>_<arch>.deb) in a release build
# of its own, with Debian's hardening flags and without the tests and
# benchmarks, and checks it with lintian when that is installed. Install it with
#   sudo apt-get install ./build-deb/hrz2000e_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
export HRZ_BUILD_DIR=${HRZ_BUILD_DIR:-build-deb} HRZ_HARDENING=1
scripts/setup.sh -DCMAKE_BUILD_TYPE=Release -DHRZ_BUILD_TESTS=OFF -DHRZ_BUILD_BENCH=OFF "$@"
cd "$HRZ_BUILD_DIR"
cpack -G DEB
if command -v lintian >/dev/null; then
    lintian --fail-on error,warning -EvIL +pedantic hrz2000e_*.deb
fi
