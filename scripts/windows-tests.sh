#!/usr/bin/env bash
# The Windows build of everything that needs no Qt (model, non-window MIDI
# layer with the winmm backend, the unit's engine, the registry layer, hrzctl),
# cross-compiled with mingw-w64; its tests run under Wine, then hrzctl.exe is
# compared with this system's hrzctl (which the normal build in
# HRZ_BUILD_DIR, default build, must hold: CI's first step makes it).
# Folder: HRZ_WIN_DIR (build-win); Wine's prefix goes inside it.
set -euo pipefail
cd "$(dirname "$0")/.."
win=${HRZ_WIN_DIR:-build-win}
linux=${HRZ_BUILD_DIR:-build}
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)

# Release: without debug information the static test programs link in a
# fraction of the time.
[ -f "$win/CMakeCache.txt" ] ||
    cmake -S . -B "$win" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
        -DCMAKE_BUILD_TYPE=Release -DHRZ_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build "$win" --parallel "$(nproc)"

# The window code's Windows branches: there is no Qt for Windows here, but
# Debian's Qt headers serve the Windows compiler for a syntax check (they
# define Q_OS_WIN from the compiler's own macros).
qt=/usr/include/x86_64-linux-gnu/qt6
grep -rlE '_WIN32|Q_OS_WIN' --include='*.cpp' app controls editor explorer mpt settings midi |
    xargs -P "$(nproc)" -I{} x86_64-w64-mingw32-g++-posix -std=c++20 -fsyntax-only -Wall -Wextra \
        -I. -isystem "$qt" -isystem "$qt/QtCore" -isystem "$qt/QtGui" -isystem "$qt/QtWidgets" \
        -isystem "$qt/QtPrintSupport" -DHRZ_VERSION='"0"' {}
echo "Windows branches of the window code: syntax checked"

export WINEPREFIX=${WINEPREFIX:-$(realpath "$win")/wineprefix}
export WINEDEBUG=-all
# No Mono or Gecko installer prompts at the first start.
export WINEDLLOVERRIDES="mscoree,mshtml="
export HRZ_WINE=$wine
"$wine" wineboot --init >/dev/null 2>&1 || true
ctest --test-dir "$win" --output-on-failure --parallel "$(nproc)"
cmake --build "$linux" --target hrzctl make_samples
bash scripts/hrzctl-compare.sh "$linux/tools/hrzctl/hrzctl" "$win/tools/hrzctl/hrzctl.exe" \
    "$linux/tests/tools/make_samples"
