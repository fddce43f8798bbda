#!/bin/sh
# The shared sound library exports exactly the eight sound operations: any other symbol
# would let the library's inside leak into the interpreter and clash with a replacement.
# usage: exports.sh LIBRARY
set -eu
expected="FMUSIC_LoadSong
FMUSIC_PlaySong
FMUSIC_SetPanSeperation
FMUSIC_StopSong
FSOUND_Init
FSOUND_PlaySound
FSOUND_Sample_Load
FSOUND_StopSound"
actual=$(nm -D --defined-only "$1" | awk '{print $3}' | LC_ALL=C sort)
if [ "$actual" != "$expected" ]; then
    echo "exported symbols differ; got:"
    echo "$actual"
    exit 1
fi
