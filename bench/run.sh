#!/bin/bash
# Benchmark of RemoveKM's removal against the bare platform, under Wine and
# Xvfb, at growing installation sizes. Not a test: it only measures, and it
# takes a while (about half an hour at the default sizes on a busy 2-core box).
#
# For each size an installation is generated straight into the prefix's
# drive_c (bench/generate_installation.py, plus the sample's shortcuts and
# registry from e2e/sample), and generated again before every measurement
# that removes it. Each repetition measures, in turn:
#   - the clean-up path: a Students file the UI driver holds open sharing
#     nothing makes RemoveKM's copy fail, so it deletes its copy again with
#     DeleteTree, against floor-cleanup.exe's bare delete loop of the same
#     files, and (up to BENCH_ANALYSIS_MAX files) against that loop with each
#     piece of DeleteTree's per-file work added, and with cheaper ways to the
#     same end; these leave the installation as they found it;
#   - RemoveKM's whole removal with the save box ticked, then not ticked;
#   - the floor: floor-removal.exe making the same platform calls bare; its
#     time less its copy is the floor of the unticked removal; and (up to
#     BENCH_ANALYSIS_MAX files) the same with RemoveKM's two windows open and
#     the progress recorder watching them, which is what the measurement
#     itself costs RemoveKM;
#   - the unattended removal (/quiet /nosave, no display) against the floor
#     without the copy, both timed by the shell from the process's start to
#     its end, as a deployment tool sees them;
# and, once before the sizes, the start-up of RemoveKM against floor-dialog.exe
# (bare, and with RemoveKM's DLLs loaded): first with the product found
# through the registry, then with nothing installed, each phase against the
# floor measured in it.
#
# The UI driver works RemoveKM's dialogs up to OK at the start question and
# then waits for the program to end; progress-recorder.exe times the removal
# from the progress window's appearance to the final message and answers that
# message (see bench/probe/ProgressRecorder.cpp for why the driver does not).
# The Wine programs, the Wine server and the X server run with real-time
# priority (SCHED_FIFO 1) when the system allows it, so that other load on
# the machine delays their many small exchanges as little as possible.
#
# With --counted it times nothing and needs no Wine: it counts, on the
# simulated machine of the host build, the calls of each phase of the
# unattended removal and of the dialog's start-up against the floor on held
# handles (bench/counted, bench/floor/HeldFloor), at the same sizes, in
# seconds on any machine. A machine that cannot run 32-bit x86 programs gets
# that table, after one line saying that times need one that can.
#
# Usage: bash bench/run.sh [--counted]
# Environment (all optional):
#   BENCH_SIZES          installation sizes in files (default "1000 10000 50000")
#   BENCH_REPS           repetitions per size; medians are reported (default 3)
#   BENCH_STARTUP_REPS   start-up repetitions (default 15)
#   BENCH_ONLY_STARTUP   1: measure the start-up only, no removal sizes
#   BENCH_PREBUILT       1: use the programs already built in the build folder
#                        (where this machine cannot build them, such as an
#                        emulated machine that only runs Wine)
#   BENCH_ANALYSIS_MAX   largest size with the analysis measurements (10000)
#   BENCH_BUILD_DIR      Windows build folder (default build/windows)
#   BENCH_COUNTED_DIR    host build folder of the counted mode (default
#                        build/counted: optimised, without sanitizers)
#   BENCH_WORK_DIR       work folder (default out/bench); the results go to
#                        its results/ folder: bench.csv (raw figures),
#                        facts.txt (the machine) and table.txt
set -euo pipefail
ROOT=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source-path=SCRIPTDIR source=../e2e/lib.sh
source "$ROOT/e2e/lib.sh"

