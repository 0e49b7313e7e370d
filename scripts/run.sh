#!/usr/bin/env bash
# Set up, build and start the panel (on the simulated bench unless real drivers are installed).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "run.sh: no display; the panel runs on a virtual X server (xvfb-run)" >&2
    exec xvfb-run -a build/default/bin/p_ksil2 "$@"
fi
exec build/default/bin/p_ksil2 "$@"
