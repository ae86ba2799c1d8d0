#!/usr/bin/env bash
# Installs the Debian packages Horolet needs that are missing.
#   install-deps.sh          what building and running needs
#   install-deps.sh --test   also what the tests need
set -euo pipefail

packages=(build-essential cmake ninja-build pkg-config qt6-base-dev qt6-base-dev-tools
          libxcb1-dev qt6-webengine-dev)
# horolet-weatherd: its HTTP server (whose CMake package needs Qt WebSockets), zone data for
# observation times, CAs for the API's TLS.
packages+=(qt6-httpserver-dev qt6-websockets-dev tzdata ca-certificates)
if [[ "${1:-}" == "--test" ]]; then
  packages+=(xvfb xauth xdotool x11-utils imagemagick
             trayer chrony libxcb-damage0-dev)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[[ $(id -u) -ne 0 ]] && sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
