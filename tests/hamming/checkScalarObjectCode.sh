#!/usr/bin/env bash
# Checks the object code of the byte- and word-wide kernels: no MMX, XMM or YMM register
# anywhere, no store wider than the kernel's own width, and the bit tests still real calls.
# Arguments: the object files.
set -euo pipefail

status=0
for object in "$@"; do
    listing=$(objdump -dr --no-show-raw-insn -M intel "$object")
    name=$(basename "$object")
    if grep -E '\b(x|y|z)mm[0-9]+|\bmm[0-7]\b' <<<"$listing" >/dev/null; then
        echo "$name: uses vector registers:"
        grep -E '\b(x|y|z)mm[0-9]+|\bmm[0-7]\b' <<<"$listing" | head -5
        status=1
    fi
    case "$name" in
        bit8ham*)
            if grep -E 'mov +(WORD|DWORD|QWORD) PTR \[[^]]*\],' <<<"$listing" |
                grep -v -E '\[(rsp|rbp)' >/dev/null; then
                echo "$name: stores wider than a byte into the buffers"
                status=1
            fi
            calls=$(grep -c -E 'R_X86_64_PLT32[[:space:]]+SpreadFlag8' <<<"$listing" || true)
            if [[ $calls -lt 12 ]]; then
                echo "$name: $calls calls of SpreadFlag8, expected 4 per encode step and 8 per decode step"
                status=1
            fi
            ;;
    esac
done
exit $status
