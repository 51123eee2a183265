# The whole removal: every part of the product goes, what the removal keeps by
# design stays, the student data is saved to the user's desktop, and the other
# product and the user's own files are untouched. Deletes are real, not moves
# into the trash.
arrange() {
  e2e_without_trash
  e2e_seed_sample
  e2e_keep_copy '%PROGRAMFILES%\Kelmora\Students' students
  e2e_save_state before
}

verify() {
  e2e_save_state after
  e2e_expect_changes before after "$(e2e_sample_removal)" \
    '+ C:\users\%USERNAME%\Desktop\Kelmora Saved Student Data'
  e2e_expect_same_folder students 'C:\users\%USERNAME%\Desktop\Kelmora Saved Student Data'
  e2e_expect_reg_key 'SOFTWARE\Dravenhall\Kelmora'
  e2e_expect_present \
    'C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Kelmora Vessik\Vessik Help.lnk' \
    'C:\users\%USERNAME%\AppData\Roaming\Microsoft\Windows\Start Menu\Programs\Kelmora Vessik\Vessik Help.lnk'
}
