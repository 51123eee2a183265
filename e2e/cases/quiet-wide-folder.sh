# Unattended, with no display: the registry names an install folder with
# letters code page 1252 has not. The quiet removal saves the pupils' data,
# removes that folder and ends 0; its log names the folder whole.
arrange() {
  e2e_without_trash
  e2e_seed_sample
  mkdir -p -- "$(e2e_unix_path 'C:\Programy')"
  mv -- "$(e2e_unix_path '%PROGRAMFILES%\Kelmora')" "$(e2e_unix_path 'C:\Programy\Kelmora Łódź')"
  e2e_keep_copy 'C:\Programy\Kelmora Łódź\Students' students
  # Written as UTF-16, so that regedit keeps the name whole.
  e2e_import_registry utf16 <<'END'
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\SOFTWARE\Dravenhall\Kelmora]
"InstallPath"="C:\\Programy\\Kelmora Łódź"
END
}

act() {
  e2e_quiet 'run "/quiet /log C:\removal.log" 0'
}

verify() {
  e2e_expect_absent 'C:\Programy\Kelmora Łódź'
  e2e_expect_same_folder students 'C:\users\%USERNAME%\Desktop\Kelmora Saved Student Data'
  e2e_expect_log_lines 'C:\removal.log' \
    'Install folder: C:\Programy\Kelmora Łódź (found at start)' 'Exit code 0.'
}
