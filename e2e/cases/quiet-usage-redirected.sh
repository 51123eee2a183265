# With no display, "/?" with its standard output redirected (as a deployment
# tool or a script reads it) writes the usage there, opens no window and ends
# with 0; nothing of Kelmora changes.
arrange() {
  e2e_seed_sample
  e2e_save_state before
}

act() {
  local status=0
  e2e_check_no_links
  env -u DISPLAY wine "$E2E_EXE" '/?' >"$E2E_CASE_DIR/stdout.txt" 2>>"$E2E_CASE_DIR/wine.log" ||
    status=$?
  e2e_stop_wine
  [ "$status" -eq 0 ] || e2e_check_failed "/? ended with $status"
}

verify() {
  e2e_save_state after
  e2e_expect_same_state before after
  grep -Fq 'RemoveKM.exe /check [/folder DIR] [/log FILE]' "$E2E_CASE_DIR/stdout.txt" ||
    e2e_check_failed "the usage is not on the standard output"
  grep -Fq '3010 restart to finish' "$E2E_CASE_DIR/stdout.txt" ||
    e2e_check_failed "the usage on the standard output is cut short"
}
