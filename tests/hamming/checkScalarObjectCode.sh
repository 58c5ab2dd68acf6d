#!/usr/bin/env bash
# Checks the object code of the byte- and word-wide kernels: no MMX, XMM or YMM register
# anywhere, no store wider than the kernel's own width, and the bit tests still real calls.
# Arguments: the object files.
set -euo pipefail

objects=("$@")

# The disassembly of the functions whose demangled name contains $2, from listing $1 (the
# kernels' loops are inlined into the guarded lambdas named after their kernel).
functionsNamed() {
    awk -v want="$2" '/^[0-9a-f]+ <.*>:$/ { inside = index($0, want) > 0 } inside' <<<"$1"
}

count() { grep -c -E "$1" <<<"$2" || true; }

# Memory operands outside the stack frame.
bufferStores() { grep -E "mov +$1 PTR \[[^]]*\]," <<<"$2" | grep -v -F '[rsp' || true; }
bufferLoads() { grep -E ", *$1 PTR \[" <<<"$2" | grep -v -F '[rsp' || true; }

status=0
fail() {
    echo "$name: $*"
    status=1
}

for object in "${objects[@]}"; do
    listing=$(objdump -dr -C --no-show-raw-insn -M intel "$object")
    name=$(basename "$object")
    if grep -E '\b(x|y|z)mm[0-9]+|\bmm[0-7]\b' <<<"$listing" >/dev/null; then
        fail "uses vector registers:"
        grep -E '\b(x|y|z)mm[0-9]+|\bmm[0-7]\b' <<<"$listing" | head -5
    fi
    case "$name" in
        bit8ham*)
            if grep -E 'mov +(WORD|DWORD|QWORD) PTR \[[^]]*\],' <<<"$listing" |
                grep -v -F '[rsp' >/dev/null; then
                fail "stores wider than a byte into the buffers"
            fi
            calls=$(count 'R_X86_64_PLT32[[:space:]]+SpreadFlag8' "$listing")
            if [[ $calls -lt 12 ]]; then
                fail "$calls calls of SpreadFlag8, expected 4 per encode step and 8 per decode step"
            fi
            ;;
        bit32ham*)
            spread=$(functionsNamed "$listing" '<SpreadFlag32>')
            if grep -E '^ +[0-9a-f]+:[[:space:]]+j[a-z]+ ' <<<"$spread" >/dev/null; then
                fail "SpreadFlag32 branches (a loop over the lanes?)"
            fi
            encode=$(functionsNamed "$listing" 'Ham32Encode')
            decode=$(functionsNamed "$listing" 'Ham32Decode')
            calls=$(count 'R_X86_64_PLT32[[:space:]]+SpreadFlag32' "$encode")
            [[ $calls -eq 4 ]] || fail "encode: $calls calls of SpreadFlag32, expected 4 per step"
            calls=$(count 'R_X86_64_PLT32[[:space:]]+SpreadFlag32' "$decode")
            [[ $calls -eq 8 ]] || fail "decode: $calls calls of SpreadFlag32, expected 8 per step"
            # The encode is words only: two word stores to unpack, one to encode.
            [[ -z $(bufferStores '(BYTE|WORD|QWORD)' "$encode") ]] ||
                fail "encode: stores that are not 32-bit words"
            [[ -z $(bufferLoads 'BYTE' "$encode") ]] || fail "encode: byte loads (a byte loop?)"
            stores=$(bufferStores 'DWORD' "$encode" | wc -l)
            [[ $stores -eq 3 ]] || fail "encode: $stores word stores, expected 3"
            # The decode: four single-byte accept-or-zero stores per code word, one word store
            # to pack.
            [[ -z $(bufferStores '(WORD|QWORD)' "$decode") ]] ||
                fail "decode: stores of 16 or 64 bits"
            stores=$(bufferStores 'BYTE' "$decode" | wc -l)
            [[ $stores -eq 4 ]] || fail "decode: $stores byte stores, expected 4 per code word"
            stores=$(bufferStores 'DWORD' "$decode" | wc -l)
            [[ $stores -eq 1 ]] || fail "decode: $stores word stores, expected 1 (pack)"
            ;;
    esac
done
exit $status
