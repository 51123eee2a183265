# A link inside Students (a Unix symbolic link, which Wine shows as a folder
# reparse point) to a class folder elsewhere. Wine 8 removes such a link with
# no call at all (RemoveDirectoryW answers 145, DeleteFileW 5), so the link and
# the folders that hold it must stay, left to the restart with the link
# scheduled as a link; everything else of the install folder goes now, and the
# class folder's files are never touched. Students is saved without what lies
# behind the link.
arrange() {
  e2e_without_trash
  e2e_seed_sample
  e2e_keep_copy '%PROGRAMFILES%\Kelmora\Students' students
  e2e_write_file '%PROGRAMFILES%\Shared Classes\Class1\work.txt' 'not the product'"'"'s'
  ln -s '../../Shared Classes/Class1' "$(e2e_unix_path '%PROGRAMFILES%\Kelmora\Students\Class1')"
  e2e_save_state before
}

verify() {
  e2e_save_state after
  local removed
  removed=$(e2e_sample_removal | grep -Fxv -e "- $E2E_PROGRAM_FILES\\Kelmora")
  e2e_expect_changes before after "$removed" \
    '+ C:\users\%USERNAME%\Desktop\Kelmora Saved Student Data' \
    '- %PROGRAMFILES%\Kelmora\km2.jar' '- %PROGRAMFILES%\Kelmora\Kelmora.exe' \
    '- %PROGRAMFILES%\Kelmora\Help' '- %PROGRAMFILES%\Kelmora\Students\roster.dat' \
    '- %PROGRAMFILES%\Kelmora\Students\.settings' '- %PROGRAMFILES%\Kelmora\Students\Ada' \
    '- %PROGRAMFILES%\Kelmora\Students\Ben' '- %PROGRAMFILES%\Kelmora\Students\Chloe'
  e2e_expect_present '%PROGRAMFILES%\Shared Classes\Class1\work.txt' \
    '%PROGRAMFILES%\Kelmora\Students\Class1\work.txt'
  e2e_expect_same_folder students 'C:\users\%USERNAME%\Desktop\Kelmora Saved Student Data'
}
