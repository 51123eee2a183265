# A pupil's file and folder with names the ANSI code page cannot spell, and
# registry sub-keys with such names below the product key and an uninstall
# entry. The pupil's files are saved under their real names, the keys go with
# the rest of the product, and the removal ends with "Success!".
arrange() {
  e2e_without_trash
  e2e_seed_sample
  e2e_write_file '%PROGRAMFILES%\Kelmora\Students\Ωmega.txt' 'Greek'
  e2e_write_file '%PROGRAMFILES%\Kelmora\Students\学生\作业.txt' 'Chinese'
  e2e_keep_copy '%PROGRAMFILES%\Kelmora\Students' students
  # Written as UTF-16, so that regedit makes the keys with their real names.
  e2e_import_registry utf16 <<'END'
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\SOFTWARE\Dravenhall\Kelmora\Ωmega]
"Name"="Greek"

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\{A41C08D7-3B6E-4D52-9F8A-61C0E7B2D594}\Ωmega\学生]
END
  e2e_save_state before
}

verify() {
  e2e_save_state after
  # Wine's registry file spells the key as \x3a9mega.
  e2e_expect_changes before after "$(e2e_sample_removal)" \
    '- HKLM\SOFTWARE\Dravenhall\Kelmora\\x3a9mega' \
    '+ C:\users\%USERNAME%\Desktop\Kelmora Saved Student Data'
  e2e_expect_same_folder students 'C:\users\%USERNAME%\Desktop\Kelmora Saved Student Data'
}