SIZES=${BENCH_SIZES:-"1000 10000 50000"}
REPS=${BENCH_REPS:-3}
STARTUP_REPS=${BENCH_STARTUP_REPS:-15}
ONLY_STARTUP=${BENCH_ONLY_STARTUP:-0}
ANALYSIS_MAX=${BENCH_ANALYSIS_MAX:-10000}
BUILD=$(realpath -m -- "${BENCH_BUILD_DIR:-$ROOT/build/windows}")
WORK=$(realpath -m -- "${BENCH_WORK_DIR:-$ROOT/out/bench}")
RESULTS=$WORK/results
SCENARIOS=$ROOT/bench/scenarios
CSV=$RESULTS/bench.csv
FACTS=$RESULTS/facts.txt
REMOVEKM=$BUILD/RemoveKM.exe
DRIVER=$BUILD/uidriver.exe
SUCCESS_MESSAGE="The Kelmora has been removed from your computer."
COPY_FAILED_MESSAGE="Unable to copy your student data.  Please copy manually, then try removing \
the installation again.  Contact DVH at 1-800-555-0143 if you have any questions."
# The command prefix that gives real-time priority, when it is allowed.
REALTIME=()
if chrt -f 1 true 2>/dev/null; then REALTIME=(chrt -f 1); fi

bench_log() { printf '[%s] %s\n' "$(date +%T)" "$*" >&2; }

build() {
  if [ "${BENCH_PREBUILT:-0}" = 1 ]; then
    local exe
    for exe in RemoveKM uidriver floor-removal floor-cleanup floor-dialog progress-recorder; do
      [ -f "$BUILD/$exe.exe" ] || e2e_die "BENCH_PREBUILT: $BUILD/$exe.exe is missing"
    done
    return
  fi
  bash "$ROOT/scripts/install-deps.sh"
  cmake --preset windows -B "$BUILD" >/dev/null
  cmake --build "$BUILD" -j2 --target RemoveKM uidriver floor-removal floor-cleanup floor-dialog \
    progress-recorder >/dev/null
}

# --- the installation ------------------------------------------------------

# The paths that the measurements create or remove, by their exact names: the
# install folder, the two installer caches, the student-data folders.
product_paths() {
  local caches="$DRIVE/Program Files/InstallShield Installation Information"
  printf '%s\n' "$DRIVE/Program Files/Kelmora" \
    "$caches/{A41C08D7-3B6E-4D52-9F8A-61C0E7B2D594}" \
    "$caches/{5E2B7C41-9A3D-4F06-8C1E-2D7F4B90A6C3}" \
    "$SAVED" "$SAVED (2)" "$DRIVE/bench-quiet.log"
}

clear_product() {
  local path
  while IFS= read -r path; do rm -rf -- "$path"; done < <(product_paths)
}

# Nothing installed: no product files, and none of the product's keys (the
# maker's other product stays).
unseed() {
  clear_product
  printf '%s\n' REGEDIT4 '' '[-HKEY_LOCAL_MACHINE\SOFTWARE\Dravenhall\Kelmora]' \
    '[-HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\{A41C08D7-3B6E-4D52-9F8A-61C0E7B2D594}]' \
    '[-HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\{5E2B7C41-9A3D-4F06-8C1E-2D7F4B90A6C3}]' |
    e2e_regedit unseed
  sync
}

# seed SIZE: a fresh installation of SIZE files, written to disk.
seed() {
  clear_product
  e2e_seed_sample
  python3 "$ROOT/bench/generate_installation.py" --files "$1" --drive "$DRIVE" >/dev/null
  sync
}

count_files() { find "$1" -type f 2>/dev/null | wc -l; }

# Sets the file counts of the installation just seeded.
count_installation() {
  local path
  STUDENT_FILES=$(count_files "$DRIVE/Program Files/Kelmora/Students")
  INSTALL_FILES=$(count_files "$DRIVE/Program Files/Kelmora")
  FILES=0
  while IFS= read -r path; do
    FILES=$((FILES + $(count_files "$path")))
  done < <(product_paths | head -n 3)
}

# --- checks that a measurement did what it should have ----------------------

bench_fail() {
  e2e_die "$1 (size $SIZE, repetition $REP); the prefix stays in $E2E_CASE_DIR"
}

expect_removed() {
  [ ! -e "$DRIVE/Program Files/Kelmora" ] || bench_fail "$1 left the install folder"
}

