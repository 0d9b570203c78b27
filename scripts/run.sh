#!/usr/bin/env bash
# Installs what is missing, builds the Release configuration into build/release and starts RidoreVu.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
cmake -S "$top" -B "$top/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$top/build/release" -- --quiet
exec "$top/build/release/RidoreVu" "$@"
