# Unattended, a product file is held open by a program outside the install
# folder (the driver): that program is never closed, the file and its folder
# are left to Windows, and the run ends with 3010. Before the restart /check
# still lists the folder, marked; Wine carries the deletes out when the prefix
# next starts after its server has ended, as Windows does at a restart: then
# nothing of Kelmora is left and /check gives 0.
held='%PROGRAMFILES%\Kelmora\km2.jar'

arrange() {
  e2e_without_trash
  e2e_seed_sample
  e2e_keep_copy '%PROGRAMFILES%\Kelmora\Students' students
  e2e_save_state before
}

act() {
  e2e_quiet "hold-open \"$held\"" 'run "/quiet /log C:\held.log" 3010' \
    'run "/check /log C:\check.log" 1'
  # The server has ended: what it holds for the restart is in the registry file.
  grep -Fq 'PendingFileRenameOperations' "$WINEPREFIX/system.reg" ||
    e2e_check_failed "no PendingFileRenameOperations before the restart"
  e2e_expect_present "$held"
  e2e_quiet 'run "/check /log C:\restarted.log" 0'
}

verify() {
  e2e_save_state after
  e2e_expect_changes before after "$(e2e_sample_removal)" \
    '+ C:\users\%USERNAME%\Desktop\Kelmora Saved Student Data'
  e2e_expect_absent '%PROGRAMFILES%\Kelmora'
  ! grep -Fq 'PendingFileRenameOperations' "$WINEPREFIX/system.reg" ||
    e2e_check_failed "PendingFileRenameOperations is still there after the restart"
  e2e_expect_same_folder students 'C:\users\%USERNAME%\Desktop\Kelmora Saved Student Data'
  e2e_expect_log_lines 'C:\held.log' \
    'Kelmora has been removed.  Some of its files were in use; Windows will remove them when the computer restarts.  Please restart the computer.' \
    'Folder: %PROGRAMFILES%\Kelmora' 'Exit code 3010.'
  e2e_expect_log_lines 'C:\check.log' 'Folder: %PROGRAMFILES%\Kelmora (removed when Windows restarts)'
  e2e_expect_log_lines 'C:\restarted.log' 'Nothing of Kelmora is present.' 'Exit code 0.'
}