# expect_saved NAME BACKUPS: every student file saved, and BACKUPS registry
# backups beside them (RemoveKM puts its own there; the floor makes none).
expect_saved() {
  local saved backups
  saved=$(find "$SAVED" -type f ! -name 'Kelmora registry backup *.reg' 2>/dev/null | wc -l)
  backups=$(find "$SAVED" -maxdepth 1 -type f -name 'Kelmora registry backup *.reg' | wc -l)
  [ "$saved" -eq "$STUDENT_FILES" ] || bench_fail "$1 saved $saved of $STUDENT_FILES student files"
  [ "$backups" -eq "$2" ] || bench_fail "$1 left $backups registry backups beside the saved work"
}

expect_not_saved() {
  [ ! -e "$SAVED" ] || bench_fail "$1 left the student-data folder on the desktop"
}

# The clean-up measurements run with one more student file, which the copy
# cannot read.
expect_install_intact() {
  local left
  left=$(count_files "$DRIVE/Program Files/Kelmora")
  [ "$left" -eq $((INSTALL_FILES + 1)) ] ||
    bench_fail "$1 left $left of $((INSTALL_FILES + 1)) install files"
}

# --- runs and their figures ------------------------------------------------

load1() { cut -d ' ' -f 1 /proc/loadavg; }

# record MEASURE MS: one raw figure.
record() {
  [ -n "$2" ] || bench_fail "no figure for $1"
  printf '%s,%s,%s,%s,%s,%s\n' "$SIZE" "$FILES" "$REP" "$1" "$2" "$(load1)" >>"$CSV"
}

# wine_rt ARG...: a Wine command with the run's priority; its own messages go
# to the case's wine.log.
wine_rt() {
  "${REALTIME[@]}" wine "$@" 2>>"$E2E_CASE_DIR/wine.log"
}

# drive SCENARIO EXE LOG: runs EXE under the UI driver; a failed step fails
# the bench.
drive() {
  e2e_check_no_links
  if ! wine_rt "$DRIVER" --program "$(e2e_winpath "$2")" --time-factor "$E2E_TIME_FACTOR" \
    "$(e2e_winpath "$SCENARIOS/$1")" >"$3"; then
    cat -- "$3" >&2
    bench_fail "the scenario $1 did not run to its end"
  fi
}

# The times of the driver's steps in its log, one "step-text<TAB>ms" a line.
# RemoveKM's log lines, which it also writes to the standard output it shares
# with the driver, may come between a step and its "ok (N ms)".
driver_steps() {
  tr -d '\r' <"$1" | awk '
    /^ *[0-9]+: .* \.\.\. / { step = $0; sub(/^ *[0-9]+: /, "", step); sub(/ \.\.\. .*$/, "", step) }
    step != "" && match($0, /ok \([0-9]+ ms\)$/) {
      printf "%s\t%s\n", step, substr($0, RSTART + 4, RLENGTH - 8); step = "" }'
}

# The time of the first `window` step: from the program's start to its main
# dialog shown.
window_ms() { driver_steps "$1" | awk -F '\t' '$1 ~ /^window / { print $2; exit }'; }

# The time from OK at the start question to the program's end: the two steps
# after the question.
ok_to_end_ms() {
  driver_steps "$1" | awk -F '\t' '/Please be patient/ { n = 2; next }
    n > 0 { sum += $2; if (--n == 0) { print sum; exit } }'
}

# field NAME OUTPUT: the value of NAME=value in a floor program's output.
field() { printf '%s\n' "$2" | tr -d '\r' | tr ' ' '\n' | sed -n "s/^$1=//p"; }

# recorder_ms RECORD FROM TO: milliseconds from the recorder's first event
# that matches the pattern FROM to the first one after it that matches TO.
recorder_ms() {
  tr -d '\r' <"$1" | awk -v from="$2" -v to="$3" '
    { time = $1; sub(/^[^ ]+ /, "") }
    a == "" && $0 ~ from { a = time; next }
    a != "" && b == "" && $0 ~ to { b = time }
    END { if (b != "") printf "%.0f\n", b - a }'
}

