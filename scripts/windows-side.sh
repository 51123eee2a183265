# shellcheck shell=bash
# Where the Windows side (RemoveKM.exe under Wine) runs, for scripts/test.sh and
# scripts/run.sh: under Wine on this machine when it runs 32-bit x86 programs,
# otherwise under Wine in an emulated x86-64 machine, otherwise nowhere.
# Source it from bash in the project folder.

# windows_side_decide: prints the check's answer, makes the emulated machine
# when it is needed, and sets WINDOWS_SIDE to native, emulated or none; with
# none, WINDOWS_SIDE_MISSING says why in a few words. Exports
# REMOVEKM_E2E_TIME_FACTOR, how many times as long every wait of the Windows
# side may take.
windows_side_decide() {
  local answer
  WINDOWS_SIDE=native WINDOWS_SIDE_MISSING=
  export REMOVEKM_E2E_TIME_FACTOR=1
  answer=$(sh scripts/x86-32-check.sh) || WINDOWS_SIDE=emulated
  echo "$answer"
  [ "$WINDOWS_SIDE" = emulated ] || return 0
  # Software emulation of the processor makes Wine several times slower.
  REMOVEKM_E2E_TIME_FACTOR=6
  mkdir -p out
  if ! bash scripts/emulated-machine.sh build | tee out/emulated-build.txt; then
    WINDOWS_SIDE=none
    WINDOWS_SIDE_MISSING=$(tail -n 1 out/emulated-build.txt | sed 's/^emulated: unavailable: //')
  fi
}

# windows_side_run COMMAND [ARG...]: runs COMMAND in the project folder on the
# Windows side's machine. Wine prefixes go to memory there.
windows_side_run() {
  if [ "$WINDOWS_SIDE" = emulated ]; then
    bash scripts/emulated-machine.sh run --scratch build/windows/e2e --scratch out/demo/template \
      --scratch out/demo/cases "$@"
  else
    "$@"
  fi
}
