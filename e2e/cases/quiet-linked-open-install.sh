# Unattended: the product was installed in C:\Open, a folder every account may
# change (its Unix mode gives "other" write, which Wine shows as Everyone's),
# and a pupil renamed the install folder away and put a link in its place to a
# folder of their own holding a km2.jar, a Students folder and a sentinel.
# Anyone could have made that link, so it is not followed: the pupil's folder
# survives whole, the log says why, and the run is not a success.
arrange() {
  e2e_without_trash
  e2e_seed_sample
  mkdir -p -- "$(e2e_unix_path 'C:\Open')"
  chmod 0777 -- "$(e2e_unix_path 'C:\Open')"
  mv -- "$(e2e_unix_path '%PROGRAMFILES%\Kelmora')" "$(e2e_unix_path 'C:\Open\Kelmora renamed')"
  e2e_write_file 'C:\Pupil\km2.jar' 'planted'
  e2e_write_file 'C:\Pupil\Students\work.txt' 'a pupil'"'"'s work'
  e2e_write_file 'C:\Pupil\sentinel.txt' 'must survive'
  ln -s '../Pupil' "$(e2e_unix_path 'C:\Open\Kelmora')"
  e2e_keep_copy 'C:\Pupil' pupil
  e2e_import_registry <<'END'
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\SOFTWARE\Dravenhall\Kelmora]
"InstallPath"="C:\\Open\\Kelmora"
END
}

act() {
  e2e_quiet 'run "/quiet /nosave /log C:\open.log" 1603'
}

verify() {
  e2e_expect_same_folder pupil 'C:\Pupil'
  e2e_expect_present 'C:\Open\Kelmora renamed\km2.jar'
  e2e_expect_log_lines 'C:\open.log' 'Install folder: C:\Open\Kelmora (found at start)' \
    'Install folder was a link to C:\Pupil; C:\Pupil was not removed' 'Exit code 1603.'
}