# drive_recorded SCENARIO LOG RECORD MESSAGE: runs RemoveKM under the UI
# driver with progress-recorder.exe beside it, which times the removal and
# answers its message boxes; MESSAGE must be the only one.
drive_recorded() {
  local recorder boxes
  "${REALTIME[@]}" wine "$BUILD/progress-recorder.exe" >"$3" 2>>"$E2E_CASE_DIR/wine.log" &
  recorder=$!
  drive "$1" "$REMOVEKM" "$2"
  wait "$recorder" || bench_fail "the progress recorder did not see the removal end"
  boxes=$(tr -d '\r' <"$3" | sed -n 's/^[^ ]* box //p')
  [ "$boxes" = "$4" ] || bench_fail "RemoveKM showed, instead of \"$4\": $boxes"
}

measure_removekm() {
  local saving=$1 scenario=remove-saving.scn log=$LOGS/removekm.log rec=$LOGS/removekm.rec
  [ "$saving" = save ] || scenario=remove-not-saving.scn
  drive_recorded "$scenario" "$log" "$rec" "$SUCCESS_MESSAGE"
  expect_removed "RemoveKM ($saving)"
  if [ "$saving" = save ]; then expect_saved RemoveKM 1; else expect_not_saved "RemoveKM"; fi
  record "removekm_$saving" "$(recorder_ms "$rec" '^window$' '^box ')"
  record "removekm_${saving}_ok_to_end" "$(ok_to_end_ms "$log")"
  record "removekm_${saving}_step1" "$(recorder_ms "$rec" '^window$' '^step Step 2 ')"
  record "removekm_${saving}_step3" "$(recorder_ms "$rec" '^step Step 3 ' '^step Step [456] ')"
}

measure_floor_removal() {
  local out total copy
  out=$(wine_rt "$BUILD/floor-removal.exe" --save)
  expect_removed "floor-removal"
  expect_saved floor-removal 0
  total=$(field total_ms "$out")
  copy=$(field copy_ms "$out")
  record floor_save "$total"
  record floor_copy "$copy"
  record floor_install "$(field install_ms "$out")"
  # The same calls less the copy: the floor of the removal without saving.
  record floor_nosave "$(awk -v t="$total" -v c="$copy" 'BEGIN { printf "%.1f", t - c }')"
}

# The floor without the copy, with RemoveKM's windows open and the recorder
# watching them as it watches RemoveKM.
measure_floor_removal_watched() {
  local out recorder
  "${REALTIME[@]}" wine "$BUILD/progress-recorder.exe" >"$LOGS/floor.rec" \
    2>>"$E2E_CASE_DIR/wine.log" &
  recorder=$!
  out=$(wine_rt "$BUILD/floor-removal.exe" --windows --owner)
  # The recorder ends when the windows close; it is stopped should it have
  # missed them.
  kill "$recorder" 2>/dev/null || true
  wait "$recorder" || true
  expect_removed "floor-removal --windows"
  record floor_nosave_watched "$(field total_ms "$out")"
}

