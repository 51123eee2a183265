#!/usr/bin/env bash
# Shows RemoveKM at work: installs what it needs, builds RemoveKM.exe and the
# UI driver, and removes a sample Kelmora installation in a throw-away Wine
# prefix under out/demo/ (see e2e/demo/demo.sh). With a display the program's
# window opens there; without one a scripted removal runs on a private X
# server and saves a picture of each window. On a machine that cannot run
# 32-bit x86 programs all of that happens in an emulated x86-64 machine
# (scripts/windows-side.sh), always with the scripted removal.
#
# Usage, as root on Debian 12 (root is needed only to install packages):
#   bash scripts/run.sh
# Ends with a one-line summary; exit status 0 when the removal succeeded.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=windows-side.sh
source scripts/windows-side.sh

bash scripts/install-deps.sh
windows_side_check

SECONDS=0
echo "run: building RemoveKM.exe and the UI driver (windows preset)"
cmake --preset windows >/dev/null
cmake --build --preset windows -j2 --target RemoveKM uidriver >/dev/null
echo "run: built in ${SECONDS}s"
windows_side_ready

if [ "$WINDOWS_SIDE" = none ]; then
  echo "run: RemoveKM cannot be shown at work here: this machine cannot run 32-bit x86 programs and the emulated machine cannot be had ($WINDOWS_SIDE_MISSING)."
  echo "run: the program is built: $(pwd)/build/windows/RemoveKM.exe"
  exit 1
fi
windows_side_run --scratch out/demo --keep out/demo/shots bash e2e/demo/demo.sh \
  --exe build/windows/RemoveKM.exe --driver build/windows/uidriver.exe --work out/demo
