# What cannot be removed stays as it was (the held file's cache folder, the
# product sub-key with a sub-key of its own); everything else of the product
# goes as in a complete removal. The trash is disabled, so that the shell's
# delete really fails on the held file.
arrange() {
  e2e_without_trash
  e2e_seed_sample
  e2e_import_registry <<'END'
REGEDIT4

[HKEY_LOCAL_MACHINE\SOFTWARE\Dravenhall\Kelmora\Licensing\Site]
"Name"="Harbourview Primary"
END
  e2e_keep_copy '%PROGRAMFILES%\Kelmora\Students' students
  e2e_save_state before
}

verify() {
  e2e_save_state after
  local removed
  removed=$(e2e_sample_removal | grep -Fxv \
    -e "- $E2E_PROGRAM_FILES\\InstallShield Installation Information\\{A41C08D7-3B6E-4D52-9F8A-61C0E7B2D594}" \
    -e '- HKLM\SOFTWARE\Dravenhall\Kelmora\Licensing')
  e2e_expect_changes before after "$removed" \
    '+ C:\users\%USERNAME%\Desktop\Kelmora Saved Student Data'
  e2e_expect_present \
    '%PROGRAMFILES%\InstallShield Installation Information\{A41C08D7-3B6E-4D52-9F8A-61C0E7B2D594}\setup.ini'
  e2e_expect_reg_key 'SOFTWARE\Dravenhall\Kelmora\Licensing\Site'
  e2e_expect_same_folder students 'C:\users\%USERNAME%\Desktop\Kelmora Saved Student Data'
  e2e_expect_log_lines 'C:\busy.log' 'Nothing was changed; try again later.'
}
