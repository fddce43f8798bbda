// The run loop: the table reset and the run procedure that executes script files.
#pragma once

// Makes every slot of the variable table and of the sound table free. Called once, before
// the first run.
void set_vars();

// Runs the script file `file`. Called with no run active (by main), it executes the file
// until its ~PROG, including every nested run, and returns then. Called by a command of a
// running script (func, vcmp), it makes `file` the innermost run and returns at once: the
// run loop goes on with the nested run, and the command must do nothing after the call.
// A file that cannot be opened stops the process with its message.
void parse(const char* file);
