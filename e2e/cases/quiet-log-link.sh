# Unattended, with no display: /log names a file in C:\Open, a folder every
# account may change (its Unix mode gives "other" write, which Wine shows as
# Everyone's), where a pupil put a link at the log's name to a teacher's
# file; then, in a second run, a file in C:\Logs, which only this account may
# change, with such a link at its name (Wine follows it even when it is
# opened as itself; its final path shows where it led). Neither log is
# written there: the teacher's file is unchanged, and the log, beside it the
# registry backup, goes to %WINDIR%\Logs, each run's first line saying why.
arrange() {
  e2e_seed_sample
  mkdir -p -- "$(e2e_unix_path 'C:\Open')" "$(e2e_unix_path 'C:\Logs')"
  chmod 0777 -- "$(e2e_unix_path 'C:\Open')"
  e2e_write_file 'C:\Teacher\marks.txt' 'marks'
  ln -s '../Teacher/marks.txt' "$(e2e_unix_path 'C:\Open\removal.log')"
  ln -s '../Teacher/marks.txt' "$(e2e_unix_path 'C:\Logs\removal.log')"
  e2e_keep_copy 'C:\Teacher' teacher
}

act() {
  e2e_quiet 'run "/quiet /nosave /log C:\Open\removal.log" 0' \
    'run "/quiet /nosave /log C:\Logs\removal.log" 0'
}

verify() {
  e2e_expect_same_folder teacher 'C:\Teacher'
  local log
  log=$(e2e_unix_path 'C:\windows\logs\RemoveKM.log')
  head -n 1 -- "$log" | grep -Fq 'Warning The log is not written to C:\Open\removal.log, as others than administrators may change its folder or one above it; it is written here.' ||
    e2e_check_failed "the default log does not begin by saying why"
  e2e_expect_log_lines 'C:\windows\logs\RemoveKM.log' 'Exit code 0.' \
    'The log is not written to C:\Logs\removal.log, as what is there is a link, has other names or others than administrators may change it; it is written here.'
  local backups=("$(e2e_unix_path 'C:\windows\logs')"/Kelmora\ registry\ backup\ *.reg)
  [ -f "${backups[0]}" ] || e2e_check_failed "no registry backup in C:\\windows\\logs"
}
