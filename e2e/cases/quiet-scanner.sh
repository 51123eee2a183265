# Unattended, a program that shares deleting holds a product file and the
# Students folder for the whole run, as a virus scanner or an Explorer window
# does: the deletes only mark them, and the removal waits a moment, then
# leaves what Windows is still deleting to the restart (3010), never reporting
# a failure. Wine removes a marked name when its last handle closes.
held='%PROGRAMFILES%\Kelmora\km2.jar'
students='%PROGRAMFILES%\Kelmora\Students'

arrange() {
  e2e_without_trash
  e2e_seed_sample
  e2e_save_state before
}

act() {
  e2e_quiet "hold-open \"$held\" shared" "hold-open \"$students\" shared" \
    'run "/quiet /nosave /log C:\scanned.log" 3010'
  e2e_quiet 'run "/check /log C:\restarted.log" 0'
}

verify() {
  e2e_save_state after
  e2e_expect_changes before after "$(e2e_sample_removal)"
  e2e_expect_absent '%PROGRAMFILES%\Kelmora'
  e2e_expect_log_lines 'C:\scanned.log' 'Exit code 3010.'
  ! grep -Fq 'Could not delete' "$(e2e_unix_path 'C:\scanned.log')" ||
    e2e_check_failed "a delete Windows was carrying out was reported as failed"
  e2e_expect_log_lines 'C:\restarted.log' 'Nothing of Kelmora is present.' 'Exit code 0.'
}
