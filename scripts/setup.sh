#!/usr/bin/env bash
# Installs the Debian packages the build needs (only those missing), then
# configures and builds into ./build. Safe to run again; quick when nothing changed.
set -euo pipefail
cd "$(dirname "$0")/.."

# HRZ_EXTRA_PACKAGES names a further list (CI's compilers for the sanitizer builds).
missing=()
while read -r pkg; do
    [ -n "$pkg" ] || continue
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
done < <(cat scripts/packages.txt ${HRZ_EXTRA_PACKAGES:+"$HRZ_EXTRA_PACKAGES"})

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    # jackd2 asks about realtime priority; take the default without a prompt.
    echo "jackd2 jackd/tweak_rt_limits boolean false" | "${sudo_cmd[@]}" debconf-set-selections 2>/dev/null || true
    "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

build_dir=${HRZ_BUILD_DIR:-build}
if [ ! -f "$build_dir/CMakeCache.txt" ]; then
    # HRZ_HARDENING=1: Debian's hardening flags, as the package is built.
    if [ -n "${HRZ_HARDENING:-}" ]; then
        export DEB_BUILD_MAINT_OPTIONS=hardening=+all
        CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
        LDFLAGS=$(dpkg-buildflags --get LDFLAGS)
        export CXXFLAGS LDFLAGS
    fi
    # A second build (another folder, a clean clone) reuses what ccache kept.
    launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@"
fi
cmake --build "$build_dir" --parallel "$(nproc)"
