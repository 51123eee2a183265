#!/bin/bash
# Runs one end-to-end case under Wine: a fresh copy of the template prefix, an
# X server, the case's arrangement, RemoveKM worked by the UI driver following
# the case's scenario, then the case's checks on the Linux side.
#
# A case NAME is two files in cases/: NAME.scn, the scenario for the UI driver,
# and NAME.sh, which defines the functions `arrange` (before the run) and
# `verify` (after it) with the helpers of lib.sh. Both may say %PROGRAMFILES%
# for the folder where the 32-bit installer puts the product, so that a case
# runs in either kind of prefix. A case of unattended runs has no NAME.scn:
# its NAME.sh defines `act` instead, which runs RemoveKM with e2e_quiet, and
# the case runs with no display at all. A scenario that starts RemoveKM itself
# (with "start") sets driver_options=--no-start in NAME.sh.
#
# Usage: run-case.sh [--arch win32|win64] --exe RemoveKM.exe --driver uidriver.exe
#                    --work WORK-DIR NAME
# The case's prefix stays in WORK-DIR/cases/NAME (cases64/NAME) when the case fails.
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname -- "${BASH_SOURCE[0]}")/lib.sh"
e2e_skip_without_wine

usage="usage: $0 [--arch win32|win64] --exe RemoveKM.exe --driver uidriver.exe --work WORK-DIR NAME"
exe='' driver='' work='' name=''
while [ $# -gt 0 ]; do
  case $1 in
    --arch) e2e_set_arch "$2" && shift 2 ;;
    --exe) exe=$(realpath -- "$2") && shift 2 ;;
    --driver) driver=$(realpath -- "$2") && shift 2 ;;
    --work) work=$(realpath -m -- "$2") && shift 2 ;;
    -*) e2e_die "$usage" ;;
    *) name=$1 && shift ;;
  esac
done
if [ -z "$exe" ] || [ -z "$driver" ] || [ -z "$work" ] || [ -z "$name" ]; then
  e2e_die "$usage"
fi
scenario=$E2E_SOURCE_DIR/cases/$name.scn
checks=$E2E_SOURCE_DIR/cases/$name.sh
[ -f "$checks" ] || e2e_die "no checks $checks"
[ -f "$exe" ] || e2e_die "$exe does not exist"
[ -f "$driver" ] || e2e_die "$driver does not exist"
# shellcheck source=/dev/null
source "$checks"
[ -f "$scenario" ] || declare -F act >/dev/null || e2e_die "no scenario $scenario and no act in $checks"
E2E_EXE=$exe E2E_DRIVER=$driver

finish() {
  local status=$?
  e2e_stop_case_processes
  if [ $status -eq 0 ] && [ "$E2E_FAILURES" -eq 0 ]; then
    rm -rf -- "$E2E_CASE_DIR"
    echo "e2e: case $name passed in ${SECONDS}s"
  else
    [ -s "$E2E_CASE_DIR/wine.log" ] && echo "--- wine.log:" && tail -n 20 -- "$E2E_CASE_DIR/wine.log"
    echo "e2e: case $name FAILED; its prefix stays in $E2E_CASE_DIR"
    exit 1
  fi
}

SECONDS=0
e2e_copy_template "$work" "$name"
trap finish EXIT
if [ -f "$scenario" ]; then
  e2e_expand_text <"$scenario" >"$E2E_CASE_DIR/scenario.scn"
  e2e_start_display
  e2e_start_snap_watcher "$E2E_SHOTS_DIR"
  arrange
  # shellcheck disable=SC2086 # the case's options, word by word
  e2e_run_scenario "$E2E_CASE_DIR/scenario.scn" "$exe" "$driver" ${driver_options:-} || e2e_check_failed "the scenario did not run to its end"
else
  # As a service or a deployment agent runs it: no desktop to show anything on.
  unset DISPLAY
  arrange
  act
fi
verify
