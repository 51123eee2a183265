#!/bin/sh
# Can this machine run 32-bit x86 programs? Wine needs that for RemoveKM.exe,
# whatever kind of prefix it uses. Prints the answer in one sentence; exits 0
# when it can, 1 when it cannot.
#
# Some x86-64 kernels refuse 32-bit code although they are built to run it, so
# the answer comes from running one: the 32-bit dynamic loader of libc6:i386,
# which scripts/install-deps.sh installs. REMOVEKM_FORCE_EMULATION=1 answers
# "cannot" on any machine, so that the emulated path can be tried anywhere;
# REMOVEKM_X86_32_LOADER names another program to try (for its tests).
loader=${REMOVEKM_X86_32_LOADER:-/lib/ld-linux.so.2}
if [ "${REMOVEKM_FORCE_EMULATION:-0}" != 0 ]; then
  echo "This machine is taken as one that cannot run 32-bit x86 programs (REMOVEKM_FORCE_EMULATION is set), so the Windows side runs in an emulated x86-64 machine."
  exit 1
fi
case $(uname -m) in
  x86_64 | i?86) ;;
  *)
    echo "This $(uname -m) machine cannot run 32-bit x86 programs, so the Windows side runs in an emulated x86-64 machine."
    exit 1
    ;;
esac
if [ ! -x "$loader" ]; then
  echo "This machine cannot be checked for 32-bit x86 programs ($loader, of libc6:i386, is missing), so the Windows side runs in an emulated x86-64 machine."
  exit 1
fi
if ! "$loader" --version >/dev/null 2>&1; then
  echo "This machine cannot run 32-bit x86 programs (its kernel refuses them), so the Windows side runs in an emulated x86-64 machine."
  exit 1
fi
echo "This machine runs 32-bit x86 programs, so the Windows side runs under Wine here."
