#include "sound/sound.h"

#include "console/console.h"
#include "script/names.h"

#include <cstring>

sound_file sound[sound_slots];

namespace {

// The slot a lookup reaches: the first one named `name` when it is declared. A free slot
// that carries the name hides every later slot of that name.
sound_file* declared(const char* name) {
    sound_file* slot = first_named(sound, name);
    if (slot == nullptr || slot->type == sound_free) return nullptr;
    return slot;
}

} // namespace

void reset_sound_table() {
    for (sound_file& slot : sound) slot.type = sound_free;
}

// sfile names the lowest free slot before it looks at the type word, so a word other than
// mod or sample leaves that slot free with the name, for the next sfile to overwrite.
void do_sfile(script_stream& fin) {
    name_field name{};
    token type;
    read_name(fin, name);
    read_word(fin, type);
    for (sound_file& slot : sound) {
        if (slot.type != sound_free) continue;
        std::memcpy(slot.name, name, sizeof slot.name);
        if (std::strcmp(type, "sample") == 0)
            slot.type = sound_sample;
        else if (std::strcmp(type, "mod") == 0)
            slot.type = sound_mod;
        return;
    }
}

// sfile_set loads FILE into the slot; the handle it replaces is neither stopped nor
// released. Load results are stored untested and passed on, null included.
void do_sfile_set(script_stream& fin) {
    name_field name;
    token file;
    read_name(fin, name);
    read_word(fin, file);
    sound_file* slot = declared(name);
    if (slot == nullptr) return;
    std::memcpy(slot->f, file, sizeof slot->f);
    if (slot->type == sound_mod) {
        slot->m = FMUSIC_LoadSong(slot->f);
        FMUSIC_SetPanSeperation(slot->m, 0.0f);
    } else {
        slot->s = FSOUND_Sample_Load(FSOUND_PICK_FREE, slot->f, FSOUND_PLAY_ONCE, 0);
    }
}

// sfile_play starts the module, or one more playback of the sample on any free channel.
void do_sfile_play(script_stream& fin) {
    name_field name;
    read_name(fin, name);
    sound_file* slot = declared(name);
    if (slot == nullptr) return;
    if (slot->type == sound_mod)
        FMUSIC_PlaySong(slot->m);
    else
        FSOUND_PlaySound(FSOUND_PICK_FREE, slot->s);
}

// sfile_stop stops the module; for a sample slot it stops every sample channel, whichever
// slot started the sound there.
void do_sfile_stop(script_stream& fin) {
    name_field name;
    read_name(fin, name);
    sound_file* slot = declared(name);
    if (slot == nullptr) return;
    if (slot->type == sound_mod)
        FMUSIC_StopSong(slot->m);
    else
        FSOUND_StopSound(FSOUND_EVERY_CHANNEL);
}

// SOUND_ACTIVE starts the sound system at 44100 Hz with 32 channels and no flags; when it
// does not start, the process stops, at any depth of nested runs.
void do_sound_active(script_stream&) {
    if (FSOUND_Init(44100, 32, 0) != 0) return;
    out_text("\aFmod did not init. Bailing out.\n");
    fatal_stop();
}
