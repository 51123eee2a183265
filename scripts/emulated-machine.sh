#!/bin/bash
# The emulated x86-64 machine (qemu, software emulation) in which the Windows
# side runs on a Linux machine that cannot run 32-bit x86 programs, or on one
# that is not x86 at all. Built once in out/vm (REMOVEKM_VM_DIR to share one
# between clones) and rebuilt when its recipe, scripts/emulated/build-root.sh,
# changes. One command at a time uses it; others wait their turn.
#
# Usage: emulated-machine.sh build
#          makes the machine when it is missing or out of date; when it cannot
#          be had, says why on its last line ("emulated: unavailable: ...")
#          and exits 1
#        emulated-machine.sh run [--scratch DIR | --keep DIR]... COMMAND [ARG...]
#          boots it, runs COMMAND in this project folder (shared at the same
#          path), prints its output, and exits with its status; each DIR of
#          the project is replaced by a folder of the machine's own disk,
#          which outlives the run (Wine prefixes are slow to make there); a
#          kept DIR inside a scratch one stays this machine's folder
set -euo pipefail
project=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/.." && pwd)
vm=${REMOVEKM_VM_DIR:-$project/out/vm}
root=$vm/root
recipe=$project/scripts/emulated/build-root.sh
# shellcheck source=apt-retry.sh
. "$project/scripts/apt-retry.sh"
# Disk the root folder and the machine's own disk need, with room to spare, in GiB.
NEEDED_DISK=10
# The size of the machine's own disk (sparse: it takes what it holds).
SCRATCH_DISK=32G

unavailable() {
  echo "emulated: unavailable: $*"
  exit 1
}

lock() {
  mkdir -p -- "$vm"
  exec 9>"$vm/lock"
  if ! flock -n 9; then
    echo "emulated: waiting for another user of the machine in $vm"
    flock 9
  fi
}

build() {
  local wanted free
  wanted=$(sha256sum <"$recipe" | cut -d ' ' -f 1)
  if [ "$(cat -- "$root/.recipe" 2>/dev/null)" = "$wanted" ] && command -v qemu-system-x86_64 >/dev/null; then
    echo "emulated: the machine in $root is ready"
    return
  fi
  [ "$(id -u)" -eq 0 ] || unavailable "making it needs root (debootstrap and chroot)"
  if ! command -v qemu-system-x86_64 >/dev/null || ! command -v debootstrap >/dev/null; then
    echo "emulated: installing qemu-system-x86 and debootstrap"
    apt_update emulated | tee "$vm/install.log"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
      qemu-system-x86 debootstrap >>"$vm/install.log" 2>&1 ||
      unavailable "qemu-system-x86 and debootstrap could not be installed (see $vm/install.log)"
  fi
  free=$(df -Pk -- "$vm" | awk 'NR == 2 { print int($4 / 1048576) }')
  [ "$free" -ge $NEEDED_DISK ] || unavailable "$free GiB free in $vm, $NEEDED_DISK GiB needed"
  echo "emulated: making the machine (Debian 12 with Wine) in $root, once; about 6 minutes"
  SECONDS=0
  bash "$recipe" "$root" || unavailable "its root folder could not be made (see $root.partial.log)"
  echo "$wanted" >"$root/.recipe"
  echo "emulated: made in ${SECONDS}s"
}

run() {
  local scratch=() keep=() folder kernel initrd job=$root/removekm-job variable status qemu tail_pid
  while [ "${1:-}" = --scratch ] || [ "${1:-}" = --keep ]; do
    if [ "$1" = --scratch ]; then scratch+=("$2"); else keep+=("$2"); fi
    shift 2
  done
  [ $# -gt 0 ] || { echo "usage: $0 run [--scratch DIR | --keep DIR]... COMMAND [ARG...]" >&2; exit 2; }
  [ -f "$root/.recipe" ] || { echo "emulated: no machine in $root; run '$0 build' first" >&2; exit 1; }
  kernel=$(find "$root/boot" -name 'vmlinuz-*' | sort | tail -n 1)
  initrd=$(find "$root/boot" -name 'initrd.img-*' | sort | tail -n 1)

  rm -rf -- "$job"
  mkdir -p -- "$job" "$root$project"
  install -m 755 -- "$project/scripts/emulated/guest-init.sh" "$root/removekm-init"
  {
    printf 'PROJECT=%q\nSCRATCH=(\n' "$project"
    for folder in "${scratch[@]}"; do printf '  %q\n' "$folder"; done
    printf ')\nKEEP=(\n'
    for folder in "${keep[@]}"; do printf '  %q\n' "$folder"; done
    printf ')\n'
  } >"$job/setup"
  # Wine under software emulation is several times slower: a case run by hand
  # here gets the end-to-end waits' factor that scripts/test.sh gives.
  export REMOVEKM_E2E_TIME_FACTOR=${REMOVEKM_E2E_TIME_FACTOR:-6}
  {
    # The settings of the tests and the benchmark travel with the command.
    for variable in $(compgen -e | grep -E '^(REMOVEKM_|BENCH_|CTEST_|CI$)'); do
      printf 'export %s=%q\n' "$variable" "${!variable}"
    done
    printf 'cd %q && exec' "$project"
    printf ' %q' "$@"
    printf '\n'
  } >"$job/command"
  : >"$job/output"
  if [ ! -f "$vm/scratch.img" ]; then
    truncate -s $SCRATCH_DISK "$vm/scratch.img.partial"
    mkfs.ext4 -q -F "$vm/scratch.img.partial"
    mv -- "$vm/scratch.img.partial" "$vm/scratch.img"
  fi

  echo "emulated: starting the x86-64 machine (software emulation; the first output takes about 20 s)"
  SECONDS=0
  # -smap, -pku and -smep: with them the emulated iret of Wine's 32-bit code
  # faults in the guest kernel.
  qemu-system-x86_64 -machine q35 -cpu max,-smap,-pku,-smep -smp "$(nproc)" -m 8G \
    -accel tcg,thread=multi -nodefaults -display none -no-reboot \
    -kernel "$kernel" -initrd "$initrd" \
    -append "root=rootfs rootfstype=9p rootflags=trans=virtio,version=9p2000.L,msize=262144,cache=loose rw console=ttyS0 quiet panic=-1 init=/removekm-init" \
    -fsdev local,id=root,path="$root",security_model=passthrough -device virtio-9p-pci,fsdev=root,mount_tag=rootfs \
    -fsdev local,id=project,path="$project",security_model=passthrough \
    -device virtio-9p-pci,fsdev=project,mount_tag=project \
    -drive file="$vm/scratch.img",format=raw,if=virtio,cache=unsafe \
    -serial file:"$job/console" -chardev file,id=output,path="$job/output" -serial chardev:output \
    </dev/null &
  qemu=$!
  tail -n +1 -f --pid=$qemu -- "$job/output" &
  tail_pid=$!
  status=0
  wait $qemu || status=$?
  wait $tail_pid || true
  if [ ! -s "$job/status" ]; then
    echo "emulated: the machine stopped (qemu status $status) without the command's exit status; its console:" >&2
    tail -n 30 -- "$job/console" >&2
    exit 1
  fi
  status=$(cat -- "$job/status")
  echo "emulated: the machine ran ${SECONDS}s; the command exited with $status"
  exit "$status"
}

case ${1:-} in
  build) lock && build ;;
  run) shift && lock && run "$@" ;;
  *) echo "usage: $0 build | run [--scratch DIR | --keep DIR]... COMMAND [ARG...]" >&2 && exit 2 ;;
esac
