#!/usr/bin/env bash
# The kernel probe takes only the kernel's own refusal ("Exec format error") for a machine that
# cannot run 32-bit programs; any other failure is a fault of the set-up, never a reason to skip the
# 32-bit suite. An ELF of a machine type no x86 kernel knows fails exactly as a refusing kernel fails.
# Usage: check_kernel_probe.sh
set -u
probe=$(dirname "$0")/../tools/kernel_runs_32bit.sh
work=$(mktemp -d /tmp/skelvane-kernel-probe.XXXXXX)
trap 'rm -rf "$work"' EXIT
cp /bin/true "$work/foreign" && printf '\x28' | dd of="$work/foreign" bs=1 seek=18 conv=notrunc status=none  # e_machine: ARM
status=0
expect() {
  local want=$1 got=0; shift
  env "$@" "$probe" 2>/dev/null || got=$?
  [ "$got" -eq "$want" ] || { echo "$* $probe: exit code $got, not $want"; status=1; }
}
expect 1 SKELVANE_KERNEL_PROBE="$work/foreign"
expect 2 SKELVANE_KERNEL_PROBE=/bin/false
expect 2 SKELVANE_KERNEL_PROBE="$work/missing"
got=0; "$probe" || got=$?
[ "$got" -le 1 ] || { echo "the probe itself could not decide here (exit code $got)"; status=1; }
[ $status -eq 0 ] && echo "kernel probe: refusal told from other failures; this kernel $([ "$got" -eq 0 ] && echo runs || echo refuses) 32-bit programs"
exit $status
