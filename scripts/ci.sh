#!/usr/bin/env bash
# Everything CI checks, step by step; each step builds only what it needs, in a
# folder of its own, and says how long it took.
#   1. the README's test command: normal build, every test
#   2. ASan+UBSan (clang, every library instrumented): the model, MIDI, unit and
#      tools tests once; each fuzz target's corpus and coverage floor, then 20 s
#      of fuzzing per target, two at a time
#   3. ThreadSanitizer: the ring buffer and MIDI callback tests
#   4. the Debian package from step 1's build: lintian, appstreamcli, man
#   5. Windows: the parts without Qt cross-built with mingw-w64, their tests
#      under Wine, hrzctl.exe compared with hrzctl (scripts/windows-tests.sh)
# Folders: HRZ_BUILD_DIR (build), HRZ_SAN_DIR (build-san), HRZ_TSAN_DIR (build-tsan).
set -euo pipefail
cd "$(dirname "$0")/.."
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)
san=${HRZ_SAN_DIR:-build-san}
tsan=${HRZ_TSAN_DIR:-build-tsan}
fuzzSeconds=${HRZ_FUZZ_SECONDS:-20}
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
started=$(date +%s)
timings=()

# Wall time and processor time (user + system, all processes) of each step; on a
# busy machine the processor time tells what a quiet one would take.
step() {
    local name=$1
    shift
    echo "==== $name"
    local TIMEFORMAT="%R %U %S" measured
    { measured=$( { time "$@" 1>&3 2>&4; } 2>&1 ); } 3>&1 4>&2
    read -r real user sys <<<"$measured"
    timings+=("$(printf '%-34s wall %6.0f s   cpu %6.0f s' "$name" "$real" "$(awk "BEGIN { print $user + $sys }")")")
}

configure() { # folder, then cmake options
    local dir=$1
    shift
    [ -f "$dir/CMakeCache.txt" ] || cmake -S . -B "$dir" -G Ninja "${launcher[@]}" "$@" >/dev/null
}

suite() {
    # Packages (with CI's compilers) and the build first: benchmarks are run by
    # hand, so CI does not build them. Then the README's command.
    # Debian's hardening flags, so that step 4 packages this build as it is.
    HRZ_HARDENING=1 HRZ_EXTRA_PACKAGES=scripts/packages-ci.txt bash scripts/setup.sh \
        -DHRZ_BUILD_BENCH=OFF
    bash scripts/test.sh
}

sanitizers() {
    CXX=clang++ configure "$san" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHRZ_FUZZ=ON \
        -DHRZ_BUILD_BENCH=OFF
    cmake --build "$san" --parallel "$jobs" --target test_model test_midi test_unit \
        test_unit_ports test_tools test_library hrz2000-unit hrzctl fuzz_all
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    local failed=0
    for t in model/test_model midi/test_midi unit/test_unit unit/test_unit_ports tools/test_tools \
        library/test_library; do
        echo "-- $t"
        "$san/tests/$t" --gtest_brief=1 || failed=1
    done
    return $failed
}

fuzz() {
    ctest --test-dir "$san" -L fuzz --output-on-failure --parallel "$jobs"
    local scratch
    scratch=$(mktemp -d)
    # The corpora in fuzz/ are read, never written: new inputs go to a scratch folder.
    ls fuzz/corpus | xargs -P "$jobs" -I{} bash -c '
        mkdir -p "$0/{}" && "$1/fuzz/{}" -max_total_time="$2" -timeout=20 -rss_limit_mb=2560 \
            -print_final_stats=1 -artifact_prefix="$0/{}/" "$0/{}" "fuzz/corpus/{}" \
            >"$0/{}.log" 2>&1 \
        && echo "{}: $(grep -o "stat::number_of_executed_units: [0-9]*" "$0/{}.log" || tail -1 "$0/{}.log")" \
        || { echo "{}: FAILED"; tail -40 "$0/{}.log"; exit 255; }' \
        "$scratch" "$san" "$fuzzSeconds"
    rm -rf "$scratch"
}

threads() {
    configure "$tsan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHRZ_TSAN=ON -DHRZ_BUILD_BENCH=OFF
    cmake --build "$tsan" --parallel "$jobs" --target test_midi_ring
    TSAN_OPTIONS=halt_on_error=1 "$tsan/tests/midi/test_midi_ring"
}

# The package of the suite's build (nothing is compiled again), checked as
# Debian checks packages: lintian with no error and no warning (info tags are
# printed), the software centre's description, and man showing a page of it.
debian_package() {
    local build=${HRZ_BUILD_DIR:-build} scratch deb
    rm -f "$build"/hrz2000e_*.deb
    (cd "$build" && cpack -G DEB >/dev/null)
    deb=$(ls "$build"/hrz2000e_*.deb)
    lintian --fail-on error,warning -EvIL +pedantic "$deb"
    scratch=$(mktemp -d)
    dpkg-deb -x "$deb" "$scratch"
    appstreamcli validate --no-net "$scratch"/usr/share/metainfo/*.metainfo.xml
    local page
    page=$(MANPATH="$scratch/usr/share/man" MANWIDTH=80 man -P cat hrzctl)
    rm -rf "$scratch"
    grep -Eq "^ +hrzctl +- +show, +compare, +check" <<<"$page" ||
        { echo "man hrzctl did not show the page:"; echo "$page"; return 1; }
}

step "test suite" suite
step "ASan+UBSan tests" sanitizers
step "fuzz targets (${fuzzSeconds} s each)" fuzz
step "ThreadSanitizer ring tests" threads
step "Debian package checks" debian_package
step "Windows build, tests under Wine" bash scripts/windows-tests.sh
echo "==== times"
printf '%s\n' "${timings[@]}"
echo "total $(($(date +%s) - started)) s"
