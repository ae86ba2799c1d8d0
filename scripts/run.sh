#!/usr/bin/env bash
# Installs what is missing, builds a release build and starts the clock.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build-release" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DHOROLET_BUILD_TESTS=OFF >/dev/null
cmake --build "$root/build-release"
exec "$root/build-release/src/horolet" "$@"
