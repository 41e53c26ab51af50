#!/usr/bin/env bash
# Sets the version of one type info in a compiled (MSFT) type library:
#   cmake/tlb-set-version.sh TLB INDEX NAME MAJOR MINOR
# widl takes no version attribute on a dispinterface and stores 0.0; the
# build sets it afterwards. NAME is the name of the type info at INDEX,
# checked so that a changed library fails the build instead of being patched
# in the wrong place.
set -euo pipefail
if [ $# -ne 5 ]; then
  echo "usage: $0 TLB INDEX NAME MAJOR MINOR" >&2
  exit 2
fi
tlb=$1 index=$2 name=$3 major=$4 minor=$5

u32() { od -An -tu4 -j"$1" -N4 "$tlb" | tr -d ' '; }

[ "$(head -c4 "$tlb")" = MSFT ] || { echo "$0: $tlb is not an MSFT type library" >&2; exit 1; }
varflags=$(u32 20)
count=$(u32 32)
((index < count)) || { echo "$0: $tlb has $count type infos, no index $index" >&2; exit 1; }
# The header is 0x54 bytes, then the help DLL's name offset when flagged,
# then one offset per type info, then the segment directory (16 bytes an
# entry): entry 0 is the table of type info records, entry 7 the name table.
offsets=$((0x54 + ((varflags & 0x100) ? 4 : 0)))
segments=$((offsets + 4 * count))
record=$(( $(u32 "$segments") + $(u32 $((offsets + 4 * index))) ))
# A name entry: three 32-bit words (the low byte of the third is the length),
# then the characters.
entry=$(( $(u32 $((segments + 16 * 7))) + $(u32 $((record + 0x34))) ))
length=$(( $(u32 $((entry + 8))) & 0xFF ))
found=$(dd if="$tlb" bs=1 skip=$((entry + 12)) count="$length" status=none)
[ "$found" = "$name" ] || { echo "$0: type info $index of $tlb is '$found', not '$name'" >&2; exit 1; }
# The record's version word: major in the low half, minor in the high half.
value=$((major | (minor << 16)))
printf "$(printf '\\%03o\\%03o\\%03o\\%03o' $((value & 255)) $(((value >> 8) & 255)) \
  $(((value >> 16) & 255)) $(((value >> 24) & 255)))" |
  dd of="$tlb" bs=1 seek=$((record + 0x38)) count=4 conv=notrunc status=none
