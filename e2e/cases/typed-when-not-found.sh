# The installation was moved by hand, so nothing is found at start; the folder
# the user types over the notice is removed whole, with its student data saved
# first, and the rest of the product goes as usual.
arrange() {
  e2e_without_trash
  e2e_seed_sample
  mkdir -p -- "$(e2e_unix_path '%PROGRAMFILES%\Dravenhall')"
  mv -- "$(e2e_unix_path '%PROGRAMFILES%\Kelmora')" "$(e2e_unix_path '%PROGRAMFILES%\Dravenhall\Kelmora')"
  e2e_keep_copy '%PROGRAMFILES%\Dravenhall\Kelmora\Students' students
  e2e_save_state before
}

verify() {
  e2e_save_state after
  e2e_expect_changes before after "$(e2e_sample_removal | grep -vFx -- "- $E2E_PROGRAM_FILES\\Kelmora")" \
    '- %PROGRAMFILES%\Dravenhall\Kelmora' '+ C:\users\%USERNAME%\Desktop\Kelmora Saved Student Data'
  e2e_expect_same_folder students 'C:\users\%USERNAME%\Desktop\Kelmora Saved Student Data'
}
