#!/bin/bash
# A guided run of RemoveKM on the sample installation, in a throw-away Wine
# prefix under WORK-DIR (never the user's own): seeds the sample with a class
# of students, prints the inventory of the product, runs the program, prints
# the inventory again and a one-line summary. Exit status 0 when the removal
# succeeded.
#
# With a display (DISPLAY set and answering) the program's window opens there
# for the person to use. Without one the program runs on its own X server and
# the UI driver walks through a whole removal, taking a picture of each window.
#
# Usage: demo.sh --exe RemoveKM.exe --driver uidriver.exe --work WORK-DIR
# shellcheck source-path=SCRIPTDIR
set -euo pipefail
demo_dir=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../lib.sh
source "$demo_dir/../lib.sh"
# shellcheck source=inventory.sh
source "$demo_dir/inventory.sh"
# shellcheck source=window-shots.sh
source "$demo_dir/window-shots.sh"

usage="usage: $0 --exe RemoveKM.exe --driver uidriver.exe --work WORK-DIR"
exe='' driver='' work=''
while [ $# -gt 0 ]; do
  case $1 in
    --exe) exe=$(realpath -- "$2") && shift 2 ;;
    --driver) driver=$(realpath -- "$2") && shift 2 ;;
    --work) work=$(realpath -m -- "$2") && shift 2 ;;
    *) e2e_die "$usage" ;;
  esac
done
if [ -z "$exe" ] || [ -z "$driver" ] || [ -z "$work" ]; then e2e_die "$usage"; fi
[ -f "$exe" ] || e2e_die "$exe does not exist"
[ -f "$driver" ] || e2e_die "$driver does not exist"

# Pupils and files per pupil added to the sample's Students folder: enough
# files that the copy of step 1 keeps the progress window on screen for about
# a second.
DEMO_PUPILS=60
DEMO_FILES_PER_PUPIL=50

# demo_seed_class: a class of pupils in the sample's Students folder, each with
# a progress file and a portfolio of stories.
demo_seed_class() {
  local students pupil story folder
  students=$(e2e_unix_path "$DEMO_STUDENTS")
  for ((pupil = 1; pupil <= DEMO_PUPILS; pupil++)); do
    folder=$(printf '%s/Pupil %02d' "$students" "$pupil")
    mkdir -p -- "$folder/Portfolio"
    printf 'level=%d\n' $((pupil % 6 + 1)) >"$folder/progress.dat"
    for ((story = 1; story < DEMO_FILES_PER_PUPIL; story++)); do
      printf 'Story %d by pupil %d.\n' "$story" "$pupil" >"$folder/Portfolio/story$story.txt"
    done
  done
}

# The person's own X server is reached through their X authority file, which
# is looked for in HOME, and the prefix gets a HOME of its own.
export XAUTHORITY=${XAUTHORITY:-$HOME/.Xauthority}
has_display=false
if [ -n "${DISPLAY:-}" ] && xdotool getdisplaygeometry >/dev/null 2>&1; then has_display=true; fi

# shellcheck disable=SC2317 # run by the trap
finish() {
  demo_stop_window_shots
  e2e_stop_case_processes
}

SECONDS=0
mkdir -p -- "$work"
e2e_make_template "$work"
e2e_copy_template "$work" removal
trap finish EXIT
echo "demo: prefix $WINEPREFIX, private home $HOME"
e2e_seed_sample
demo_seed_class
e2e_save_state before
demo_take_inventory "$E2E_CASE_DIR/before.inventory"
echo
demo_print_inventory "Kelmora before the removal:" "$E2E_CASE_DIR/before.inventory"
echo

ran=true
if $has_display; then
  echo "demo: RemoveKM opens on display $DISPLAY; the inventory follows when it ends."
  e2e_check_no_links
  wine "$exe" 2>>"$E2E_CASE_DIR/wine.log" || true
  e2e_stop_wine
  e2e_check_no_links
else
  echo "demo: no display; the UI driver walks through the removal on its own X server."
  e2e_start_display
  demo_start_window_shots "$E2E_SHOTS_DIR" start-question progress
  e2e_run_scenario "$demo_dir/removal.scn" "$exe" "$driver" || ran=false
  demo_stop_window_shots
fi

e2e_save_state after
demo_take_inventory "$E2E_CASE_DIR/after.inventory"
echo
demo_print_inventory "Kelmora after the removal:" "$E2E_CASE_DIR/before.inventory" \
  "$E2E_CASE_DIR/after.inventory"

# Nothing but the product may have changed; the saved student data is the one
# thing that may come.
expected_changes=$(e2e_sample_removal)
saved=$(demo_inventory_field "$E2E_CASE_DIR/after.inventory" saved)
to_save=$(demo_inventory_field "$E2E_CASE_DIR/before.inventory" students)
[ "$saved" = none ] || expected_changes+=$'\n'"+ $DEMO_SAVED_DATA"
e2e_expect_changes before after "$expected_changes"
if [ "$E2E_FAILURES" -eq 0 ]; then
  printf '  %-15s %s\n' unchanged "everything else: the other product, the user's own files, the registry"
fi

if ! $has_display; then
  echo
  echo "Pictures of the windows:"
  for picture in main-dialog start-question progress final-message; do
    file=$E2E_SHOTS_DIR/$picture.png
    if [ -f "$file" ]; then echo "  $file"; else echo "  $picture: not taken"; fi
  done
fi

count() {
  demo_count_verdicts "$E2E_CASE_DIR/before.inventory" "$E2E_CASE_DIR/after.inventory" "$1"
}
removed=$(count removed) kept=$(count "kept by design") failed=$(count FAILED)
counts="$removed removed, $kept kept by design, $failed failed; ${saved/none/0} of $to_save student files saved"
$has_display || counts+="; pictures in $E2E_SHOTS_DIR"
echo
if $ran && [ "$failed" -eq 0 ] && [ "$removed" -gt 0 ] && [ "$E2E_FAILURES" -eq 0 ] &&
  { [ "$saved" = none ] || [ "$saved" -eq "$to_save" ]; }; then
  echo "demo: SUCCESS: Kelmora was removed ($counts) in ${SECONDS}s"
  exit 0
fi
[ -s "$E2E_CASE_DIR/wine.log" ] && echo "--- last lines of $E2E_CASE_DIR/wine.log:" &&
  tail -n 20 -- "$E2E_CASE_DIR/wine.log"
echo "demo: FAILED: the removal did not succeed ($counts); the prefix stays in $E2E_CASE_DIR"
exit 1
