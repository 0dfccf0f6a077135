#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds Vellora and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target vellora
exec build/default/src/app/vellora "$@"
