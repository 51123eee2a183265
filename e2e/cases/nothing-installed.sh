# Nothing is installed; Cancel creates nothing.
arrange() {
  e2e_save_state before
}

verify() {
  e2e_expect_unchanged_since before
  e2e_expect_absent '%PROGRAMFILES%\Kelmora' 'C:\users\%USERNAME%\Desktop\Kelmora Saved Student Data'
  e2e_expect_no_reg_key 'SOFTWARE\Dravenhall\Kelmora'
}
