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
    # The history's tests on PostgreSQL, against a throw-away cluster that
    # pg_virtualenv creates for this command and removes afterwards.
    echo "=== preset $preset: history on PostgreSQL"
    pg_virtualenv sh -c 'KSIL_HISTORY_TEST_PG="host=$PGHOST port=$PGPORT user=$PGUSER password=$PGPASSWORD dbname=$PGDATABASE" \
        exec ctest --preset "$0" -L postgresql' "$preset"
done
