#!/usr/bin/env bash
# Fails unless every given Windows program is marked for address-space layout
# randomisation (DYNAMIC_BASE), no-execute data (NX_COMPAT) and high-entropy
# 64-bit addresses (HIGH_ENTROPY_VA).
set -euo pipefail
status=0
for exe in "$@"; do
    flags=$(x86_64-w64-mingw32-objdump -p "$exe" | awk '/^DllCharacteristics/{f=1; next} f && /^[[:space:]]+[A-Z_]+$/{print $1; next} {f=0}')
    for wanted in DYNAMIC_BASE NX_COMPAT HIGH_ENTROPY_VA; do
        if ! grep -qx "$wanted" <<<"$flags"; then
            echo "$exe: $wanted is off" >&2
            status=1
        fi
    done
done
[ $status -eq 0 ] && echo "PE hardening on: $*"
exit $status
