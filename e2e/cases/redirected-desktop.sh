# The user's desktop redirected, as a school's OneDrive redirects it, to a
# folder named with a letter code page 1252 has not ("ł"): the "User Shell
# Folders" and "Shell Folders" values name it, and the user's shortcuts lie
# there beside a pupil's own file. The pupils' data is saved there under the
# folder's real name, the shortcuts go, and the removal ends with "Success!".
shortcuts=('Kelmora.lnk' 'Kelmora Student Selection.lnk' 'Kelmora Vessik.lnk'
  'Kelmora Vessik Student Selection.lnk')
folder_name='OneDrive - Szkoła Podstawowa nr 3'
desktop="C:\\users\\%USERNAME%\\$folder_name"

arrange() {
  e2e_without_trash
  e2e_seed_sample
  e2e_keep_copy '%PROGRAMFILES%\Kelmora\Students' students
  local old new name key
  old=$(e2e_unix_path 'C:\users\%USERNAME%\Desktop')
  new=$(e2e_unix_path "$desktop")
  mkdir -p -- "$new"
  for name in "${shortcuts[@]}"; do mv -- "$old/$name" "$new/$name"; done
  e2e_write_file "$desktop\\homework.txt" 'mine'
  {
    printf 'Windows Registry Editor Version 5.00\n'
    for key in 'User Shell Folders' 'Shell Folders'; do
      printf '\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\%s]\n' "$key"
      printf '"Desktop"="C:\\\\users\\\\%s\\\\%s"\n' "$E2E_USER" "$folder_name"
    done
  } | e2e_import_registry utf16
  e2e_save_state before
}

verify() {
  e2e_save_state after
  # The shortcuts that were on the old desktop are checked at the new one.
  e2e_expect_changes before after "$(e2e_sample_removal | grep -Fv '\%USERNAME%\Desktop\')"
  e2e_expect_same_folder students "$desktop\\Kelmora Saved Student Data"
  e2e_expect_absent "${shortcuts[@]/#/$desktop\\}"
  e2e_expect_present "$desktop\\homework.txt"
}
