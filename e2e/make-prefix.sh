#!/bin/bash
# Makes the template Wine prefix that the end-to-end cases copy (once per build
# folder; kept while the Wine version stays the same).
# Usage: make-prefix.sh WORK-DIR
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname -- "${BASH_SOURCE[0]}")/lib.sh"

[ $# -eq 1 ] || e2e_die "usage: $0 WORK-DIR"
mkdir -p -- "$1"
e2e_make_template "$(cd -- "$1" && pwd)"
