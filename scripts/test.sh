#!/usr/bin/env bash
# Installs what is missing, builds with the tests and runs every test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" --test
werror=OFF
[[ -n "${CI:-}" ]] && werror=ON
cmake -S "$root" -B "$root/build-test" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DHOROLET_WERROR=$werror >/dev/null
cmake --build "$root/build-test"
cd "$root/build-test"
ctest --output-on-failure --timeout 600 "$@"
