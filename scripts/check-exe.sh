#!/bin/sh
# Checks the build rules of RemoveKM.exe: a 32-bit (i386) PE32 GUI program for
# Windows subsystem 4.0, at most 128 KiB, importing only Known DLLs, which
# Windows loads from the system folder whatever lies beside the program.
# Prints what it found; exits 1 when a rule is broken.
#
# Usage: check-exe.sh <exe>   (OBJDUMP may name another objdump)
set -eu

OBJDUMP=${OBJDUMP:-i686-w64-mingw32-objdump}
MAX_SIZE=131072
# The Known DLLs that Windows 7 to 11 all list in HKLM\System\CurrentControlSet\
# Control\Session Manager\KnownDLLs (comctl32, version and userenv are not).
KNOWN_DLLS="advapi32.dll clbcatq.dll comdlg32.dll gdi32.dll imagehlp.dll imm32.dll kernel32.dll
msctf.dll msvcrt.dll normaliz.dll nsi.dll ole32.dll oleaut32.dll psapi.dll rpcrt4.dll sechost.dll
setupapi.dll shell32.dll shlwapi.dll user32.dll wldap32.dll ws2_32.dll"

if [ $# -ne 1 ]; then
    echo "usage: $0 <exe>" >&2
    exit 2
fi
exe=$1
if [ ! -f "$exe" ]; then
    echo "FAIL: $exe does not exist" >&2
    exit 1
fi

headers=$("$OBJDUMP" -p "$exe") || {
    echo "FAIL: $OBJDUMP cannot read $exe" >&2
    exit 1
}

# The value of one "Name<tab>value" line of the PE optional header.
header_field() {
    printf '%s\n' "$headers" | awk -v name="$1" '$1 == name { print $2; exit }'
}

format=$(printf '%s\n' "$headers" | sed -n 's/.*file format \([^ ]*\).*/\1/p' | head -n 1)
magic=$(printf '%s\n' "$headers" | awk '$1 == "Magic" { print $3; exit }')
subsystem=$(header_field Subsystem)
subsystem_name=$(printf '%s\n' "$headers" | sed -n 's/^Subsystem[[:space:]]*[0-9a-fA-F]*[[:space:]]*//p' | head -n 1)
major=$(header_field MajorSubsystemVersion)
minor=$(header_field MinorSubsystemVersion)
size=$(wc -c <"$exe" | tr -d ' ')
dlls=$(printf '%s\n' "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr -d '\r')

echo "file:      $exe"
echo "format:    $format $magic"
echo "size:      $size bytes (limit $MAX_SIZE)"
echo "subsystem: $subsystem $subsystem_name"
echo "version:   $major.$minor"
echo "imports:   $(printf '%s\n' "$dlls" | tr '\n' ' ')"

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

if [ "$format" != pei-i386 ] || [ "$magic" != "(PE32)" ]; then
    fail "not a 32-bit i386 PE32 image (format '$format', magic '$magic')"
fi
[ "$subsystem" = 00000002 ] || fail "subsystem is '$subsystem', expected 00000002 (Windows GUI)"
[ "$major.$minor" = 4.0 ] || fail "subsystem version is $major.$minor, expected 4.0"
[ "$size" -le "$MAX_SIZE" ] || fail "size $size bytes exceeds $MAX_SIZE bytes"
[ -n "$dlls" ] || fail "no imported DLLs found"
for dll in $dlls; do
    lower=$(printf '%s' "$dll" | tr '[:upper:]' '[:lower:]')
    case " $(echo $KNOWN_DLLS) " in
        *" $lower "*) ;;
        *) fail "imports from $dll, which is not a Known DLL: a copy beside the program would be loaded" ;;
    esac
done

if [ "$failures" -ne 0 ]; then
    echo "$exe breaks $failures rule(s)" >&2
    exit 1
fi
echo "OK: $exe follows the build rules"
