#!/usr/bin/env bash
# Runs every test: the unit and stress tests of the host build on the
# simulated machine, then RemoveKM.exe's checks and end-to-end tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

cmake --preset host
cmake --build --preset host -j2
ctest --preset host -j2

cmake --preset windows
cmake --build --preset windows -j2
ctest --preset windows
