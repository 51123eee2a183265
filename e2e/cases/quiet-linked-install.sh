# Unattended, with links where the product's folders were. The install folder
# is a link (a Unix symbolic link, which Wine shows as a folder reparse point)
# to the product moved to C:\Moved\Kelmora: the pupils' data is saved, the
# product's files there are deleted, and the link, which Wine 8 cannot remove,
# is left to the restart as a link (3010). The user's Start Menu
# "Programs\Kelmora" is a link to a folder that holds a file of a shortcut's
# name and a link of its own: both survive, and the link too is left to the
# restart.
start_menu='C:\users\%USERNAME%\AppData\Roaming\Microsoft\Windows\Start Menu'

arrange() {
  e2e_without_trash
  e2e_seed_sample
  e2e_keep_copy '%PROGRAMFILES%\Kelmora\Students' students
  mkdir -p -- "$(e2e_unix_path 'C:\Moved')"
  mv -- "$(e2e_unix_path '%PROGRAMFILES%\Kelmora')" "$(e2e_unix_path 'C:\Moved\Kelmora')"
  ln -s '../Moved/Kelmora' "$(e2e_unix_path '%PROGRAMFILES%\Kelmora')"
  e2e_write_file 'C:\Sentinel\Kelmora.lnk' 'not the product'"'"'s'
  e2e_write_file 'C:\Sentinel Target\kept.txt' 'behind the sentinel link'
  ln -s '../Sentinel Target' "$(e2e_unix_path 'C:\Sentinel\sentinel link')"
  rm -r -- "$(e2e_unix_path "$start_menu\\Programs\\Kelmora")"
  ln -s '../../../../../../../../Sentinel' "$(e2e_unix_path "$start_menu\\Programs\\Kelmora")"
  e2e_save_state before
}

act() {
  e2e_quiet 'run "/quiet /log C:\linked.log" 3010'
}

verify() {
  e2e_save_state after
  local removed
  removed=$(e2e_sample_removal | grep -Fxv -e "- $E2E_PROGRAM_FILES\\Kelmora" \
    -e "- $start_menu\\Programs\\Kelmora")
  e2e_expect_changes before after "$removed" \
    '+ C:\users\%USERNAME%\Desktop\Kelmora Saved Student Data'
  e2e_expect_same_folder students 'C:\users\%USERNAME%\Desktop\Kelmora Saved Student Data'
  e2e_expect_absent 'C:\Moved\Kelmora'
  e2e_expect_present 'C:\Sentinel\Kelmora.lnk' 'C:\Sentinel Target\kept.txt' \
    'C:\Sentinel\sentinel link\kept.txt'
  e2e_expect_log_lines 'C:\linked.log' \
    'Kelmora has been removed.  Some of its files were in use; Windows will remove them when the computer restarts.  Please restart the computer.' \
    'Folder: %PROGRAMFILES%\Kelmora' \
    "Folder: C:\\users\\$E2E_USER\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Kelmora" \
    'Exit code 3010.'
}
