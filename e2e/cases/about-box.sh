# The about box changes nothing.
arrange() {
  e2e_seed_sample
  e2e_save_state before
}

verify() {
  e2e_expect_unchanged_since before
}
