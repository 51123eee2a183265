#!/bin/bash
# Makes the root folder of the emulated x86-64 machine in which the Windows
# side runs on a Linux machine that cannot run 32-bit x86 programs: Debian 12
# with Wine (32- and 64-bit), Xvfb and the tools of the end-to-end tests and
# the demo, and a kernel whose initramfs can mount a 9p root.
#
# Usage (as root): build-root.sh ROOT
# ROOT is made anew in ROOT.partial and renamed when complete, so a half-made
# one is never booted.
set -euo pipefail

[ $# -eq 1 ] || { echo "usage: $0 ROOT" >&2; exit 2; }
root=$(realpath -m -- "$1")
partial=$root.partial
# What the guest needs: Wine and libwine:i386 for both kinds of prefix, the X
# server and the X tools of the e2e library, netpbm for its pictures, ctest to
# run the tests by their names, python3 for the benchmark's generator.
GUEST_PACKAGES="linux-image-amd64 wine wine32 wine64 libwine:i386
xvfb x11-utils x11-apps xdotool netpbm cmake procps python3"

mounted=()
unmount_all() {
  local i
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l -- "${mounted[i]}" || true; done
  mounted=()
}
trap unmount_all EXIT
bind() {
  mkdir -p -- "$partial$1"
  mount --bind -- "$1" "$partial$1"
  mounted+=("$partial$1")
}

# A half-made root may still have the host's /proc or /dev bound inside it.
if [ -e "$partial" ]; then
  awk -v under="$partial/" 'index($2, under) == 1 { print $2 }' /proc/mounts | sort -r | xargs -r -n1 umount -l
  rm -rf --one-file-system -- "$partial"
fi

echo "emulated: debootstrap of Debian 12 into $partial"
debootstrap --variant=minbase --include=kmod,udev bookworm "$partial" >"$partial.log" 2>&1 ||
  { tail -n 20 -- "$partial.log"; echo "emulated: debootstrap failed, see $partial.log" >&2; exit 1; }

bind /proc
bind /sys
bind /dev

echo "emulated: installing Wine, Xvfb and the kernel in the root folder"
chroot "$partial" /bin/sh -eu -c "
  $(cat -- "$(dirname -- "${BASH_SOURCE[0]}")/../apt-retry.sh")
  dpkg --add-architecture i386
  apt_update emulated
  export DEBIAN_FRONTEND=noninteractive
  apt-get install -y -q --no-install-recommends initramfs-tools
  # A small initramfs, made once when the kernel comes: only the modules that
  # mount the root the host shares.
  printf '%s\\n' 9p 9pnet 9pnet_virtio virtio_pci >>/etc/initramfs-tools/modules
  echo MODULES=list >/etc/initramfs-tools/conf.d/removekm
  apt-get install -y -q --no-install-recommends $(echo $GUEST_PACKAGES)
  apt-get clean
" >>"$partial.log" 2>&1 ||
  { tail -n 20 -- "$partial.log"; echo "emulated: installing in the root failed, see $partial.log" >&2; exit 1; }
unmount_all

ls "$partial"/boot/vmlinuz-* "$partial"/boot/initrd.img-* >/dev/null ||
  { echo "emulated: no kernel or initramfs in $partial/boot" >&2; exit 1; }
rm -rf --one-file-system -- "$root"
mv -- "$partial" "$root"
mv -- "$partial.log" "$root.log"
