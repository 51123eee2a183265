# The registry names an install folder with letters code page 1252 has not:
# it is found at start and shown whole in the location box; Cancel changes
# nothing.
arrange() {
  e2e_seed_sample
  mkdir -p -- "$(e2e_unix_path 'C:\Programy')"
  mv -- "$(e2e_unix_path '%PROGRAMFILES%\Kelmora')" "$(e2e_unix_path 'C:\Programy\Kelmora Łódź')"
  # Written as UTF-16, so that regedit keeps the name whole.
  e2e_import_registry utf16 <<'END'
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\SOFTWARE\Dravenhall\Kelmora]
"InstallPath"="C:\\Programy\\Kelmora Łódź"
END
  e2e_save_state before
}

verify() {
  e2e_expect_unchanged_since before
}
