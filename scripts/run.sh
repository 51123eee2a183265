#!/usr/bin/env bash
# Shows RemoveKM at work: installs what it needs, builds RemoveKM.exe and the
# UI driver, and removes a sample Kelmora installation in a throw-away Wine
# prefix under out/demo/ (see e2e/demo/demo.sh). With a display the program's
# window opens there; without one a scripted removal runs on a private X
# server and saves a picture of each window.
#
# Usage, as root on Debian 12 (root is needed only to install packages):
#   bash scripts/run.sh
# Ends with a one-line summary; exit status 0 when the removal succeeded.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

SECONDS=0
echo "run: building RemoveKM.exe and the UI driver (windows preset)"
cmake --preset windows >/dev/null
cmake --build --preset windows -j2 --target RemoveKM uidriver >/dev/null
echo "run: built in ${SECONDS}s"

exec bash e2e/demo/demo.sh --exe build/windows/RemoveKM.exe --driver build/windows/uidriver.exe \
  --work out/demo
