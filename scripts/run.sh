#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds Vellora and vellora-cli, and starts the window.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target vellora vellora-cli
echo "vellora-cli is at $(pwd)/build/default/src/cli/vellora-cli"
exec build/default/src/app/vellora "$@"
