#!/usr/bin/env bash
# Tells whether this machine's kernel executes 32-bit x86 programs at all. Some 64-bit kernels (and
# sandboxes and virtual machines) refuse every one with "Exec format error"; no package changes
# that, and Wine's 32-bit half cannot work there either. Decided by running a tiny static 32-bit
# program made with binutils alone, not guessed from the kernel's version.
# Exit code: 0 the kernel runs 32-bit programs, 1 it refuses them, 2 the probe could not decide
# (said on stderr): a fault of the set-up, never taken for a refusal.
# SKELVANE_KERNEL_PROBE names a program to run in the probe's place: it shows the decision of a
# machine of the other sort (an ELF of a machine type the kernel does not know fails as a refusing
# kernel fails).
set -uo pipefail
work=$(mktemp -d /tmp/skelvane-kernel32.XXXXXX)
trap 'rm -rf "$work"' EXIT
probe=${SKELVANE_KERNEL_PROBE:-$work/probe}
if [ -z "${SKELVANE_KERNEL_PROBE:-}" ]; then
  # exit(42) through the 32-bit system call gate.
  printf '%s\n' '.globl _start' '_start:' '  movl $1, %eax' '  movl $42, %ebx' '  int $0x80' >"$work/probe.s"
  if ! as --32 -o "$work/probe.o" "$work/probe.s" 2>"$work/err" ||
     ! ld -m elf_i386 -o "$probe" "$work/probe.o" 2>>"$work/err"; then
    echo "kernel probe: binutils could not make a 32-bit program: $(head -1 "$work/err")" >&2
    exit 2
  fi
fi
status=0
"$probe" 2>"$work/err" || status=$?
[ "$status" -eq 42 ] && exit 0
# bash reports the kernel's ENOEXEC as exit code 126 with the kernel's words.
[ "$status" -eq 126 ] && grep -q 'Exec format error' "$work/err" && exit 1
echo "kernel probe: a static 32-bit program ended with exit code $status, not 42 or \"Exec format error\": $(head -1 "$work/err")" >&2
exit 2
