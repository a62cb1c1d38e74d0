#!/usr/bin/env bash
# The shipped programs are hardened as players' machines expect of a downloaded program: randomised
# addresses (with the relocations that let the loader move them; high-entropy on 64-bit), data that
# cannot run, no section both executable and writable, the stack protector called from their
# functions and, in the launcher, the C library's checked memory and string functions.
# The flags are read from the game folder; the calls from the unstripped programs of the same link.
# Usage: check_hardening.sh OBJDUMP DIST_DIR UNSTRIPPED_EXE UNSTRIPPED_DLL...
set -u
objdump=$1 dist=$2; shift 2
status=0
fail() { echo "$1"; status=1; }
for program in "$@"; do
  name=$(basename "$program")
  shipped=$dist/$name
  headers=$("$objdump" -p "$shipped")
  want="DYNAMIC_BASE NX_COMPAT"
  grep -q 'file format pei-x86-64' <<<"$headers" && want="$want HIGH_ENTROPY_VA"
  for flag in $want; do
    grep -qE "^\s+$flag\$" <<<"$headers" || fail "$name: no $flag"
  done
  sections=$("$objdump" -h "$shipped")
  grep -qE '^\s+[0-9]+ \.reloc ' <<<"$sections" || fail "$name: no relocations, so it cannot be moved"
  # A section is writable when objdump does not call it READONLY.
  writable_code=$(awk '$1 ~ /^[0-9]+$/ {name = $2; next}
                       name != "" && /CODE/ && !/READONLY/ {print name} {name = ""}' <<<"$sections")
  [ -z "$writable_code" ] || fail "$name: executable and writable: $writable_code"
  code=$("$objdump" -d --no-show-raw-insn "$program")
  # libssp's own __stack_chk_fail_local calls it whether or not any function is protected.
  protected=$(awk '/^[0-9a-f]+ <.*>:$/ {fn = $2} /call .*<_?__stack_chk_fail>/ && fn !~ /stack_chk/ {n++}
                   END {print n + 0}' <<<"$code")
  [ "$protected" -gt 0 ] || fail "$name: no function calls the stack protector"
  if [[ $name == *.exe ]]; then
    grep -qE 'call .*<_?__(mem|str|wcs|wmem)[a-z]*_chk>' <<<"$code" || fail "$name: no checked memory or string function"
  fi
done
[ $status -eq 0 ] && echo "hardening: $# programs with randomised addresses, no executable data, stack protection"
exit $status
