#include "script/run.h"

#include "console/console.h"
#include "script/stream.h"
#include "sound/sound.h"
#include "variables/variables.h"

#include <cstring>

namespace {

// Runs ------------------------------------------------------------------------------

// One run: a script file being executed and its command word. A nested run never touches
// the fields of the runs that started it.
struct run {
    script_stream fin; // the script file of this run
    token command;     // the command word read last; empty before the first read
};

// How many runs may be active at once. The runs are kept here as data, not on the
// machine stack, so a script that starts itself can nest this deep and no deeper.
constexpr int max_depth = 4096;
run runs[max_depth]; // runs[0] is the outermost run, runs[depth - 1] the innermost
int depth;           // how many runs are active

// The fatal stop of a script file that cannot be opened, at any depth.
[[noreturn]] void open_failed(const char* file) {
    out_text("File \"");
    out_text(file);
    out_text("\" could not open!\n");
    fatal_stop();
}

// Opens `file` as the new innermost run, or stops the process.
void push_run(const char* file) {
    if (depth == max_depth || !stream_open(runs[depth].fin, file)) open_failed(file);
    runs[depth].command[0] = '\0';
    ++depth;
}

// Commands of the run loop ------------------------------------------------------------

// ;; drops the rest of its line.
void do_comment(script_stream& fin) {
    token comment;
    read_line_text(fin, comment);
}

// print writes the rest of its line, with the blank after the keyword, no line end.
void do_print(script_stream& fin) {
    token pline;
    read_line_text(fin, pline);
    out_text(pline);
}

void do_endl(script_stream&) {
    out_char('\n');
}

void do_keypress(script_stream&) {
    getche();
}

// func runs another script file; the words after its path are read once it has ended.
void do_func(script_stream& fin) {
    token func;
    read_word(fin, func);
    parse(func);
}

// The command table, in the order in which command words are compared.
struct command {
    const char* keyword;
    void (*execute)(script_stream& fin); // reads the command's arguments, then acts
};
constexpr command commands[] = {
    {"var", do_var},
    {"sfile", do_sfile},
    {"sfile_set", do_sfile_set},
    {"sfile_play", do_sfile_play},
    {"sfile_stop", do_sfile_stop},
    {"SOUND_ACTIVE", do_sound_active},
    {"set", do_set},
    {"vprint", do_vprint},
    {"keypress", do_keypress},
    {"endl", do_endl},
    {"print", do_print},
    {"input", do_input},
    {"vcmp", do_vcmp},
    {";;", do_comment},
    {"func", do_func},
};

void execute(run& r) {
    for (const command& c : commands) {
        if (std::strcmp(r.command, c.keyword) == 0) {
            c.execute(r.fin);
            return;
        }
    }
}

} // namespace

void set_vars() {
    reset_var_table();
    reset_sound_table();
}

void parse(const char* file) {
    bool outermost = depth == 0;
    push_run(file);
    if (!outermost) return;
    // The innermost run reads; a run ends after ~PROG is its command word or once its
    // stream has met the end of the file, and the run that started it goes on.
    while (depth > 0) {
        run& r = runs[depth - 1];
        if (r.fin.failed || std::strcmp(r.command, "~PROG") == 0) {
            stream_close(r.fin);
            --depth;
            continue;
        }
        read_word(r.fin, r.command);
        execute(r);
    }
}
