# Unattended, with no display, and nothing changes: a folder without
# "km2.jar" and the Windows folder are refused (267), a wrong command line is
# refused (87), and the dialog, which cannot open without a desktop, says so
# with its exit code (1459) rather than 0.
arrange() {
  e2e_seed_sample
  e2e_write_file 'C:\Old Data\notes.txt' 'not Kelmora'
  e2e_save_state before
}

act() {
  e2e_quiet 'run "/quiet /folder \"C:\Old Data\" /log C:\refused.log" 267' \
    'run "/quiet /folder C:\windows /nosave /log C:\refused.log" 267' \
    'run "/quiet /log C:\refused.log /unknown" 87' \
    'run "/quiet /nosave /saveto C:\backup" 87' \
    'run "" 1459'
}

verify() {
  e2e_expect_unchanged_since before
  e2e_expect_sample_intact
  e2e_expect_present 'C:\Old Data\notes.txt'
  e2e_expect_log_lines 'C:\refused.log' \
    'The "km2.jar" file was not found in this location.  Are you sure that this is your Kelmora folder?' \
    'Answered No.' 'C:\windows' 'Exit code 267.' \
    'Invalid command line: unknown switch "/unknown". Exit code 87.'
}
