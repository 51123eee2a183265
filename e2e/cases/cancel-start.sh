# Cancel at the start question changes nothing and makes no folder on the
# desktop.
arrange() {
  e2e_seed_sample
  e2e_save_state before
}

verify() {
  e2e_expect_unchanged_since before
  e2e_expect_absent 'C:\users\%USERNAME%\Desktop\Kelmora Saved Student Data'
  e2e_expect_sample_intact
}
