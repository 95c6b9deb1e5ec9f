#!/usr/bin/env bash
# The import check itself: it must fail, saying why, when objdump is missing, when objdump fails, or when no
# imported DLL was read; and still tell allowed from other DLLs. objdump is replaced by stubs on a PATH of
# their own.
#   check-imports-test.sh <path of check-imports.sh>
set -uo pipefail
checker=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/korvel-imports-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
bash_path=$(command -v bash)

# A PATH holding sed and, unless `body` is empty, an objdump stub running `body`.
make_path() {
  local dir="$work/$1" body=$2
  mkdir -p "$dir"
  ln -s "$(command -v sed)" "$dir/sed"
  if [ -n "$body" ]; then
    printf '#!%s\n%s\n' "$bash_path" "$body" >"$dir/x86_64-w64-mingw32-objdump"
    chmod +x "$dir/x86_64-w64-mingw32-objdump"
  fi
  echo "$dir"
}

headers() {
  local dll
  echo 'echo "The Import Tables (interpreted .idata section contents)"'
  for dll in "$@"; do
    echo "printf '\\tDLL Name: %s\\n' '$dll'"
  done
}

failures=0
# name | objdump stub (empty: none on the PATH) | expected exit code | expected text in the output
check() {
  local name=$1 body=$2 expected_status=$3 expected_text=$4 path output status
  path=$(make_path "$name" "$body")
  output=$(PATH="$path" "$bash_path" "$checker" "$work/Korvel.exe" 2>&1)
  status=$?
  if [ "$status" -ne "$expected_status" ] || [[ $output != *"$expected_text"* ]]; then
    echo "FAIL $name: exit $status (expected $expected_status), output:"
    echo "$output" | sed 's/^/    /'
    failures=$((failures + 1))
  else
    echo "ok   $name: exit $status, \"$expected_text\""
  fi
}

check objdump-missing "" 1 "x86_64-w64-mingw32-objdump is missing"
check objdump-fails "$(headers KERNEL32.dll)
echo 'objdump: Korvel.exe: file format not recognized' >&2
exit 1" 1 "x86_64-w64-mingw32-objdump failed on"
check no-dll-named "$(headers)" 1 "named no imported DLL"
check one-dll-not-allowed "$(headers KERNEL32.dll libstdc++-6.dll)" 1 "not allowed: libstdc++-6.dll"
check all-allowed "$(headers KERNEL32.dll USER32.dll gdiplus.dll)" 0 "ok: gdiplus.dll"
exit $((failures > 0))
