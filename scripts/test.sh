#!/usr/bin/env bash
# Runs every test: the unit and stress tests of the host build on the
# simulated machine, then RemoveKM.exe's checks and end-to-end tests under Wine:
# on this machine when it runs 32-bit x86 programs, otherwise in an emulated
# x86-64 machine (scripts/emulated-machine.sh), otherwise reported as skipped.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=windows-side.sh
source scripts/windows-side.sh

bash scripts/install-deps.sh
windows_side_check

cmake --preset host
cmake --build --preset host -j2
ctest --preset host -j2

windows_side_ready
cmake --preset windows -DREMOVEKM_E2E_TIME_FACTOR="$REMOVEKM_E2E_TIME_FACTOR"
cmake --build --preset windows -j2
case $WINDOWS_SIDE in
  native) ctest --preset windows ;;
  emulated)
    ctest --preset windows -LE e2e
    windows_side_run --scratch build/windows/e2e ctest --preset windows -L e2e -j2
    ;;
  none)
    REMOVEKM_WINDOWS_SIDE_MISSING=$WINDOWS_SIDE_MISSING ctest --preset windows
    if [ "${REMOVEKM_SKIP_WINDOWS_SIDE:-0}" != 0 ]; then
      echo "test: the end-to-end tests were left out on purpose (REMOVEKM_SKIP_WINDOWS_SIDE is set)"
    else
      # A run whose real executable never started is no pass.
      echo "test: FAILED: the end-to-end tests could not run under Wine: $WINDOWS_SIDE_MISSING"
      exit 1
    fi
    ;;
esac
