#!/usr/bin/env bash
# Builds the fuzz targets with clang in build/fuzz and runs each for a bounded
# time on its seed corpus; fails when a target finds a crash or a failed check.
#   scripts/fuzz.sh [seconds per target, default 30] [target ...]
# A finding is left as build/fuzz/findings/<target>/crash-*; turn it into a
# regression test of the normal suite.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
seconds="${1:-30}"
shift || true
targets=("$@")
# Every target of fuzz/fuzz_targets.txt (first word of each line) unless some are named.
[ ${#targets[@]} -gt 0 ] || mapfile -t targets < <(awk '!/^#/ && NF { print $1 }' fuzz/fuzz_targets.txt)

build=build/fuzz
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKSIL_FUZZ=ON \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" >/dev/null
cmake --build "$build" --target $(printf 'fuzz_%s ' "${targets[@]}")

export ASAN_OPTIONS="detect_leaks=0:allocator_may_return_null=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
failed=()
for t in "${targets[@]}"; do
    echo "=== fuzz $t (${seconds}s)"
    work="$build/corpus/$t"         # what the run learns; the seeds stay as they are
    findings="$build/findings/$t"
    mkdir -p "$work" "$findings"
    if ! "$build/bin/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
            -print_final_stats=1 -artifact_prefix="$findings/" "$work" "fuzz/$t/corpus" \
            2> >(tail -n 40 >&2); then
        failed+=("$t")
    fi
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzzing found faults in: ${failed[*]} (inputs in $build/findings/)" >&2
    exit 1
fi
echo "fuzzing: no findings"
