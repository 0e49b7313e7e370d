#!/usr/bin/env bash
# Set up, build and run every test, in the default preset and then under the sanitizers.
# "scripts/test.sh default" or "scripts/test.sh asan" runs one preset only.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
presets=("${@:-default asan}")
for preset in ${presets[@]}; do
    echo "=== preset $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    ctest --preset "$preset"
done
