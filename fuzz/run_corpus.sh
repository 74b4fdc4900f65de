#!/usr/bin/env bash
# Runs a fuzz target once over its corpus and checks the coverage it reports.
# usage: run_corpus.sh TARGET CORPUS_DIR MIN_COVERAGE
set -euo pipefail
target=$1 corpus=$2 floor=$3
log=$(mktemp)
trap 'rm -f "$log"' EXIT
"$target" -runs=0 "$corpus" >"$log" 2>&1 || { cat "$log"; exit 1; }
cov=$(sed -n 's/.*INITED cov: \([0-9]*\).*/\1/p' "$log" | head -1)
echo "$(basename "$target"): coverage $cov over $(ls "$corpus" | wc -l) inputs (floor $floor)"
if [ -z "$cov" ] || [ "$cov" -lt "$floor" ]; then
    echo "coverage below $floor: are the libraries built with -fsanitize=fuzzer-no-link?"
    exit 1
fi