# elapsed_ms START: milliseconds since START, an EPOCHREALTIME.
elapsed_ms() { awk -v a="$1" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.1f", (b - a) * 1000 }'; }

# RemoveKM with no window at all, as a deployment tool starts it.
measure_removekm_quiet() {
  local start status=0
  start=$EPOCHREALTIME
  (unset DISPLAY && wine_rt "$REMOVEKM" /quiet /nosave /log 'C:\bench-quiet.log' >/dev/null) ||
    status=$?
  record removekm_quiet "$(elapsed_ms "$start")"
  [ "$status" -eq 0 ] || bench_fail "RemoveKM /quiet ended with $status"
  expect_removed "RemoveKM /quiet"
  expect_not_saved "RemoveKM /quiet"
}

measure_floor_removal_process() {
  local start
  start=$EPOCHREALTIME
  (unset DISPLAY && wine_rt "$BUILD/floor-removal.exe" >/dev/null)
  record floor_nosave_process "$(elapsed_ms "$start")"
  expect_removed "floor-removal"
}

measure_removekm_cleanup() {
  local log=$LOGS/cleanup.log rec=$LOGS/cleanup.rec
  drive_recorded cleanup.scn "$log" "$rec" "$COPY_FAILED_MESSAGE"
  expect_not_saved "RemoveKM's clean-up"
  expect_install_intact "RemoveKM's clean-up"
  record removekm_cleanup_total "$(recorder_ms "$rec" '^window$' '^box ')"
  record removekm_cleanup_copy "$(recorder_ms "$rec" '^window$' '^item-first ')"
  record removekm_cleanup_delete "$(recorder_ms "$rec" '^item-first ' '^box ')"
}

# measure_floor_cleanup NAME [OPTION ...]
measure_floor_cleanup() {
  local name=$1 out
  shift
  out=$(wine_rt "$BUILD/floor-cleanup.exe" "$@")
  expect_not_saved "floor-cleanup $*"
  expect_install_intact "floor-cleanup $*"
  [ "$name" != bare ] || record floor_cleanup_copy "$(field copy_ms "$out")"
  record "floor_cleanup_delete_$name" "$(field delete_ms "$out")"
}

measure_cleanups() {
  echo "not copied" >"$UNREADABLE"
  sync
  measure_removekm_cleanup
  measure_floor_cleanup bare
  if [ "$SIZE" -le "$ANALYSIS_MAX" ]; then
    measure_floor_cleanup attrs --attrs
    measure_floor_cleanup attrs_every --attrs-every
    measure_floor_cleanup item --item
    measure_floor_cleanup item_repaint --item --repaint
    measure_floor_cleanup all --attrs --item --repaint
    # The same with the item line shown and repainted at most every 50 ms.
    measure_floor_cleanup throttled --attrs --item --repaint --throttle 50
  fi
  rm -f -- "$UNREADABLE"
}

# measure_startup_of MEASURE EXE [DLL ...]: EXE, with the DLLs loaded first.
measure_startup_of() {
  local measure=$1 exe=$2 log=$LOGS/startup.log
  shift 2
  BENCH_PRELOAD="$*" drive startup.scn "$exe" "$log"
  record "$measure" "$(window_ms "$log")"
}

# measure_startup [SUFFIX]: one repetition of the start-up phase whose
# figures are recorded with SUFFIX.
measure_startup() {
  local suffix=${1:-}
  measure_startup_of "startup_removekm$suffix" "$REMOVEKM"
  measure_startup_of "startup_floor$suffix" "$BUILD/floor-dialog.exe"
  # The floor with the DLLs that RemoveKM imports beyond it.
  measure_startup_of "startup_floor_dlls$suffix" "$BUILD/floor-dialog.exe" \
    shell32.dll advapi32.dll ole32.dll
}

# measure_startup_phase SUFFIX WHAT: warms up, then the repetitions.
measure_startup_phase() {
  bench_log "start-up, $2, $STARTUP_REPS repetitions"
  drive startup.scn "$REMOVEKM" "$LOGS/warm-up.log"
  drive startup.scn "$BUILD/floor-dialog.exe" "$LOGS/warm-up.log"
  for REP in $(seq "$STARTUP_REPS"); do measure_startup "$1"; done
}

measure_size() {
  seed "$SIZE"
  count_installation
  for REP in $(seq "$REPS"); do
    bench_log "size $SIZE ($FILES files), repetition $REP of $REPS, load $(load1)"
    [ "$REP" -eq 1 ] || seed "$SIZE"
    measure_cleanups
    measure_removekm save
    seed "$SIZE"
    measure_removekm nosave
    seed "$SIZE"
    measure_floor_removal
    seed "$SIZE"
    measure_removekm_quiet
    seed "$SIZE"
    measure_floor_removal_process
    if [ "$SIZE" -le "$ANALYSIS_MAX" ]; then
      seed "$SIZE"
      measure_floor_removal_watched
    fi
  done
}

# --- the counted mode ------------------------------------------------------

counted() {
  local build
  build=$(realpath -m -- "${BENCH_COUNTED_DIR:-$ROOT/build/counted}")
  mkdir -p -- "$RESULTS"
  bench_log "building the counted benchmark in $build"
  cmake -S "$ROOT" -B "$build" -DCMAKE_BUILD_TYPE=Release -DREMOVEKM_SANITIZE=OFF >/dev/null
  cmake --build "$build" -j2 --target counted-table >/dev/null
  # shellcheck disable=SC2086 # the sizes are words
  "$build/counted-table" $SIZES | tee "$RESULTS/counted.txt"
}

# --- the run ---------------------------------------------------------------

write_facts() {
  local priority="normal (chrt not allowed)"
  [ ${#REALTIME[@]} -eq 0 ] || priority="SCHED_FIFO 1 for Wine and Xvfb"
  {
    echo "date: $(date '+%Y-%m-%d %H:%M:%S %Z')"
    echo "cpu: $(nproc) cores, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)"
    echo "wine: $(wine --version)"
    echo "priority: $priority"
    echo "load average at start: $(cut -d ' ' -f 1-3 /proc/loadavg)"
    echo "exe: $REMOVEKM $(wc -c <"$REMOVEKM") bytes"
    # A machine that only runs Wine may have no MinGW tools.
    echo "imports: $(i686-w64-mingw32-objdump -p "$REMOVEKM" 2>/dev/null |
      sed -n 's/^[[:space:]]*DLL Name: //p' | tr -d '\r' | tr '\n' ' ')"
  } >"$FACTS"
}

finish() {
  local status=$?
  e2e_stop_case_processes
  [ $status -ne 0 ] || rm -rf -- "$E2E_CASE_DIR"
}

main() {
  if [ "${1:-}" = --counted ]; then
    counted
    return
  fi
  local machine
  if ! machine=$(sh "$ROOT/scripts/x86-32-check.sh"); then
    echo "Times need a machine that runs 32-bit x86 programs (${machine%%,*}); the calls are counted instead."
    counted
    return
  fi
  SECONDS=0
  mkdir -p -- "$WORK" "$RESULTS"
  bench_log "building in $BUILD"
  build
  bash "$ROOT/e2e/make-prefix.sh" "$WORK" >/dev/null
  e2e_copy_template "$WORK" bench
  trap finish EXIT
  LOGS=$E2E_CASE_DIR
  DRIVE=$WINEPREFIX/drive_c
  SAVED="$DRIVE/users/$E2E_USER/Desktop/Kelmora Saved Student Data"
  # The clean-up scenario holds it open sharing nothing.
  UNREADABLE="$DRIVE/Program Files/Kelmora/Students/held-by-another.txt"
  e2e_start_display
  [ ${#REALTIME[@]} -eq 0 ] || chrt -p -f 1 "$E2E_XVFB_PID" >/dev/null
  # The shell's folder delete then deletes for real, as on Windows.
  e2e_without_trash
  # One server for the whole run, so that every program starts warm; the
  # prefix's own services start with the first program.
  "${REALTIME[@]}" wineserver -p
  wine_rt reg query 'HKCU\Software\Wine' >/dev/null
  write_facts
  echo "size,files,rep,measure,ms,load1" >"$CSV"

  # Start-up is recorded under size 0, with a small installation to find,
  # then with nothing installed.
  SIZE=0 REP=0 FILES=0
  seed 1000
  measure_startup_phase "" "the product found through the registry"
  unseed
  measure_startup_phase _none "nothing installed"

  [ "$ONLY_STARTUP" = 1 ] || for SIZE in $SIZES; do measure_size; done
  clear_product
  echo "load average at end: $(cut -d ' ' -f 1-3 /proc/loadavg)" >>"$FACTS"
  echo "run time: $((SECONDS / 60)) min $((SECONDS % 60)) s" >>"$FACTS"
  python3 "$ROOT/bench/report.py" "$FACTS" "$CSV" | tee "$RESULTS/table.txt"
  echo "raw figures: $CSV"
}

main "$@"
