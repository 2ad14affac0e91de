#!/bin/sh
# check-imports.sh <exe>: the program must run from its own file alone, so it
# may import only DLLs that every Windows 7 to 11 system has.
set -eu
allowed="kernel32.dll user32.dll gdi32.dll comctl32.dll comdlg32.dll shell32.dll ole32.dll msvcrt.dll advapi32.dll"
status=0
for dll in $(i686-w64-mingw32-objdump -p "$1" | sed -n 's/.*DLL Name: //p' | tr 'A-Z' 'a-z'); do
  case " $allowed " in
    *" $dll "*) echo "ok: $dll" ;;
    *) echo "NOT A SYSTEM DLL: $dll"; status=1 ;;
  esac
done
i686-w64-mingw32-objdump -f "$1" | grep -q 'file format pei-i386' || { echo "not a 32-bit executable"; status=1; }
exit $status
