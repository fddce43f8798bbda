// The script stream: one script file read forward in text mode, with its two tokens, the
// word and the line text, and its good and failed states.
#pragma once

#include <cstddef>

// Most characters a token keeps: the rest of a longer word is consumed and dropped.
// Every limit of the language (a 12-character command word, an 11-character name, a
// 99-character file name or line text) fits, and a word longer than any keyword still
// differs from every keyword.
constexpr std::size_t token_max = 99;
// A token as the reads deliver it, zero-terminated.
using token = char[token_max + 1];

// The fields have no initialisers: a table of runs then lives in zeroed memory that costs
// nothing until a run uses it. stream_open sets every field.
struct script_stream {
    int fd;                  // the open script file
    bool failed;             // a read met the end of the file: every read yields ""
    bool at_end;             // the file has no more bytes (end, 0x1A or a read error)
    int look;                // the next character, already read; -2 when not yet read
    unsigned char buf[4096]; // raw bytes read from the file, not yet taken
    std::size_t pos;         // next byte of `buf` to take
    std::size_t len;         // end of the bytes in `buf`
};

// Opens `path` for reading; false when it does not exist, is a folder, cannot be read, or
// no more files can be opened. The stream starts good, at the file's first byte.
bool stream_open(script_stream& s, const char* path);
// Closes the file.
void stream_close(script_stream& s);

// Word read: skips whitespace (line ends included), then takes a maximal run of word
// characters. Meeting the end of the file puts the stream into its failed state; a word
// that the end of the file ended is still the result.
void read_word(script_stream& s, token& out);

// Line-text read: the rest of the current line, nothing skipped, its line end consumed
// and not stored. A longer line gives its first 99 characters and the rest of it is
// skipped with its line end, the stream staying good. Meeting the end of the file puts
// the stream into its failed state.
void read_line_text(script_stream& s, token& out);

// A name as the tables hold it: at most 11 characters, zero-terminated.
using name_field = char[12];

// Reads a word and keeps its first 11 characters as a name, so that every command meets
// a long name word the same way.
void read_name(script_stream& s, name_field& out);
