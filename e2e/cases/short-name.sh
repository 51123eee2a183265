# Another name of a needed folder (its 8.3 short name) and a pattern are
# refused like the folder itself; nothing changes.
arrange() {
  e2e_seed_sample
  e2e_save_state before
}

verify() {
  e2e_expect_unchanged_since before
  e2e_expect_sample_intact
}
