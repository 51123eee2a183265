# One of Kelmora's programs is running from the install folder (a stand-in
# with a window), holding a pupil's file and a product file open without
# sharing. The dialog names it in one question; OK closes it, it saves its
# work into the pupil's file as it closes, and then everything goes as in a
# complete removal, the saved data with that work in it.
standin_ready='C:\standin-ready.txt'

arrange() {
  e2e_without_trash
  e2e_seed_sample
  cp -- "$(dirname -- "$E2E_DRIVER")/standin.exe" "$(e2e_unix_path '%PROGRAMFILES%\Kelmora\Kelmora.exe')"
  e2e_save_state before
  local program pupil jar
  program=$(printf '%s\n' '%PROGRAMFILES%\Kelmora\Kelmora.exe' | e2e_expand_text)
  pupil=$(printf '%s\n' '%PROGRAMFILES%\Kelmora\Students\Ben\progress.dat' | e2e_expand_text)
  jar=$(printf '%s\n' '%PROGRAMFILES%\Kelmora\km2.jar' | e2e_expand_text)
  wine "$program" "$pupil" "$jar" 2>>"$E2E_CASE_DIR/wine.log" &
  local waited=0
  until [ -e "$(e2e_unix_path "$standin_ready")" ]; do
    [ $waited -lt $((600 * E2E_TIME_FACTOR)) ] || e2e_die "the stand-in program did not start"
    sleep 0.1
    waited=$((waited + 1))
  done
}

verify() {
  e2e_save_state after
  e2e_expect_changes before after "$(e2e_sample_removal)" \
    '+ C:\users\%USERNAME%\Desktop\Kelmora Saved Student Data'
  local saved
  saved=$(e2e_unix_path 'C:\users\%USERNAME%\Desktop\Kelmora Saved Student Data\Ben\progress.dat')
  [ "$(cat -- "$saved" 2>/dev/null)" = $'level=2\nlevel=3 (saved when closed)' ] ||
    e2e_check_failed "the pupil's work saved as the program closed is not in $saved"
  e2e_expect_present 'C:\users\%USERNAME%\Desktop\Kelmora Saved Student Data\Ada\Portfolio\story1.txt'
}
