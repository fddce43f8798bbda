#include "sound/sound.h"

// The sound commands read their words; playing lands with the sound library.

void reset_sound_table() {}

void do_sfile(script_stream& fin) {
    name_field name;
    token type;
    read_name(fin, name);
    read_word(fin, type);
}

void do_sfile_set(script_stream& fin) {
    name_field name;
    token file;
    read_name(fin, name);
    read_word(fin, file);
}

void do_sfile_play(script_stream& fin) {
    name_field name;
    read_name(fin, name);
}

void do_sfile_stop(script_stream& fin) {
    name_field name;
    read_name(fin, name);
}

void do_sound_active(script_stream&) {}
