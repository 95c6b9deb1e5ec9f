#!/usr/bin/env bash
# A statically linked program needs only DLLs that ship with Windows: no libstdc++, libgcc or winpthread.
# With "known-dlls" only DLLs that Windows loads from its own folder whatever lies beside the program (the
# KnownDLLs list) are allowed: what an installer started from a download folder may import.
set -euo pipefail
exe=$1
if [ "${2:-}" = known-dlls ]; then
  allowed='^(KERNEL32|USER32|GDI32|SHELL32|ole32|OLEAUT32|ADVAPI32|msvcrt|SHLWAPI|COMDLG32|IMM32|PSAPI)\.dll$'
else
  allowed='^(KERNEL32|USER32|GDI32|gdiplus|SHELL32|ole32|OLEAUT32|COMCTL32|msvcrt|ADVAPI32|SHCORE|dwmapi|MSIMG32|comdlg32|UxTheme|VERSION|IMM32)\.dll$'
fi
status=0
while read -r dll; do
  if [[ ! ${dll^^} =~ ${allowed^^} ]]; then
    echo "not allowed: $dll"
    status=1
  else
    echo "ok: $dll"
  fi
done < <(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p')
exit $status
