#!/usr/bin/env bash
# A statically linked program needs only DLLs that ship with Windows: no libstdc++, libgcc or winpthread.
# With "known-dlls" only DLLs that Windows loads from its own folder whatever lies beside the program (the
# KnownDLLs list) are allowed: what an installer started from a download folder may import.
# Fails, saying why, when objdump is missing or fails, or when it names no imported DLL at all: a check
# that read nothing has checked nothing.
set -euo pipefail
exe=$1
objdump=x86_64-w64-mingw32-objdump
if [ "${2:-}" = known-dlls ]; then
  allowed='^(KERNEL32|USER32|GDI32|SHELL32|ole32|OLEAUT32|ADVAPI32|msvcrt|SHLWAPI|COMDLG32|IMM32|PSAPI)\.dll$'
else
  allowed='^(KERNEL32|USER32|GDI32|gdiplus|SHELL32|ole32|OLEAUT32|COMCTL32|msvcrt|ADVAPI32|SHCORE|dwmapi|MSIMG32|comdlg32|UxTheme|VERSION|IMM32)\.dll$'
fi
if ! command -v "$objdump" >/dev/null; then
  echo "$objdump is missing (Debian package binutils-mingw-w64-x86-64): the imports of $exe cannot be read."
  exit 1
fi
# Read in full first, so that objdump's own failure ends the check.
if ! headers=$("$objdump" -p "$exe"); then
  echo "$objdump failed on $exe: its imports were not read."
  exit 1
fi
dlls=$(sed -n 's/^\s*DLL Name: //p' <<<"$headers")
if [ -z "$dlls" ]; then
  echo "$objdump named no imported DLL in $exe: nothing was checked."
  exit 1
fi
status=0
while read -r dll; do
  if [[ ! ${dll^^} =~ ${allowed^^} ]]; then
    echo "not allowed: $dll"
    status=1
  else
    echo "ok: $dll"
  fi
done <<<"$dlls"
exit $status
