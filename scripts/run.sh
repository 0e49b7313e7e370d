#!/usr/bin/env bash
# Set up, build and start the panel (on the simulated bench unless real drivers are installed).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default
exec build/default/bin/p_ksil2 "$@"
