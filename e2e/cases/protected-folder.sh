# Refused folders change nothing. A link in Program Files (a Unix symbolic
# link, which Wine shows as a folder reparse point) leads into a folder made
# inside the Windows folder.
arrange() {
  e2e_seed_sample
  e2e_write_file 'C:\windows\Kelmora Linked\kept.txt' 'inside the Windows folder'
  ln -s '../windows/Kelmora Linked' "$(e2e_unix_path '%PROGRAMFILES%\Kelmora Link')"
  e2e_save_state before
}

verify() {
  e2e_expect_unchanged_since before
  e2e_expect_sample_intact
  e2e_expect_present '%PROGRAMFILES%\Kelmora Link\kept.txt'
}
