# Unattended, with no display: /check finds the sample installation (1), a
# quiet removal takes all of it with the student data saved to the desktop
# (0), and with /allusers another user's shortcuts too; its log (UTF-8, a new
# file with a byte-order mark) is also on the redirected standard output, and
# /check then finds nothing (0).
arrange() {
  e2e_without_trash
  e2e_seed_sample
  e2e_write_file 'C:\users\pupil\Desktop\Kelmora.lnk' link
  e2e_write_file 'C:\users\pupil\AppData\Roaming\Microsoft\Windows\Start Menu\Programs\Kelmora\Kelmora.lnk' link
  e2e_keep_copy '%PROGRAMFILES%\Kelmora\Students' students
  e2e_save_state before
}

act() {
  e2e_quiet 'run "/check /log C:\before.log" 1'
  local status=0
  env -u DISPLAY wine "$E2E_EXE" -Quiet -LOG 'C:\removal.log' /allusers >"$E2E_CASE_DIR/stdout.txt" \
    2>>"$E2E_CASE_DIR/wine.log" || status=$?
  [ "$status" -eq 0 ] || e2e_check_failed "the quiet removal ended with $status"
  e2e_stop_wine
  e2e_quiet 'run "/check /log C:\after.log" 0'
}

verify() {
  e2e_save_state after
  e2e_expect_changes before after "$(e2e_sample_removal)" \
    '+ C:\users\%USERNAME%\Desktop\Kelmora Saved Student Data'
  e2e_expect_absent 'C:\users\pupil\Desktop\Kelmora.lnk' \
    'C:\users\pupil\AppData\Roaming\Microsoft\Windows\Start Menu\Programs\Kelmora'
  e2e_expect_same_folder students 'C:\users\%USERNAME%\Desktop\Kelmora Saved Student Data'
  # A new log file starts with UTF-8's byte-order mark; the standard output
  # has the same lines without it.
  local log
  log=$(e2e_unix_path 'C:\removal.log')
  [ "$(head -c 3 -- "$log" | od -An -tx1 | tr -d ' \n')" = efbbbf ] ||
    e2e_check_failed "the log does not start with a UTF-8 byte-order mark"
  tail -c +4 -- "$log" | cmp -s - "$E2E_CASE_DIR/stdout.txt" ||
    e2e_check_failed "the standard output is not the log"
  e2e_expect_log_lines 'C:\before.log' \
    'Folder: %PROGRAMFILES%\Kelmora' \
    'Registry Value: HKEY_LOCAL_MACHINE\Software\Dravenhall\Kelmora, InstallPath' \
    'Traces of Kelmora are present, listed above.'
  e2e_expect_log_lines 'C:\removal.log' \
    'Install folder: %PROGRAMFILES%\Kelmora (found at start)' \
    'Step 6 of 6: Removing registry information...' \
    'The Kelmora has been removed from your computer.' 'Exit code 0.'
  e2e_expect_log_lines 'C:\after.log' 'Nothing of Kelmora is present.'
}
