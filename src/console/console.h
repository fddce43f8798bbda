// The console: the one output path to standard output and the one input buffer of
// standard input that key reads and line reads share.
#pragma once

#include <cstddef>

// Output ------------------------------------------------------------------------------

// Appends `n` bytes to standard output. Bytes may wait in a buffer, but everything
// written is handed on before any read of standard input, when the buffer fills, and
// before the process ends, so the order a reader sees is that of unbuffered output.
void out_write(const char* bytes, std::size_t n);
// Appends the zero-terminated text `text`.
void out_text(const char* text);
// Appends one byte.
void out_char(char c);
// Hands everything buffered to standard output now.
void out_flush();

// Input -------------------------------------------------------------------------------

// Reads one character of standard input (0..255), or -1 at its end. A carriage return
// directly followed by a line feed is read as one line feed.
int in_getc();

// Key read with echo: takes one character of standard input and writes it and a line
// feed. At the end of standard input nothing is taken and only the line feed is written.
// Returns the character, or -1 at the end of input.
int getche();

// Console line read into a 100-character field: at most 99 characters of one line, the
// line feed consumed and not stored. The rest of a longer line is read and dropped. Once
// standard input has ended, line reads are in their failed state and yield the empty text
// at once; key reads are not affected.
void read_line(char (&val)[100]);

// Process end -------------------------------------------------------------------------

// Flushes output and ends the process with `status`.
[[noreturn]] void end_process(int status);

// Fatal stop, after its message has been written: one key read with echo, then the
// process ends with status 1. No run is resumed.
[[noreturn]] void fatal_stop();
