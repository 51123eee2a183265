#!/bin/bash
# scripts/install-deps.sh with stand-ins for apt-get, dpkg-query and dpkg on
# PATH, and no network: each row lets `apt-get update` fail a number of times
# (as a half-synced mirror makes it) and refuses some packages, then checks
# the exit status, how often the update ran, what was installed and what the
# script said.
set -u
here=$(cd -- "$(dirname -- "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf -- "$work"' EXIT
mkdir -p "$work/bin"
cat >"$work/bin/apt-get" <<'STANDIN'
#!/bin/bash
echo "$*" >>"$STATE/calls"
case $* in
  *update*)
    left=$(cat "$STATE/update-fails")
    [ "$left" -gt 0 ] || exit 0
    echo $((left - 1)) >"$STATE/update-fails"
    echo "Err:6 http://mirror.invalid/debian-security bookworm-security/main i386 Packages"
    echo "  File has unexpected size (374820 != 376004). Mirror sync in progress?"
    echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
    exit 100 ;;
  *install*)
    for package in ${*#*-y}; do
      case " $REFUSE " in *" $package "*) echo "E: Package '$package' has no installation candidate"; exit 100 ;; esac
    done
    printf '%s\n' ${*#*-y} >>"$STATE/installed" ;;
esac
STANDIN
cat >"$work/bin/dpkg-query" <<'STANDIN'
#!/bin/sh
eval "package=\${$#}"
grep -qx -- "$package" "$STATE/installed" && printf 'install ok installed'
STANDIN
printf '#!/bin/sh\necho i386\n' >"$work/bin/dpkg"
printf '#!/bin/sh\necho 0\n' >"$work/bin/id"
chmod +x "$work/bin/"*

failures=0
# row NAME UPDATE-FAILS REFUSED STATUS UPDATES WINE-INSTALLED SAID
row() {
  local state=$work/$1 output status why=
  mkdir -p "$state" && : >"$state/installed" && echo "$2" >"$state/update-fails"
  output=$(PATH=$work/bin:$PATH STATE=$state REFUSE=$3 APT_RETRY_PAUSE=0 REMOVEKM_X86_32_LOADER=/bin/true \
    REMOVEKM_FORCE_EMULATION=0 sh "$here/../scripts/install-deps.sh" 2>&1)
  status=$?
  [ "$status" -eq "$4" ] || why="status $status, want $4"
  local updates
  updates=$(grep -c update "$state/calls" 2>/dev/null)
  [ "$updates" -eq "$5" ] || why="${why:+$why; }apt-get update ran $updates times, want $5"
  PATH=$work/bin:$PATH STATE=$state sh "$here/../scripts/install-deps.sh" --wine-installed
  local wine=$?
  [ "$wine" -eq "$6" ] || why="${why:+$why; }--wine-installed said $wine, want $6"
  [[ $output == *"$7"* ]] || why="${why:+$why; }did not say \"$7\""
  [ -z "$why" ] || { printf 'FAIL: %s: %s\n%s\n' "$1" "$why" "$output"; failures=$((failures + 1)); }
}
row "update fails twice, then works" 2 ""           0 3 0 "installing cmake"
row "update never works"             9 ""           0 3 0 "apt-get update failed 3 times (http://mirror.invalid/debian-security bookworm-security/main i386 Packages: File has unexpected size"
row "Wine's packages refused"        0 "wine32:i386" 0 1 1 "Wine's packages could not be installed here, so the Windows side runs in the emulated machine."
row "a build package refused"        9 "cmake"      100 3 1 "has no installation candidate"
[ $failures -eq 0 ] && echo "install-deps: 4 rows passed"
exit $failures
