#!/usr/bin/env bash
# Runs one fuzz target until it has had both MIN_SECONDS and MIN_EXECS, growing
# its corpus in fuzz/corpus/TARGET, then minimises the corpus. Findings go to
# ARTIFACTS (default /tmp/fuzz-artifacts/TARGET). Prints one summary line:
#   TARGET executions=N seconds=S corpus=C findings=F
# usage: [FUZZ_ARGS=...] scripts/fuzz-long.sh BUILD_DIR TARGET MIN_SECONDS MIN_EXECS
set -uo pipefail
cd "$(dirname "$0")/.."
build=$1 target=$2 minSeconds=$3 minExecs=$4
binary=$build/fuzz/$target
corpus=fuzz/corpus/$target
artifacts=${ARTIFACTS:-/tmp/fuzz-artifacts/$target}
mkdir -p "$corpus" "$artifacts"
export QT_QPA_PLATFORM=offscreen
# Long runs trade ASan's allocation stacks and most of its 256 MB free-memory
# quarantine for about half again as many executions; a finding is then run
# once more on its own (the target binary with the artifact) for the full
# report. ASAN_OPTIONS given by the caller win.
export ASAN_OPTIONS=${ASAN_OPTIONS:-malloc_context_size=0:quarantine_size_mb=16}
log=$artifacts/run.log
: > "$log"
executions=0
start=$(date +%s)
run() {
    # shellcheck disable=SC2086
    "$binary" -artifact_prefix="$artifacts/" -print_final_stats=1 -timeout=20 ${FUZZ_ARGS:-} \
        -rss_limit_mb=2560 "$@" "$corpus" >>"$log" 2>&1
    local n
    n=$(grep 'stat::number_of_executed_units' "$log" | tail -1 | awk '{print $2}')
    executions=$((executions + ${n:-0}))
}
run -runs="$minExecs" -max_total_time=21600
elapsed=$(( $(date +%s) - start ))
while [ "$elapsed" -lt "$minSeconds" ] && ! ls "$artifacts" | grep -qE '^(crash|leak|timeout|oom)-'; do
    run -max_total_time=$((minSeconds - elapsed))
    elapsed=$(( $(date +%s) - start ))
done
# Keep the corpus small: only inputs that add coverage.
merged=$(mktemp -d)
"$binary" -merge=1 "$merged" "$corpus" >>"$log" 2>&1 && {
    seeds=$(sha1sum "$corpus"/seed-* 2>/dev/null | awk '{print $1}')
    find "$corpus" -maxdepth 1 -type f ! -name 'seed-*' -delete
    for f in "$merged"/*; do
        [ -e "$f" ] || continue
        name=$(basename "$f")
        grep -qx "$name" <<<"$seeds" || cp "$f" "$corpus/$name"
    done
}
rm -rf "$merged"
# Seeds that merge dropped stay: they are the starting points.
findings=$(ls "$artifacts" | grep -cE '^(crash|leak|timeout|oom)-' || true)
echo "$target executions=$executions seconds=$elapsed corpus=$(ls "$corpus" | wc -l) findings=$findings"
