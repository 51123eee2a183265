# Unattended, with no display: before step 6 the quiet removal writes a
# registry backup beside its log. Wine's own regedit imports it (the 64-bit one
# in a 64-bit prefix, where the keys lie in the 32-bit view) and puts back
# every key and value the removal deleted: the keys then export as before.
REGISTRY_BACKUP_KEYS=(
  'HKLM\Software\Dravenhall\Kelmora'
  'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\{A41C08D7-3B6E-4D52-9F8A-61C0E7B2D594}'
  'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\{5E2B7C41-9A3D-4F06-8C1E-2D7F4B90A6C3}'
)

# dump_keys NAME: the product's keys as the 32-bit reg.exe exports them, in
# UTF-8, into NAME.dump of the case folder; a key that is missing is a line.
dump_keys() {
  local reg=reg key part="$E2E_CASE_DIR/part.reg" dump="$E2E_CASE_DIR/$1.dump"
  [ "$E2E_ARCH" = win32 ] || reg='C:\windows\syswow64\reg.exe'
  : >"$dump"
  for key in "${REGISTRY_BACKUP_KEYS[@]}"; do
    rm -f -- "$part"
    if wine "$reg" export "$key" "$(e2e_winpath "$part")" /y >>"$E2E_CASE_DIR/wine.log" 2>&1; then
      iconv -f UTF-16 -t UTF-8 -- "$part" >>"$dump"
    else
      printf 'missing: %s\n' "$key" >>"$dump"
    fi
  done
  e2e_stop_wine
}

arrange() {
  e2e_seed_sample
  dump_keys before
}

act() {
  e2e_quiet 'run "/quiet /nosave /log C:\removal.log" 0'
  dump_keys removed
  local backups=("$(e2e_unix_path 'C:\')"/Kelmora\ registry\ backup\ *.reg)
  [ -f "${backups[0]}" ] && [ ${#backups[@]} -eq 1 ] || e2e_die "no one registry backup beside the log: ${backups[*]}"
  BACKUP=${backups[0]}
  # Kept where it outlives the case, and shown.
  cp -- "$BACKUP" "$E2E_SHOTS_DIR/"
  echo "e2e: the registry backup as written ($(basename -- "$BACKUP")):"
  iconv -f UTF-16 -t UTF-8 -- "$BACKUP" | tr -d '\r'
  wine regedit /S "$(e2e_winpath "$BACKUP")" 2>>"$E2E_CASE_DIR/wine.log" || e2e_check_failed "regedit cannot import the backup"
  e2e_stop_wine
  dump_keys restored
}

verify() {
  [ "$(head -c 2 -- "$BACKUP" | od -An -tx1 | tr -d ' \n')" = fffe ] ||
    e2e_check_failed "the backup does not start with UTF-16LE's byte-order mark"
  grep -Fq "The registry entries removed were saved in C:\\$(basename -- "$BACKUP"); open it to put them back."$'\r' "$(e2e_unix_path 'C:\removal.log')" ||
    e2e_check_failed "the log does not name the backup"
  # The removal deleted what the backup holds; the product key stays.
  grep -Fxq 'missing: HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\{A41C08D7-3B6E-4D52-9F8A-61C0E7B2D594}' "$E2E_CASE_DIR/removed.dump" ||
    e2e_check_failed "the first uninstall entry was not removed"
  ! grep -Fq 'Licensing' "$E2E_CASE_DIR/removed.dump" || e2e_check_failed "the licence was not removed"
  local differences
  if differences=$(diff -u -- "$E2E_CASE_DIR/before.dump" "$E2E_CASE_DIR/restored.dump"); then
    echo "e2e: the keys after importing the backup export as before the removal: equal"
  else
    e2e_check_failed "the imported backup differs from the keys before the removal:
$differences"
  fi
}
