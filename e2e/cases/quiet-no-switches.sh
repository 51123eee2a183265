# With no switches and no display (a deployment tool that forgot /quiet) the
# program does not wait for a click nobody can give: it ends with 1459 at
# once, says why in the log, and changes nothing. A Wine prefix spells the
# log folder "logs", and the prefix's files are read from Linux, where case
# matters.
arrange() {
  e2e_seed_sample
  e2e_save_state before
}

act() {
  local status=0 limit=$((60 * E2E_TIME_FACTOR))
  e2e_check_no_links
  env -u DISPLAY timeout "$limit" wine "$E2E_EXE" >/dev/null 2>>"$E2E_CASE_DIR/wine.log" ||
    status=$?
  e2e_stop_wine
  [ "$status" -ne 124 ] || e2e_check_failed "the program still ran after $limit s"
  [ "$status" -eq 1459 ] || [ "$status" -eq $((1459 % 256)) ] ||
    e2e_check_failed "the program ended with $status, not 1459"
}

verify() {
  e2e_save_state after
  e2e_expect_same_state before after
  e2e_expect_log_lines 'C:\windows\logs\RemoveKM.log' 'No desktop for the dialog. Exit code 1459.'
}
