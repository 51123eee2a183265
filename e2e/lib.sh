# shellcheck shell=bash
# Shell library of the end-to-end tests and the demo: Wine prefixes, the X
# server, the sample installation, runs of RemoveKM beside the UI driver, and
# checks made on the Linux side. Source it from bash.
#
# Safety: a fresh Wine prefix links the profile folders (Desktop, Documents,
# Templates, ...) to $HOME, so writing to the desktop would write into a home
# folder. Every Wine command here therefore runs with a private HOME and
# XDG_DATA_HOME, the links are replaced by real folders before anything is
# written, the prefix is checked for links again before every case, and
# clean-up removes exact names only.

E2E_SOURCE_DIR=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")" && pwd)
E2E_SAMPLE_FILES=$E2E_SOURCE_DIR/sample/files.txt
E2E_SAMPLE_REGISTRY=$E2E_SOURCE_DIR/sample/kelmora.reg
# Every wait is this many times as long: scripts/windows-side.sh sets it for
# a machine that emulates the processor.
E2E_TIME_FACTOR=${REMOVEKM_E2E_TIME_FACTOR:-1}
# Longest wait for the X server to answer, in tenths of a second.
E2E_DISPLAY_WAIT=$((100 * E2E_TIME_FACTOR))
E2E_FAILURES=0

# e2e_set_arch ARCH: the kind of prefix that later commands make and use,
# win32 (the default) or win64. Sets E2E_PROGRAM_FILES, where Kelmora's 32-bit
# installer puts its folders there; in a win64 prefix its keys go to the 32-bit
# registry view. Texts of the cases say %PROGRAMFILES% for that folder.
e2e_set_arch() {
  case $1 in
    win32) E2E_PROGRAM_FILES='C:\Program Files' E2E_TEMPLATE=template ;;
    win64) E2E_PROGRAM_FILES='C:\Program Files (x86)' E2E_TEMPLATE=template64 ;;
    *) e2e_die "unknown kind of prefix: $1" ;;
  esac
  E2E_ARCH=$1
}
e2e_set_arch win32

# e2e_skip_without_wine: ends a case or the prefix set-up as skipped (77) when
# the Windows side cannot run on this machine (scripts/test.sh says why).
e2e_skip_without_wine() {
  if [ -n "${REMOVEKM_WINDOWS_SIDE_MISSING:-}" ]; then
    echo "e2e: skipped, the Windows side cannot run here: $REMOVEKM_WINDOWS_SIDE_MISSING"
    exit 77
  fi
}

e2e_die() {
  echo "e2e: $*" >&2
  exit 1
}

# e2e_use_prefix DIR: later Wine commands use the prefix DIR/prefix, with the
# private home DIR/home and data folder DIR/xdg (where the shell's trash goes).
e2e_use_prefix() {
  export WINEPREFIX="$1/prefix" WINEARCH=$E2E_ARCH HOME="$1/home" XDG_DATA_HOME="$1/xdg"
  # No Mono or Gecko installer prompts, no menu entries written to the desktop.
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
}

# e2e_without_trash: the shell's folder delete can no longer move folders into
# the trash and deletes them for real, as Windows would with a locked file
# inside. Call it before the run.
e2e_without_trash() {
  export XDG_DATA_HOME=/proc/e2e-no-trash
}

# e2e_stop_wine: ends every process of the prefix and waits until the server
# has written the registry files.
e2e_stop_wine() {
  wineserver -k 2>/dev/null || true
  wineserver -w
}

