# Unattended, with no display. First nothing changes: a folder without
# "km2.jar" and the Windows folder are refused (267), wrong command lines are
# refused (87), and the dialog, which cannot open without a desktop, says so
# with its exit code (1459) rather than 0. Then a file held open in the first
# installer cache stays with its folder; everything else goes, the student
# data is saved into a new folder with blanks in its name given by /saveto,
# nothing lands on the desktop, and the exit code (3010: restart to finish) and
# the log tell what Windows deletes at the next restart. A pupil's page nested
# past MAX_PATH is saved with the rest; it is out of the shell's reach, so the
# program deletes the install folder itself.
nested='%PROGRAMFILES%\Kelmora\Students\carol'
while [ ${#nested} -lt 270 ]; do nested+='\project inside a project'; done
nested+='\page.html'

arrange() {
  e2e_without_trash
  e2e_seed_sample
  e2e_write_file "$nested" 'deep work'
  e2e_write_file 'C:\Old Data\notes.txt' 'not Kelmora'
  e2e_keep_copy '%PROGRAMFILES%\Kelmora\Students' students
  e2e_save_state before
}

held='%PROGRAMFILES%\InstallShield Installation Information\{A41C08D7-3B6E-4D52-9F8A-61C0E7B2D594}'

act() {
  e2e_quiet 'run "/quiet /folder \"C:\Old Data\" /log C:\refused.log" 267' \
    'run "/quiet /folder C:\windows /nosave /log C:\refused.log" 267' \
    'run "/quiet /log C:\refused.log /unknown" 87' 'run "/quiet /nosave /saveto C:\backup" 87' \
    'run "" 1459'
  e2e_expect_unchanged_since before
  e2e_quiet "hold-open \"$held\\setup.ini\"" \
    'run "/s /saveto \"C:\Saved Data\PC 01\" /log \"C:\Removal Logs.txt\"" 3010'
}

verify() {
  e2e_save_state after
  e2e_expect_changes before after "$(e2e_sample_removal |
    grep -Fxv -e "- ${held//%PROGRAMFILES%/$E2E_PROGRAM_FILES}")"
  e2e_expect_present "$held\\setup.ini" 'C:\Old Data\notes.txt'
  e2e_expect_same_folder students 'C:\Saved Data\PC 01\Kelmora Saved Student Data'
  e2e_expect_log_lines 'C:\refused.log' \
    'The "km2.jar" file was not found in this location.  Are you sure that this is your Kelmora folder?' \
    'Answered No.' 'C:\windows' 'Exit code 267.' \
    'Invalid command line: unknown argument "/unknown". Exit code 87.'
  e2e_expect_log_lines 'C:\Removal Logs.txt' "Held: $held; deleted when Windows restarts." "Folder: $held" \
    'Student data saved in C:\Saved Data\PC 01\Kelmora Saved Student Data: 7 files.' \
    'Exit code 3010.'
}
