# The copy of RemoveKM that a removal run as SYSTEM starts in a pupil's
# session: started here by hand with its switch, naming a running stand-in of
# Kelmora by its id and start. The pupil's notice shows its text and counts
# down; "Close Kelmora now" asks the stand-in to close, which saves the
# pupil's unsaved work as it goes, and the copy reports 0 (closed).
driver_options=--no-start
standin_ready='C:\standin-ready.txt'
pupil_work='C:\users\Public\pupil-work.txt'

arrange() {
  e2e_write_file "$pupil_work" 'level=2'
  cp -- "$(dirname -- "$E2E_DRIVER")/standin.exe" "$(e2e_unix_path 'C:\standin.exe')"
  wine 'C:\standin.exe' "$pupil_work" 2>>"$E2E_CASE_DIR/wine.log" &
  local waited=0 ready
  ready=$(e2e_unix_path "$standin_ready")
  until [ -s "$ready" ]; do
    [ $waited -lt $((600 * E2E_TIME_FACTOR)) ] || e2e_die "the stand-in program did not start"
    sleep 0.1
    waited=$((waited + 1))
  done
  # The scenario names the stand-in as the removal would.
  sed -i "s/STANDIN/$(cat -- "$ready")/" "$E2E_CASE_DIR/scenario.scn"
}

verify() {
  local saved
  saved=$(e2e_unix_path "$pupil_work")
  [ "$(tr -d '\r' <"$saved" 2>/dev/null)" = $'level=2\nlevel=3 (saved when closed)' ] ||
    e2e_check_failed "the stand-in did not save the pupil's work as it closed: $(cat -- "$saved" 2>/dev/null)"
}
