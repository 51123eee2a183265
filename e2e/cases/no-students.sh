# A failed student-data copy stops the removal before anything is removed and
# leaves no saved-data folder on the desktop.
arrange() {
  e2e_without_trash
  e2e_seed_sample
  rm -r -- "$(e2e_unix_path '%PROGRAMFILES%\Kelmora\Students')"
  e2e_save_state before
}

verify() {
  e2e_expect_unchanged_since before
  e2e_expect_absent 'C:\users\%USERNAME%\Desktop\Kelmora Saved Student Data'
}
