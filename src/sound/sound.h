// The sound table and the five sound commands.
#pragma once

#include "script/stream.h"

// Makes every sound slot free.
void reset_sound_table();

// The commands; each reads all of its words from `fin`, then acts.
void do_sfile(script_stream& fin);        // sfile NAME TYPE
void do_sfile_set(script_stream& fin);    // sfile_set NAME FILE
void do_sfile_play(script_stream& fin);   // sfile_play NAME
void do_sfile_stop(script_stream& fin);   // sfile_stop NAME
void do_sound_active(script_stream& fin); // SOUND_ACTIVE
