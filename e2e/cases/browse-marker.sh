# Browsing to a folder with the marker file takes it and changes nothing.
arrange() {
  e2e_seed_sample
  e2e_copy_folder '%PROGRAMFILES%\Kelmora' 'C:\Apps\Kelmora'
  e2e_keep_copy 'C:\Apps' apps
  e2e_save_state before
}

verify() {
  e2e_expect_unchanged_since before
  e2e_expect_same_folder apps 'C:\Apps'
  e2e_expect_sample_intact
}
