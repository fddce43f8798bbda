#!/bin/sh
# The sound demo: scripts/demo writes its sounds and runs it to the end with standard input
# closed, and with the recording library in place every load of the demo finds its file.
# Arguments: the built interpreter, the recording library.
set -eu
bin=$1
recorder=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
fail() {
    echo "demo_test: $*" >&2
    exit 1
}

out=$(SDL_AUDIODRIVER=dummy "$root/scripts/demo" "$bin" </dev/null) || fail "the demo failed"
case $out in
*" Bye.") ;;
*) fail "the demo did not run to its end: $out" ;;
esac

cd "$(dirname "$bin")/demo"
rm -f calls.log
LD_PRELOAD=$recorder CONSCRIPT_REC_LOG=calls.log \
    ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0" \
    "$bin" "$root/examples/sound.cs" </dev/null >/dev/null || fail "the recorded run failed"
expected='FSOUND_Init(44100, 32, 0) = 1
FMUSIC_LoadSong("theme.mod") = mod1
FMUSIC_SetPanSeperation(mod1, 0.0)
FSOUND_Sample_Load(-1, "chime.wav", 1, 0) = sample1
FMUSIC_PlaySong(mod1)
FSOUND_PlaySound(-1, sample1)
FSOUND_PlaySound(-1, sample1)
FMUSIC_StopSong(mod1)'
[ "$(cat calls.log)" = "$expected" ] || fail "the demo's calls differ:
$(cat calls.log)"
