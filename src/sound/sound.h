// The sound table and the five sound commands.
#pragma once

#include "fmod/fmod.h"
#include "script/stream.h"

#include <cstdint>

// Type codes of a sound slot.
constexpr std::int32_t sound_mod = 0;    // a music module, held in `m`
constexpr std::int32_t sound_sample = 1; // a sample, held in `s`
constexpr std::int32_t sound_free = 2;   // not declared yet; may carry a name

// One slot of the sound table.
struct sound_file {
    name_field name;   // the sound's name; a free slot keeps one a wrong type word left
    FMUSIC_MODULE* m;  // the module of a module slot, null before a load or after a failed one
    FSOUND_SAMPLE* s;  // the sample of a sample slot, likewise
    char f[100];       // the file name last given by sfile_set, at most 99 characters
    std::int32_t type; // sound_mod, sound_sample or sound_free
};

constexpr int sound_slots = 999;
// The sound table, shared by every run and separate from the variable table. Slots are
// declared from slot 0 upward and never freed.
extern sound_file sound[sound_slots];

// Makes every slot free; names, handles and file names are left as they are.
void reset_sound_table();

// The commands; each reads all of its words from `fin`, then acts.
void do_sfile(script_stream& fin);        // sfile NAME TYPE
void do_sfile_set(script_stream& fin);    // sfile_set NAME FILE
void do_sfile_play(script_stream& fin);   // sfile_play NAME
void do_sfile_stop(script_stream& fin);   // sfile_stop NAME
void do_sound_active(script_stream& fin); // SOUND_ACTIVE
