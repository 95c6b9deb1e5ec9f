#!/usr/bin/env bash
# A statically linked program needs only DLLs that ship with Windows: no libstdc++, libgcc or winpthread.
set -euo pipefail
exe=$1
allowed='^(KERNEL32|USER32|GDI32|gdiplus|SHELL32|ole32|OLEAUT32|COMCTL32|msvcrt|ADVAPI32|SHCORE|dwmapi|MSIMG32|comdlg32|UxTheme|VERSION|IMM32)\.dll$'
status=0
while read -r dll; do
  if [[ ! $dll =~ $allowed ]]; then
    echo "not a Windows system DLL: $dll"
    status=1
  else
    echo "ok: $dll"
  fi
done < <(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p')
exit $status
