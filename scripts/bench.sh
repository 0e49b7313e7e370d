#!/usr/bin/env bash
# Builds the optimised preset and runs every benchmark program of benchmarks/,
# printing their figures. Fails when a program fails or a figure crosses its
# bound (each program judges its own and exits non-zero).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset default >/dev/null
cmake --build --preset default
failed=()
while read -r program; do
    [ -n "$program" ] || continue
    echo "=== $(basename "$program")"
    if ! "$program"; then
        failed+=("$(basename "$program")")
    fi
done < build/default/benchmarks.list
if [ ${#failed[@]} -gt 0 ]; then
    echo "benchmarks out of bounds or failing: ${failed[*]}"
    exit 1
fi