# e2e_check_no_links: refuses to go on while a link in the prefix's profile
# folders leads out of the prefix (Wine's own, to $HOME); a case's link to a
# folder of the prefix is what it tests.
e2e_check_no_links() {
  local link links='' drive_c
  drive_c=$(realpath -- "$WINEPREFIX/drive_c")
  while IFS= read -r -d '' link; do
    case $(realpath -m -- "$link") in
      "$drive_c"/*) ;;
      *) links+=$link$'\n' ;;
    esac
  done < <(find "$WINEPREFIX/drive_c/users" -type l -print0)
  [ -z "$links" ] || e2e_die "links out of the prefix remain in its profile folders, refusing to go on:
$links"
}

e2e_replace_profile_links() {
  local link
  while IFS= read -r -d '' link; do
    rm -f -- "$link"
    mkdir -- "$link"
  done < <(find "$WINEPREFIX/drive_c/users" -type l -print0)
  e2e_check_no_links
}

# e2e_make_template WORK: the clean prefix of the kind set by e2e_set_arch, in
# WORK/template (win32) or WORK/template64, that every case copies. Made once;
# kept while the Wine version stays the same.
e2e_make_template() {
  local dir="$1/$E2E_TEMPLATE" version
  version=$(wine --version)
  e2e_use_prefix "$dir"
  if [ -f "$dir/ready" ] && [ "$(cat -- "$dir/ready")" = "$version" ]; then
    e2e_check_no_links
    echo "e2e: template prefix $WINEPREFIX is ready ($version)"
    return
  fi
  # Wine gives the first start in a new prefix 5 minutes to make it, and then
  # fails with "could not load kernel32.dll" while the wineboot it started
  # goes on: on a slow or busy machine (software emulation) that happens. So
  # a failed wineboot is tried once more after that one has ended, in the
  # same folder, and then once from an empty one; the first log is kept.
  if ! e2e_boot_empty_prefix "$dir"; then
    echo "e2e: wineboot failed, see $dir/wineboot.log; its last lines: $(e2e_last_lines "$dir/wineboot.log"); trying once more"
    mv -- "$dir/wineboot.log" "$dir/wineboot.first.log"
    if ! e2e_boot_prefix "$dir"; then
      local first
      first=$(mktemp)
      mv -- "$dir/wineboot.first.log" "$first"
      e2e_boot_empty_prefix "$dir" || {
        mv -- "$first" "$dir/wineboot.first.log"
        e2e_die "wineboot failed in a new folder twice, see $dir/wineboot.log (the first try's: $dir/wineboot.first.log); its last lines: $(e2e_last_lines "$dir/wineboot.log")"
      }
      mv -- "$first" "$dir/wineboot.first.log"
    fi
  fi
  e2e_replace_profile_links
  {
    # Without a window manager Wine waits 2 s whenever a window closes, unless
    # it manages the windows itself.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f
    # A crash ends the program instead of waiting in a debugger dialog.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
  } >>"$dir/wineboot.log" 2>&1 || e2e_die "cannot configure the template, see $dir/wineboot.log"
  wineserver -w
  e2e_check_no_links
  echo "$version" >"$dir/ready"
  echo "e2e: made template prefix $WINEPREFIX ($version)"
}

# e2e_boot_empty_prefix DIR: makes the prefix of DIR (set by e2e_use_prefix)
# from an empty folder; see e2e_boot_prefix.
e2e_boot_empty_prefix() {
  wineserver -k 2>/dev/null || true
  rm -rf -- "$1"
  mkdir -p -- "$1" "$HOME" "$XDG_DATA_HOME"
  e2e_boot_prefix "$1"
}

# e2e_boot_prefix DIR: wineboot in the prefix of DIR, its output (with Wine's
# own errors about starting up) in DIR/wineboot.log; fails as wineboot does,
# once every process it started has ended.
e2e_boot_prefix() {
  local status=0
  DISPLAY='' WINEDEBUG=-all,err+environ wineboot -i >"$1/wineboot.log" 2>&1 || status=$?
  wineserver -w
  return $status
}

# e2e_last_lines FILE: its last three lines, on one line, for a message that
# must say why on its own (a CI log shows no files).
e2e_last_lines() {
  tail -n 3 -- "$1" 2>/dev/null | tr '\n' '|' | sed 's/|$//; s/|/ | /g'
}

# e2e_copy_prefix TEMPLATE COPY: copies a stopped prefix. Wine's DLLs in
# system32 (530 MB) and, in a 64-bit prefix, syswow64 (another 525 MB) are only
# ever read, so they are hard-linked rather than copied; everything else is a
# real copy.
e2e_copy_prefix() {
  local windows=drive_c/windows folder excluded=()
  mkdir -p -- "$2/$windows"
  for folder in system32 syswow64; do
    [ -d "$1/$windows/$folder" ] || continue
    cp -al -- "$1/$windows/$folder" "$2/$windows/$folder"
    excluded+=(--exclude="./$windows/$folder")
  done
  tar -C "$1" "${excluded[@]}" -cf - . | tar -C "$2" -xpf -
}

# e2e_copy_template WORK NAME: a fresh copy of the template in WORK/cases/NAME
# (WORK/cases64/NAME for a 64-bit prefix, so that both passes of a case may run
# at once), which becomes the case folder E2E_CASE_DIR; screenshots go to
# WORK/shots/NAME (WORK/shots64/NAME)
# (E2E_SHOTS_DIR), which outlives the case. Sets E2E_USER, the Wine user.
e2e_copy_template() {
  local template="$1/$E2E_TEMPLATE"
  [ -f "$template/ready" ] || e2e_die "no template prefix in $template: run make-prefix.sh first"
  local pass=
  [ "$E2E_ARCH" = win32 ] || pass=64
  E2E_CASE_DIR="$1/cases$pass/$2"
  E2E_SHOTS_DIR="$1/shots$pass/$2"
  rm -rf -- "$E2E_CASE_DIR" "$E2E_SHOTS_DIR"
  mkdir -p -- "$E2E_CASE_DIR/home" "$E2E_CASE_DIR/xdg" "$E2E_SHOTS_DIR"
  e2e_copy_prefix "$template/prefix" "$E2E_CASE_DIR/prefix"
  e2e_use_prefix "$E2E_CASE_DIR"
  e2e_check_no_links
  # The prefix has the profile folders of "Public" and of the one Wine user.
  local users
  users=$(find "$WINEPREFIX/drive_c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public -printf '%f\n')
  if [ -z "$users" ] || [ "$(printf '%s\n' "$users" | wc -l)" -ne 1 ]; then
    e2e_die "cannot tell the Wine user from the prefix's profiles: $users"
  fi
  E2E_USER=$users
}

# e2e_start_display: an X server on a free display for the case; waits until it
# answers and exports DISPLAY. Sets E2E_XVFB_PID.
e2e_start_display() {
  local display_file="$E2E_CASE_DIR/display" tries=0
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" \
    >"$E2E_CASE_DIR/xvfb.log" 2>&1 &
  E2E_XVFB_PID=$!
  until [ -s "$display_file" ]; do
    kill -0 "$E2E_XVFB_PID" 2>/dev/null || e2e_die "Xvfb did not start, see $E2E_CASE_DIR/xvfb.log"
    [ $((tries += 1)) -le $E2E_DISPLAY_WAIT ] || e2e_die "Xvfb chose no display"
    sleep 0.1
  done
  DISPLAY=":$(head -n 1 -- "$display_file")"
  export DISPLAY
  tries=0
  until xdotool getdisplaygeometry >/dev/null 2>&1; do
    [ $((tries += 1)) -le $E2E_DISPLAY_WAIT ] || e2e_die "the X server on $DISPLAY does not answer"
    sleep 0.1
  done
}

# e2e_start_snap_watcher DIR: takes a screenshot DIR/NAME.png of the display
# for each request DIR/NAME.request that the UI driver writes. Sets E2E_SNAP_PID.
e2e_start_snap_watcher() {
  local dir=$1
  (
    while true; do
      for request in "$dir"/*.request; do
        picture=${request%.request}.png
        if [ -e "$request" ] && [ ! -e "$picture" ]; then
          xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng >"$picture.part" 2>/dev/null &&
            mv -f -- "$picture.part" "$picture"
        fi
      done
      sleep 0.05
    done
  ) &
  E2E_SNAP_PID=$!
}

# e2e_stop_case_processes: ends what a case started (Wine, the snap watcher,
# the X server), each by its own id.
e2e_stop_case_processes() {
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then e2e_stop_wine; fi
  if [ -n "${E2E_SNAP_PID:-}" ]; then
    kill "$E2E_SNAP_PID" 2>/dev/null || true
    wait "$E2E_SNAP_PID" 2>/dev/null || true
    E2E_SNAP_PID=
  fi
  if [ -n "${E2E_XVFB_PID:-}" ]; then
    kill "$E2E_XVFB_PID" 2>/dev/null || true
    wait "$E2E_XVFB_PID" 2>/dev/null || true
    E2E_XVFB_PID=
  fi
}

# e2e_winpath PATH: the Windows name of an absolute Linux path (drive Z: is /).
e2e_winpath() {
  local path=$1
  printf 'Z:%s\n' "${path//\//\\}"
}

# e2e_unix_path 'C:\...': where a path on drive C: of the prefix lies on Linux;
# %USERNAME% stands for the Wine user, %PROGRAMFILES% for E2E_PROGRAM_FILES.
e2e_unix_path() {
  local path=${1//%USERNAME%/$E2E_USER}
  path=${path//%PROGRAMFILES%/$E2E_PROGRAM_FILES}
  case $path in
    [Cc]:\\*) path=${path:3} ;;
    *) e2e_die "not a path on drive C: $1" ;;
  esac
  printf '%s/drive_c/%s\n' "$WINEPREFIX" "${path//\\//}"
}

# e2e_expand_text [doubled]: copies stdin to stdout with each %PROGRAMFILES%
# replaced by E2E_PROGRAM_FILES, its backslashes doubled when asked (for the
# strings of a regedit file).
e2e_expand_text() {
  # Through the environment: awk -v would read the backslashes as escapes.
  folder=$E2E_PROGRAM_FILES awk -v doubled="${1:-}" '
    BEGIN {
      folder = ENVIRON["folder"]
      if (doubled) {
        count = split(folder, parts, "\\")
        folder = parts[1]
        for (i = 2; i <= count; i++) folder = folder "\\\\" parts[i]
      }
    }
    {
      rest = $0
      out = ""
      while ((at = index(rest, "%PROGRAMFILES%")) > 0) {
        out = out substr(rest, 1, at - 1) folder
        rest = substr(rest, at + length("%PROGRAMFILES%"))
      }
      print out rest
    }
  '
}

# e2e_regedit NAME [utf16]: imports the regedit file given on stdin (written
# as UTF-16 when asked, for key names the ANSI code page cannot spell), kept with its
# %PROGRAMFILES% expanded as NAME.reg in the case folder, where Kelmora's
# 32-bit installer writes: in a win64 prefix into the 32-bit registry view, as
# the 32-bit regedit does.
e2e_regedit() {
  local regedit=regedit file="$E2E_CASE_DIR/$1.reg"
  [ "$E2E_ARCH" = win32 ] || regedit='C:\windows\syswow64\regedit.exe'
  if [ "${2:-}" = utf16 ]; then
    e2e_expand_text doubled | iconv -f UTF-8 -t UTF-16 >"$file"
  else
    e2e_expand_text doubled >"$file"
  fi
  wine "$regedit" /S "$(e2e_winpath "$file")" 2>>"$E2E_CASE_DIR/wine.log" ||
    e2e_die "regedit cannot import $file"
}

# e2e_run_scenario SCENARIO EXE DRIVER [OPTION...]: runs EXE under the UI
# driver, which follows SCENARIO and reports each step (the OPTIONs go to the
# driver: --no-start for a scenario that starts EXE itself); then ends whatever
# is left running. Returns the driver's status. Wine's own messages go to the
# case's wine.log.
e2e_run_scenario() {
  local scenario=$1 exe=$2 driver=$3 status=0
  shift 3
  e2e_check_no_links
  wine "$driver" --program "$(e2e_winpath "$exe")" --time-factor "$E2E_TIME_FACTOR" "$@" \
    --snap-dir "$(e2e_winpath "$E2E_SHOTS_DIR")" "$(e2e_winpath "$scenario")" 2>>"$E2E_CASE_DIR/wine.log" || status=$?
  e2e_stop_wine
  e2e_check_no_links
  return $status
}

# e2e_quiet STEP...: the unattended runs of a case without a scenario. The UI
# driver, with no display, runs the STEPs (%PROGRAMFILES% expanded) ("hold-open PATH" first where a file
# must be held, then "run ARGUMENTS CODE" for each run of RemoveKM, which only
# those steps start); the case fails when one does not pass.
e2e_quiet() {
  local steps=() step
  for step; do steps+=(-c "$(printf '%s\n' "$step" | e2e_expand_text)"); done
  e2e_check_no_links
  env -u DISPLAY wine "$E2E_DRIVER" --program "$(e2e_winpath "$E2E_EXE")" --no-start \
    --time-factor "$E2E_TIME_FACTOR" "${steps[@]}" \
    2>>"$E2E_CASE_DIR/wine.log" || e2e_check_failed "the unattended runs did not go as expected"
  e2e_stop_wine
  e2e_check_no_links
}

# e2e_expect_log_lines 'C:\FILE' TEXT...: each TEXT (%PROGRAMFILES% expanded)
# ends a line of the log FILE (after the line's date and time).
e2e_expect_log_lines() {
  local file text
  file=$(e2e_unix_path "$1")
  shift
  for text; do
    text=$(printf '%s\n' "$text" | e2e_expand_text)
    grep -Fq -- " $text"$'\r' "$file" 2>/dev/null || e2e_check_failed "no line \"$text\" in the log $file"
  done
}

# Reads the sample's file list; calls CALLBACK UNIX-PATH KIND CONTENTS
# WINDOWS-PATH for each entry, KIND being "file" or "folder".
e2e_for_each_sample_entry() {
  local callback=$1 line path contents
  while IFS= read -r line || [ -n "$line" ]; do
    case $line in '' | '#'*) continue ;; esac
    if [[ $line == *' | '* ]]; then
      path=$(e2e_unix_path "${line%% | *}")
      contents=${line#* | }
      "$callback" "$path" file "$contents" "${line%% | *}"
    elif [[ $line == *\\ ]]; then
      path=$(e2e_unix_path "$line")
      "$callback" "$path" folder "" "$line"
    else
      e2e_die "malformed line in $E2E_SAMPLE_FILES: $line"
    fi
  done <"$E2E_SAMPLE_FILES"
}

e2e_create_sample_entry() {
  local path=$1 kind=$2 contents=$3
  if [ "$kind" = folder ]; then
    mkdir -p -- "$path"
  else
    mkdir -p -- "$(dirname -- "$path")"
    printf '%s\n' "$contents" >"$path"
  fi
}

# e2e_seed_sample_files: creates the files and folders of the sample
# installation, as if its registry entries had been lost.
e2e_seed_sample_files() {
  e2e_check_no_links
  e2e_for_each_sample_entry e2e_create_sample_entry
}

# e2e_seed_sample: creates the sample installation (files and registry).
e2e_seed_sample() {
  e2e_seed_sample_files
  e2e_regedit sample <"$E2E_SAMPLE_REGISTRY"
}

# Prints the keys and values of the product's registry areas, one key a line
# and one "key<TAB>value" line per value, with key names in lower case and
# relative to HKEY_LOCAL_MACHINE. Reads FILE, which is either Wine's system.reg
# or a regedit file. Keys are named as the 32-bit program sees them: in a win64
# prefix, those of the 32-bit view without "wow6432node\", and those of the
# 64-bit view after "64-bit view\".
e2e_registry_lines() {
  awk -v arch="$E2E_ARCH" '
    NR == 1 { wine = /^WINE REGISTRY/ }
    /^\[/ {
      key = $0
      sub(/^\[/, "", key)
      sub(/\][^\]]*$/, "", key)
      sub(/^HKEY_LOCAL_MACHINE\\/, "", key)
      gsub(/\\\\/, "\\", key)
      key = tolower(key)
      view = ""
      if (wine && arch == "win64" && !sub(/^software\\wow6432node\\/, "software\\", key)) {
        view = "64-bit view\\"
      }
      keep = key ~ /^software\\(dravenhall|microsoft\\windows\\currentversion\\uninstall)(\\|$)/
      key = view key
      if (keep) print key
      next
    }
    keep && /^[@"]/ { print key "\t" $0 }
  ' "$1"
}

# e2e_save_state NAME: records in the case folder what the product's areas hold
# now: every file and folder under Program Files, the desktops and the Start
# Menus (but the removal's registry backups, which quiet-registry-backup
# checks), and the registry lines above. Ends Wine first, so that the registry
# files are current.
e2e_save_state() {
  e2e_stop_wine
  local drive="$WINEPREFIX/drive_c" user_windows="users/$E2E_USER/AppData/Roaming/Microsoft/Windows"
  local program_files=("Program Files")
  [ ! -d "$drive/Program Files (x86)" ] || program_files+=("Program Files (x86)")
  {
    (cd -- "$drive" && find "${program_files[@]}" "users/Public/Desktop" "users/$E2E_USER/Desktop" \
      "ProgramData/Microsoft/Windows/Start Menu" "$user_windows/Start Menu" \
      ! -name 'Kelmora registry backup *.reg' -printf '%y %s %p\n' |
      LC_ALL=C sort)
    e2e_registry_lines "$WINEPREFIX/system.reg" | LC_ALL=C sort
  } >"$E2E_CASE_DIR/$1.state"
}

e2e_check_failed() {
  echo "FAIL: $*"
  E2E_FAILURES=$((E2E_FAILURES + 1))
}

# e2e_expect_same_state BEFORE AFTER: two saved states are the same.
e2e_expect_same_state() {
  local changes
  if ! changes=$(diff -u -- "$E2E_CASE_DIR/$1.state" "$E2E_CASE_DIR/$2.state"); then
    e2e_check_failed "the state changed between \"$1\" and \"$2\":
$changes"
  fi
}

# Saves the state after the run and fails the case on any change since the
# state saved as $1.
e2e_expect_unchanged_since() {
  e2e_save_state after
  e2e_expect_same_state "$1" after
}

# e2e_expect_present 'C:\...' ...: each file or folder exists.
e2e_expect_present() {
  local path unix_path
  for path; do
    unix_path=$(e2e_unix_path "$path")
    [ -e "$unix_path" ] || e2e_check_failed "missing: $path"
  done
}

# e2e_expect_absent 'C:\...' ...: none of them exists.
e2e_expect_absent() {
  local path unix_path
  for path; do
    unix_path=$(e2e_unix_path "$path")
    [ ! -e "$unix_path" ] || e2e_check_failed "still there: $path"
  done
}

e2e_registry_has_key() {
  local key
  key=$(printf '%s' "$1" | tr '[:upper:]' '[:lower:]')
  e2e_registry_lines "$WINEPREFIX/system.reg" | grep -Fxq -- "$key"
}

# e2e_expect_reg_key 'SOFTWARE\...' ...: each key of HKEY_LOCAL_MACHINE exists.
# Checks the registry files, so call it after e2e_save_state or e2e_run_scenario.
e2e_expect_reg_key() {
  local key
  for key; do
    e2e_registry_has_key "$key" || e2e_check_failed "missing registry key: HKLM\\$key"
  done
}

# e2e_expect_no_reg_key 'SOFTWARE\...' ...: none of these keys exists.
e2e_expect_no_reg_key() {
  local key
  for key; do
    ! e2e_registry_has_key "$key" || e2e_check_failed "registry key still there: HKLM\\$key"
  done
}

e2e_expect_sample_entry_intact() {
  local path=$1 kind=$2 contents=$3 name=$4
  if [ "$kind" = folder ]; then
    [ -d "$path" ] || e2e_check_failed "missing folder: $name"
  elif [ ! -f "$path" ]; then
    e2e_check_failed "missing file: $name"
  elif [ "$(cat -- "$path")" != "$contents" ]; then
    e2e_check_failed "changed file: $name"
  fi
}

# e2e_expect_sample_intact: every file, folder, key and value of the sample
# installation is still there, unchanged.
e2e_expect_sample_intact() {
  e2e_for_each_sample_entry e2e_expect_sample_entry_intact
  local missing
  missing=$(grep -Fxv -f <(e2e_registry_lines "$WINEPREFIX/system.reg") \
    <(e2e_registry_lines "$E2E_CASE_DIR/sample.reg")) || true
  [ -z "$missing" ] || e2e_check_failed "registry entries of the sample are missing:
$missing"
}

# ---------------------------------------------------------------------------
# Helpers of the removal's cases: extra files and keys beside the sample,
# copies kept outside the prefix, and the checks of what a removal changed.

# e2e_write_file 'C:\...' TEXT: a file holding TEXT and a line feed; its
# folders are made as needed.
e2e_write_file() {
  e2e_create_sample_entry "$(e2e_unix_path "$1")" file "$2"
}

# e2e_copy_folder 'C:\FROM' 'C:\TO': a copy of a folder of the prefix, such as
# a second installation beside the sample's.
e2e_copy_folder() {
  local to
  to=$(e2e_unix_path "$2")
  mkdir -p -- "$(dirname -- "$to")"
  cp -a -- "$(e2e_unix_path "$1")" "$to"
}

# e2e_import_registry [utf16]: imports the regedit file given on stdin (see e2e_regedit).
e2e_import_registry() {
  e2e_regedit import "$@"
}

# e2e_keep_copy 'C:\...' NAME: keeps a copy of the folder as it is now, outside
# the prefix, for e2e_expect_same_folder.
e2e_keep_copy() {
  mkdir -p -- "$E2E_CASE_DIR/kept"
  cp -a -- "$(e2e_unix_path "$1")" "$E2E_CASE_DIR/kept/$2"
}

# e2e_expect_same_folder NAME 'C:\...': the folder holds the same files and
# folders, with the same contents, as the copy kept as NAME (besides the
# registry backup that the removal writes into the saved data's folder).
e2e_expect_same_folder() {
  local differences
  if ! differences=$(diff -r -x 'Kelmora registry backup *.reg' -- "$E2E_CASE_DIR/kept/$1" \
    "$(e2e_unix_path "$2")" 2>&1); then
    e2e_check_failed "$2 differs from the copy \"$1\" kept before the run:
$differences"
  fi
}

# Prints each entry of a saved state as NAME<TAB>DETAIL: 'C:\...' with
# "folder" or "file of N bytes", 'hklm\KEY' with "key", 'hklm\KEY, VALUE'
# with the value's data. Registry names are in lower case, as Windows does not
# tell case apart there. A folder's size is left out: it follows the number
# of entries the folder ever held, not what it holds.
e2e_state_entries() {
  awk '
    /^[a-z] [0-9]+ / {
      kind = $1
      size = $2
      count = split(substr($0, length($1 " " $2 " ") + 1), parts, "/")
      name = "C:"
      for (i = 1; i <= count; i++) name = name "\\" parts[i]
      if (kind == "d") detail = "folder"
      else if (kind == "f") detail = "file of " size " bytes"
      else detail = "entry of kind " kind
      print name "\t" detail
      next
    }
    {
      tab = index($0, "\t")
      if (tab == 0) {
        print "hklm\\" $0 "\tkey"
        next
      }
      value = substr($0, tab + 1)
      equals = index(value, "=")
      value_name = substr(value, 1, equals - 1)
      gsub(/"/, "", value_name)
      print tolower("hklm\\" substr($0, 1, tab - 1) ", " value_name) "\t" substr(value, equals + 1)
    }
  ' "$1"
}

# e2e_expect_changes BEFORE AFTER CHANGES...: the state changed between two
# saved states exactly as CHANGES say, and in nothing else. One change a line
# (an argument may hold several lines):
#   - NAME    NAME was there before and is gone, with everything below it
#   + NAME    NAME is new, with everything below it
# NAME is a path 'C:\...' (%USERNAME% for the Wine user, %PROGRAMFILES% as in
# e2e_unix_path), a registry key
# 'HKLM\...' (its values and sub-keys are below it) or a value 'HKLM\KEY, VALUE'.
# Everything else must be in both states, files with the same size and values
# with the same data; and each line must name something that really went or came.
e2e_expect_changes() {
  local changes problems
  changes=$(printf '%s\n' "${@:3}" | e2e_expand_text |
    sed -e 's/%USERNAME%/'"$E2E_USER"'/g' -e '/^[[:space:]]*$/d' -e '/^#/d')
  if printf '%s\n' "$changes" | grep -qv '^[-+] '; then
    e2e_die "a change must be \"- NAME\" or \"+ NAME\":
$changes"
  fi
  problems=$(awk -F '\t' '
    function normal(name) { return tolower(substr(name, 1, 5)) == "hklm\\" ? tolower(name) : name }
    function below(name, top) {
      return name == top || index(name, top "\\") == 1 ||
        (substr(top, 1, 5) == "hklm\\" && index(name, top ", ") == 1)
    }
    function allowed(name, sign,   i) {
      for (i = 1; i <= count; i++) {
        if (signs[i] == sign && below(name, tops[i])) return 1
      }
      return 0
    }
    FILENAME == ARGV[1] {
      count++
      signs[count] = substr($0, 1, 1)
      tops[count] = normal(substr($0, 3))
      next
    }
    FILENAME == ARGV[2] { before[$1] = $2; next }
    { after[$1] = $2 }
    END {
      for (name in before) {
        if (!(name in after)) {
          if (!allowed(name, "-")) print "gone: " name
        } else if (before[name] != after[name]) {
          print "changed: " name " (" before[name] ", now " after[name] ")"
        }
      }
      for (name in after) {
        if (!(name in before) && !allowed(name, "+")) print "new: " name
      }
      for (i = 1; i <= count; i++) {
        if (signs[i] == "-" && !(tops[i] in before)) print "was not there before: " tops[i]
        if (signs[i] == "-" && (tops[i] in after)) print "still there: " tops[i]
        if (signs[i] == "+" && !(tops[i] in after)) print "missing: " tops[i]
        if (signs[i] == "+" && (tops[i] in before)) print "was there before: " tops[i]
      }
    }
  ' <(printf '%s\n' "$changes") <(e2e_state_entries "$E2E_CASE_DIR/$1.state") \
    <(e2e_state_entries "$E2E_CASE_DIR/$2.state") | LC_ALL=C sort)
  [ -z "$problems" ] || e2e_check_failed "the state did not change as expected between \"$1\" and \"$2\":
$problems"
}

# e2e_sample_removal: what a complete removal takes away from the sample
# installation, as lines for e2e_expect_changes. It keeps by design the
# product key with its other values, and the "Kelmora Vessik" program folders
# of the Start Menus with whatever is left in them.
e2e_sample_removal() {
  local start_menu folder
  e2e_expand_text <<'END'
- %PROGRAMFILES%\Kelmora
- %PROGRAMFILES%\InstallShield Installation Information\{A41C08D7-3B6E-4D52-9F8A-61C0E7B2D594}
- %PROGRAMFILES%\InstallShield Installation Information\{5E2B7C41-9A3D-4F06-8C1E-2D7F4B90A6C3}
- HKLM\SOFTWARE\Dravenhall\Kelmora\Settings
- HKLM\SOFTWARE\Dravenhall\Kelmora\Licensing
- HKLM\SOFTWARE\Dravenhall\Kelmora, InstallPath
- HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\{A41C08D7-3B6E-4D52-9F8A-61C0E7B2D594}
- HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\{5E2B7C41-9A3D-4F06-8C1E-2D7F4B90A6C3}
END
  for folder in 'C:\users\Public\Desktop' 'C:\users\%USERNAME%\Desktop'; do
    printf -- '- %s\\%s\n' "$folder" 'Kelmora.lnk' "$folder" 'Kelmora Student Selection.lnk' \
      "$folder" 'Kelmora Vessik.lnk' "$folder" 'Kelmora Vessik Student Selection.lnk'
  done
  for start_menu in 'C:\ProgramData\Microsoft\Windows\Start Menu' \
    'C:\users\%USERNAME%\AppData\Roaming\Microsoft\Windows\Start Menu'; do
    folder="$start_menu\\Programs\\Kelmora Vessik"
    printf -- '- %s\n' "$start_menu\\Programs\\Kelmora"
    printf -- '- %s\\%s\n' "$folder" 'Kelmora Vessik.lnk' "$folder" \
      'Kelmora Vessik Student Selection.lnk' "$folder" 'Uninstall.lnk'
  done
}
