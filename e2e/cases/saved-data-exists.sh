# Student data saved by an earlier run is kept as it was; this run saves into
# "Kelmora Saved Student Data (2)" beside it.
arrange() {
  e2e_without_trash
  e2e_seed_sample
  e2e_write_file 'C:\users\%USERNAME%\Desktop\Kelmora Saved Student Data\roster.dat' 'Dan;Eve'
  e2e_keep_copy 'C:\users\%USERNAME%\Desktop\Kelmora Saved Student Data' earlier
  e2e_keep_copy '%PROGRAMFILES%\Kelmora\Students' students
  e2e_save_state before
}

verify() {
  e2e_save_state after
  e2e_expect_changes before after "$(e2e_sample_removal)" \
    '+ C:\users\%USERNAME%\Desktop\Kelmora Saved Student Data (2)'
  e2e_expect_same_folder earlier 'C:\users\%USERNAME%\Desktop\Kelmora Saved Student Data'
  e2e_expect_same_folder students 'C:\users\%USERNAME%\Desktop\Kelmora Saved Student Data (2)'
}
