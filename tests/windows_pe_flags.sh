#!/usr/bin/env bash
# Fails unless the executable carries what Windows' binary analysis asks of
# it: DYNAMIC_BASE with a .reloc section (loaded at a random address) and
# NX_COMPAT (no code run from data); for a 32-bit x86 image also NO_SEH,
# which says truthfully that the image registers no frame-based exception
# handler (no write to %fs:0 in its code), since GNU ld makes no SafeSEH
# table.
#   windows_pe_flags.sh OBJDUMP EXE
set -u
objdump=$1 exe=$2
headers=$("$objdump" -p "$exe") || { echo "objdump cannot read $exe"; exit 1; }
characteristics=$(sed -n 's/^DllCharacteristics[[:space:]]*//p' <<< "$headers")
echo "DllCharacteristics $characteristics"
bad=0
# has BIT NAME: the characteristic BIT is set.
has() {
    if (((16#${characteristics:-0} & $1) == 0)); then
        echo "missing: $2"
        bad=1
    fi
}
has 0x40 DYNAMIC_BASE
has 0x100 NX_COMPAT
"$objdump" -h "$exe" | grep -q ' \.reloc ' || { echo "missing: a .reloc section"; bad=1; }
if grep -q '^Magic[[:space:]]*010b' <<< "$headers" && "$objdump" -f "$exe" | grep -q 'i386'; then
    has 0x400 NO_SEH
    # A frame-based handler is registered by writing the chain's head at
    # %fs:0; an image that does so must not claim NO_SEH.
    if "$objdump" -d "$exe" | grep -E 'mov[a-z]*[[:space:]]+[^,]+,%fs:0x0$'; then
        echo "the code writes %fs:0: it registers a frame-based handler"
        bad=1
    fi
fi
exit "$bad"
