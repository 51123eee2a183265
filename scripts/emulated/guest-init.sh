#!/bin/bash
# The first process of the emulated machine: mounts what Linux and Wine need,
# shares the project folder at the same path as on the host, runs the host's
# command there with its output on the second serial port, leaves the exit
# status in the job folder and powers the machine off.
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
export HOME=/root LANG=C.UTF-8 TERM=dumb
job=/removekm-job

mount_once() { mountpoint -q "$3" || mount -t "$1" "$2" "$3"; }
mount_once proc proc /proc
mount_once sysfs sysfs /sys
mount_once devtmpfs devtmpfs /dev
mkdir -p /dev/pts /dev/shm
mount_once devpts devpts /dev/pts
mount_once tmpfs tmpfs /dev/shm
mount_once tmpfs tmpfs /tmp
mount_once tmpfs tmpfs /run
stty -F /dev/ttyS1 raw -echo 2>/dev/null

run() {
  # shellcheck source=/dev/null
  source "$job/setup" || return 1
  mkdir -p "$PROJECT" &&
    mount -t 9p -o trans=virtio,version=9p2000.L,msize=262144,cache=loose project "$PROJECT" || return 1
  # Wine prefixes and other bulk go to the machine's own disk, one folder of
  # it for each project folder that uses the machine.
  modprobe -a virtio_blk ext4 || return 1
  local tries=0
  until [ -b /dev/vda ]; do
    [ $((tries += 1)) -le 50 ] || return 1
    sleep 0.1
  done
  mkdir -p /scratch && mount /dev/vda /scratch || return 1
  # Scratch is this run's alone: what runs from other project folders (each
  # clean clone is one) left here would fill the disk over the weeks. The
  # template prefixes stay.
  find /scratch -mindepth 1 -maxdepth 1 ! -name templates ! -name lost+found -exec rm -rf -- {} + ||
    return 1
  local folder
  for folder in "${KEEP[@]}"; do
    mkdir -p "$PROJECT/$folder" "/run/kept/$folder" && mount --bind "$PROJECT/$folder" "/run/kept/$folder" ||
      return 1
  done
  for folder in "${SCRATCH[@]}"; do
    [ -n "$folder" ] || return 1
    mkdir -p "/scratch$PROJECT/$folder" "$PROJECT/$folder" &&
      mount --bind "/scratch$PROJECT/$folder" "$PROJECT/$folder" || return 1
  done
  # What must come back to the host, inside a scratch folder.
  for folder in "${KEEP[@]}"; do
    mkdir -p "$PROJECT/$folder" && mount --bind "/run/kept/$folder" "$PROJECT/$folder" || return 1
  done
  # Wine prefixes take many minutes to make here: a template prefix the cases
  # copy, once made in any project folder, is kept on this disk for every
  # other (a clean clone too). Copied, not linked: the cases hard-link parts of
  # it, and no link crosses from one bind mount to another.
  share_templates /scratch/templates "$PROJECT/"
  echo "emulated: the machine is up after $(cut -d ' ' -f 1 /proc/uptime)s"
  local status=0
  bash "$job/command" </dev/null || status=$?
  share_templates "$PROJECT/" /scratch/templates
  return $status
}

# share_templates FROM TO: each ready template prefix (template, template64)
# of FROM copied to TO where TO has none ready; FROM and TO are the store or
# the project folder, whose scratch folders hold the templates.
share_templates() {
  local folder name from to
  for folder in "${SCRATCH[@]}"; do
    for name in template template64; do
      from=$1$folder/$name to=$2$folder/$name
      [ "$1" = /scratch/templates ] && from=$1/$name
      [ "$2" = /scratch/templates ] && to=$2/$name
      [ -f "$from/ready" ] && [ ! -f "$to/ready" ] || continue
      rm -rf -- "$to.partial" && mkdir -p -- "$(dirname -- "$to")" &&
        cp -a -- "$from" "$to.partial" && rm -rf -- "$to" && mv -- "$to.partial" "$to"
    done
  done
}
run >/dev/ttyS1 2>&1
echo $? >"$job/status"
sync
echo o >/proc/sysrq-trigger
sleep 60
