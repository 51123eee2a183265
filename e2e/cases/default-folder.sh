# With no record in the registry, the installation in its default folder is
# found by its marker file; Cancel changes nothing.
arrange() {
  e2e_seed_sample_files
  e2e_save_state before
}

verify() {
  e2e_expect_unchanged_since before
  e2e_expect_no_reg_key 'SOFTWARE\Dravenhall\Kelmora'
}
