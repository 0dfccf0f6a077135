#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian 12 packages Vellora needs to build, test, run and
# package (dpkg-dev and file for the .deb, desktop-file-utils, appstream and
# man-db to check what it installs), and nothing else. Does nothing when they
# are all present.
set -euo pipefail

packages=(g++ cmake ninja-build pkg-config qt6-base-dev libgtest-dev libbenchmark-dev clang-14 libclang-rt-14-dev
          clang-format-14 libcli11-dev nlohmann-json3-dev libspng-dev zlib1g-dev
          libimagequant-dev
          dpkg-dev file desktop-file-utils appstream man-db "$@")

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "error: need root or sudo to install ${missing[*]}" >&2; exit 1; }
    sudo="sudo"
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
