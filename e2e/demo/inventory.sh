# shellcheck shell=bash
# The demo's inventory of Kelmora on the sample machine: each component of the
# product with its state, and the student data. Source it after e2e/lib.sh;
# the registry is read from the prefix's files, so stop Wine first
# (e2e_save_state does).

DEMO_STUDENTS='C:\Program Files\Kelmora\Students'
DEMO_SAVED_DATA='C:\users\%USERNAME%\Desktop\Kelmora Saved Student Data'

# What a removal keeps by design: the product key with its other values, and
# the "Kelmora Vessik" program folders of the Start Menus, which lose only
# their shortcuts.
DEMO_KEPT_BY_DESIGN=(
  'HKLM\SOFTWARE\Dravenhall\Kelmora'
  'C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Kelmora Vessik'
  'C:\users\%USERNAME%\AppData\Roaming\Microsoft\Windows\Start Menu\Programs\Kelmora Vessik'
)

# Prints the product's components, one "FATE<TAB>NAME" a line: FATE is
# "removed" for what the removal takes away, "kept" for what it keeps by design.
demo_components() {
  e2e_sample_removal | sed -n 's/^- /removed\t/p'
  printf 'kept\t%s\n' "${DEMO_KEPT_BY_DESIGN[@]}"
}

# demo_registry_has_value 'SOFTWARE\KEY' VALUE: the key of HKEY_LOCAL_MACHINE
# holds the value.
demo_registry_has_value() {
  e2e_registry_lines "$WINEPREFIX/system.reg" |
    awk -F '\t' -v key="$1" -v value="\"$2\"=" '
      tolower($1) == tolower(key) && index(tolower($2), tolower(value)) == 1 { found = 1 }
      END { exit !found }'
}

# demo_is_present NAME: a path 'C:\...', a key 'HKLM\...' or a value
# 'HKLM\KEY, VALUE' exists.
demo_is_present() {
  local name=$1
  case $name in
    HKLM\\*,\ *)
      name=${name#HKLM\\}
      demo_registry_has_value "${name%%, *}" "${name#*, }"
      ;;
    HKLM\\*) e2e_registry_has_key "${name#HKLM\\}" ;;
    *) [ -e "$(e2e_unix_path "$name")" ] ;;
  esac
}

# demo_count_files 'C:\...': the number of files in the folder, or "none"
# when there is no such folder.
demo_count_files() {
  local folder
  folder=$(e2e_unix_path "$1")
  # The registry backup the removal leaves beside the saved data is no pupil's file.
  if [ -d "$folder" ]; then find "$folder" -type f ! -name 'Kelmora registry backup *.reg' | wc -l; else echo none; fi
}

# demo_take_inventory FILE: records the state of each component as
# "FATE<TAB>present|absent<TAB>NAME" lines, then the number of files of the
# student data and of its saved copy, "students<TAB>N" and "saved<TAB>N".
demo_take_inventory() {
  local fate name state
  {
    while IFS=$'\t' read -r fate name; do
      name=${name//%USERNAME%/$E2E_USER}
      if demo_is_present "$name"; then state=present; else state=absent; fi
      printf '%s\t%s\t%s\n' "$fate" "$state" "$name"
    done < <(demo_components)
    printf 'students\t%s\n' "$(demo_count_files "$DEMO_STUDENTS")"
    printf 'saved\t%s\n' "$(demo_count_files "$DEMO_SAVED_DATA")"
  } >"$1"
}

# demo_verdicts BEFORE AFTER: each component's state after the removal,
# "VERDICT<TAB>NAME": removed, kept by design, absent (not there before
# either) or FAILED (still there, or gone although kept by design).
demo_verdicts() {
  awk -F '\t' '
    FILENAME == ARGV[1] { before[$3] = $2; next }
    $1 == "removed" || $1 == "kept" {
      if ($1 == "removed") verdict = $2 == "absent" ? (before[$3] == "present" ? "removed" : "absent") : "FAILED"
      else verdict = $2 == "present" ? "kept by design" : (before[$3] == "present" ? "FAILED" : "absent")
      print verdict "\t" $3
    }
  ' "$1" "$2"
}

demo_saved_data_path() {
  printf '%s\n' "${DEMO_SAVED_DATA//%USERNAME%/$E2E_USER}"
}

# demo_print_inventory TITLE BEFORE [AFTER]: one line per component with its
# state (before the run) or its verdict (after it), then the student data:
# what there is to save before, what was saved after.
demo_print_inventory() {
  local title=$1 before=$2 after=${3:-}
  echo "$title"
  if [ -z "$after" ]; then
    awk -F '\t' '$1 == "removed" || $1 == "kept" { print $2 "\t" $3 }' "$before"
  else
    demo_verdicts "$before" "$after"
  fi | awk -F '\t' '{ printf "  %-15s %s\n", $1, $2 }'
  if [ -z "$after" ]; then
    printf '  %-15s %s: %s files\n' "student data" "$DEMO_STUDENTS" \
      "$(demo_inventory_field "$before" students)"
  fi
  local saved
  saved=$(demo_inventory_field "${after:-$before}" saved)
  if [ "$saved" = none ]; then saved="not there"; else saved="$saved files"; fi
  printf '  %-15s %s: %s\n' "saved data" "$(demo_saved_data_path)" "$saved"
}

# demo_count_verdicts BEFORE AFTER VERDICT: how many components have it.
demo_count_verdicts() {
  demo_verdicts "$1" "$2" | grep -c "^$3"$'\t' || true
}

# demo_inventory_field FILE KIND: the number of the "students" or "saved" line.
demo_inventory_field() {
  awk -F '\t' -v kind="$2" '$1 == kind { print $2 }' "$1"
}
