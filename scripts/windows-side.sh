# shellcheck shell=bash
# Where the Windows side (RemoveKM.exe under Wine) runs, for scripts/test.sh and
# scripts/run.sh: under Wine on this machine when it runs 32-bit x86 programs,
# otherwise under Wine in an emulated x86-64 machine, otherwise nowhere.
# Source it from bash in the project folder.

# windows_side_check: prints the check's answer and sets WINDOWS_SIDE to native
# (32-bit programs run here and Wine is installed), emulated, or none when
# REMOVEKM_SKIP_WINDOWS_SIDE asks to leave the Windows side out. Where the
# emulated machine is needed, starts making it in the background (it takes
# minutes; windows_side_ready waits for it). Exports
# REMOVEKM_E2E_TIME_FACTOR, how many times as long every wait of the Windows
# side may take.
windows_side_check() {
  local answer
  WINDOWS_SIDE=native WINDOWS_SIDE_MISSING=
  export REMOVEKM_E2E_TIME_FACTOR=1
  if [ "${REMOVEKM_SKIP_WINDOWS_SIDE:-0}" != 0 ]; then
    WINDOWS_SIDE=none WINDOWS_SIDE_MISSING="REMOVEKM_SKIP_WINDOWS_SIDE is set"
    echo "The Windows side is left out: REMOVEKM_SKIP_WINDOWS_SIDE is set."
    return 0
  fi
  answer=$(sh scripts/x86-32-check.sh) || WINDOWS_SIDE=emulated
  if [ "$WINDOWS_SIDE" = native ] && ! sh scripts/install-deps.sh --wine-installed; then
    WINDOWS_SIDE=emulated
    answer="${answer%, so*}, but Wine's packages are not installed here, so the Windows side runs in an emulated x86-64 machine."
  fi
  echo "$answer"
  [ "$WINDOWS_SIDE" = emulated ] || return 0
  # Software emulation of the processor makes Wine several times slower.
  REMOVEKM_E2E_TIME_FACTOR=6
  mkdir -p out
  bash scripts/emulated-machine.sh build >out/emulated-build.txt 2>&1 &
  WINDOWS_SIDE_BUILD=$!
}

# windows_side_ready: waits until the emulated machine is made, when one is
# being made, and prints what that said. When it could not be made, sets
# WINDOWS_SIDE to none and WINDOWS_SIDE_MISSING to why, in a few words.
windows_side_ready() {
  [ "$WINDOWS_SIDE" = emulated ] || return 0
  if ! wait "$WINDOWS_SIDE_BUILD"; then
    WINDOWS_SIDE=none
    WINDOWS_SIDE_MISSING=$(tail -n 1 out/emulated-build.txt | sed 's/^emulated: unavailable: //')
  fi
  cat out/emulated-build.txt
}

# windows_side_run [--scratch DIR | --keep DIR]... COMMAND [ARG...]: runs
# COMMAND in the project folder on the Windows side's machine. In the emulated
# machine each scratch DIR (where Wine prefixes go) is on its own disk, and a
# kept DIR inside one is this machine's again (see scripts/emulated-machine.sh).
windows_side_run() {
  if [ "$WINDOWS_SIDE" = emulated ]; then
    bash scripts/emulated-machine.sh run "$@"
    return
  fi
  while [ "$1" = --scratch ] || [ "$1" = --keep ]; do shift 2; done
  "$@"
}
