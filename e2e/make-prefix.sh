#!/bin/bash
# Makes the template Wine prefix that the end-to-end cases copy (once per build
# folder; kept while the Wine version stays the same).
# Usage: make-prefix.sh WORK-DIR [win32|win64]
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname -- "${BASH_SOURCE[0]}")/lib.sh"
e2e_skip_without_wine

[ $# -eq 1 ] || [ $# -eq 2 ] || e2e_die "usage: $0 WORK-DIR [win32|win64]"
e2e_set_arch "${2:-win32}"
mkdir -p -- "$1"
e2e_make_template "$(cd -- "$1" && pwd)"
