# Confirming a folder without the marker file, declined and then accepted,
# changes nothing.
arrange() {
  e2e_seed_sample
  e2e_write_file 'C:\Apps\Lesson Notes\week1.txt' 'Boats and harbours'
  e2e_keep_copy 'C:\Apps' apps
  e2e_save_state before
}

verify() {
  e2e_expect_unchanged_since before
  e2e_expect_same_folder apps 'C:\Apps'
  e2e_expect_sample_intact
}
