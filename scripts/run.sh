#!/usr/bin/env bash
# Set up, build and start the panel (on the simulated bench unless real drivers are installed).
set -euo pipefail
# The program starts in its own folder, where the switch-code library it checks
# lies (it looks in the working folder first); paths given relative to the
# caller's folder are made absolute for it.
for var in KSIL_BENCH KSIL_STATE_DIR; do
    if [ -n "${!var:-}" ]; then export "$var=$(realpath -m -- "${!var}")"; fi
done
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default
cd build/default/bin
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "run.sh: no display; the panel runs on a virtual X server (xvfb-run)" >&2
    exec xvfb-run -a ./p_ksil2 "$@"
fi
exec ./p_ksil2 "$@"
