#!/bin/bash
# e2e_make_template with stand-ins for wine, wineboot and wineserver, whatever
# this machine is: each row lets wineboot fail the first N times it runs (it
# is tried three times) and checks the exit status, the logs kept, and that
# the output's first line names the log and quotes why.
set -u
work=$(mktemp -d)
trap 'rm -rf -- "$work"' EXIT
mkdir -p "$work/bin"
printf '#!/bin/sh\necho "wine-8.0 (stand-in)"\n' >"$work/bin/wine"
printf '#!/bin/sh\nexit 0\n' >"$work/bin/wineserver"
# Fails while $work/fails counts down, as a first wineboot on a fresh machine
# did; otherwise makes a prefix with one profile link to replace.
cat >"$work/bin/wineboot" <<'STANDIN'
#!/bin/bash
left=$(cat "$FAILS")
if [ "$left" -gt 0 ]; then
  echo $((left - 1)) >"$FAILS"
  echo "wine: could not load kernel32.dll, status c0000135"
  exit 1
fi
mkdir -p "$WINEPREFIX/drive_c/users/tester"
ln -s "$HOME" "$WINEPREFIX/drive_c/users/tester/Desktop"
STANDIN
chmod +x "$work/bin/"*

failures=0
row() { # FAILURES STATUS FIRST-LOG-KEPT
  local output status dir=$work/row$1/template
  echo "$1" >"$work/fails"
  output=$(PATH=$work/bin:$PATH FAILS=$work/fails bash -c \
    'source "$1/../e2e/lib.sh"; e2e_make_template "$2"' _ "$(dirname -- "$0")" "$work/row$1" 2>&1)
  status=$?
  local first=${output%%$'\n'*} why=
  [ "$status" -eq "$2" ] || why="status $status, want $2"
  if [ "$2" -eq 0 ]; then
    [ -f "$dir/ready" ] && [ -d "$dir/prefix/drive_c/users/tester/Desktop" ] &&
      [ ! -L "$dir/prefix/drive_c/users/tester/Desktop" ] || why="${why:+$why; }no ready template without links"
  else
    [ ! -f "$dir/ready" ] || why="${why:+$why; }a failed template is marked ready"
  fi
  if [ "$1" -gt 0 ] && { [[ $first != *"$dir/wineboot.log"* ]] || [[ $first != *"could not load kernel32.dll"* ]]; }; then
    why="${why:+$why; }first line neither names the log nor says why: $first"
  fi
  if [ "$3" = yes ] && ! grep -q kernel32 "$dir/wineboot.first.log" 2>/dev/null; then
    why="${why:+$why; }the first try's log was not kept"
  fi
  [ -z "$why" ] || { echo "FAIL: wineboot failing $1 time(s): $why"; failures=$((failures + 1)); }
}
row 0 0 no
row 1 0 yes
row 2 0 yes
row 3 1 yes
[ $failures -eq 0 ] && echo "make-template: 4 rows passed"
exit $failures
