#!/bin/bash
# scripts/x86-32-check.sh on both answers, whatever this machine is: each row
# gives the check a 32-bit loader that starts, one the kernel refuses, or none,
# with or without REMOVEKM_FORCE_EMULATION, and checks the exit status and the
# one sentence.
set -u
check=$(dirname -- "$0")/../scripts/x86-32-check.sh
work=$(mktemp -d)
trap 'rm -rf -- "$work"' EXIT
printf '#!/bin/sh\nexit 0\n' >"$work/starts" && chmod +x "$work/starts"
# An ELF header for no machine the kernel knows: execve fails with ENOEXEC.
printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000\002\000\377\377' >"$work/refused"
chmod +x "$work/refused"

failures=0
row() { # FORCE LOADER STATUS WORDS
  local output status
  output=$(REMOVEKM_FORCE_EMULATION=$1 REMOVEKM_X86_32_LOADER=$work/$2 sh "$check")
  status=$?
  [ "$(uname -m)" = x86_64 ] || [ "$3" -eq 1 ] || set -- "$1" "$2" 1 "cannot run"
  if [ "$status" -ne "$3" ] || [ "$(printf '%s\n' "$output" | wc -l)" -ne 1 ] || [[ $output != *"$4"* ]]; then
    echo "FAIL: force=$1 loader=$2: status $status, said: $output (want $3, \"$4\")"
    failures=$((failures + 1))
  fi
}
row 0 starts 0 "runs 32-bit x86 programs, so the Windows side runs under Wine here"
row 0 refused 1 "cannot run 32-bit x86 programs"
row 0 missing 1 "is missing"
row 1 starts 1 "REMOVEKM_FORCE_EMULATION is set"
row 1 refused 1 "REMOVEKM_FORCE_EMULATION is set"
[ $failures -eq 0 ] && echo "x86-32-check: 5 rows passed"
exit $failures
