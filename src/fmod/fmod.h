/* The sound library's interface as the interpreter calls it: two opaque handle types and
 * the eight operations behind the sound commands. Any shared library that exports these
 * eight C symbols can serve the interpreter. */
#ifndef CONSCRIPT_FMOD_H
#define CONSCRIPT_FMOD_H

#ifdef __cplusplus
extern "C" {
#endif

/* A loaded music module; opaque to the interpreter, null when a load failed. */
typedef struct FMUSIC_MODULE FMUSIC_MODULE;
/* A loaded sound sample; opaque to the interpreter, null when a load failed. */
typedef struct FSOUND_SAMPLE FSOUND_SAMPLE;

/* Index or channel argument: let the library pick a free one. */
#define FSOUND_PICK_FREE (-1)
/* Channel argument of FSOUND_StopSound: every sample channel. */
#define FSOUND_EVERY_CHANNEL (-3)
/* Mode flag of FSOUND_Sample_Load: the sample plays once, it does not loop. */
#define FSOUND_PLAY_ONCE 1u

/* Starts the sound system; non-zero when it runs. */
signed char FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned int flags);

/* Loads a music module file; null on failure. */
FMUSIC_MODULE* FMUSIC_LoadSong(const char* name);
/* Sets a module's stereo separation, 0.0 (mono) to 1.0 (full). */
signed char FMUSIC_SetPanSeperation(FMUSIC_MODULE* mod, float pansep);
/* Starts a module from its beginning. */
signed char FMUSIC_PlaySong(FMUSIC_MODULE* mod);
/* Stops a module. */
signed char FMUSIC_StopSong(FMUSIC_MODULE* mod);

/* Loads a sample file; `index` FSOUND_PICK_FREE, `memlength` 0 for a file. Null on failure. */
FSOUND_SAMPLE* FSOUND_Sample_Load(int index, const char* name, unsigned int mode, int memlength);
/* Plays a sample on `channel` (FSOUND_PICK_FREE: any free one); the channel used, or -1. */
int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sptr);
/* Stops the sample on `channel`, or on every channel with FSOUND_EVERY_CHANNEL. */
signed char FSOUND_StopSound(int channel);

#ifdef __cplusplus
}
#endif

#endif
