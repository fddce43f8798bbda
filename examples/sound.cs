;; The sound demo: music in the background and a sound effect on request. It names its
;; sounds without a folder, so it runs in the folder that holds them: scripts/demo writes
;; theme.mod and chime.wav into build/demo and runs it there.
SOUND_ACTIVE
sfile theme mod
sfile chime sample
sfile_set theme theme.mod
sfile_set chime chime.wav
sfile_play theme
print The theme is playing. Press Enter to ring the chime:
keypress
sfile_play chime
print Press Enter to ring it again:
keypress
sfile_play chime
print Press Enter to stop the music:
keypress
sfile_stop theme
print The music has stopped. Press Enter to end:
keypress
print Bye.
endl
~PROG
