#include "variables/variables.h"

#include "console/console.h"
#include "script/names.h"
#include "script/run.h"

#include <cstring>

variable var[var_slots];

namespace {

// Writes the integer a number value begins with, as atoi reads it (blanks, a sign, the
// digits), however many digits it has: no plus sign, no leading zeros, and a minus sign
// only before a number that is not zero.
void write_number(const char* val) {
    const char* p = val;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    while (*p == '0') ++p;
    const char* digits = p;
    while (*p >= '0' && *p <= '9') ++p;
    if (p == digits) {
        out_char('0');
        return;
    }
    if (negative) out_char('-');
    out_write(digits, static_cast<std::size_t>(p - digits));
}

} // namespace

void reset_var_table() {
    for (variable& v : var) {
        v.type = type_none;
        v.set = 1;
    }
}

void do_var(script_stream& fin) {
    name_field name{};
    token type;
    read_name(fin, name);
    read_word(fin, type);
    for (variable& v : var) {
        if (v.set != 1) continue;
        std::memcpy(v.name, name, sizeof v.name);
        if (std::strcmp(type, "string") == 0)
            v.type = type_string;
        else if (std::strcmp(type, "num") == 0)
            v.type = type_num;
        v.set = 0;
        return;
    }
}

// set gives the first variable named NAME the rest of its line, leading blank included.
// An empty text names the free slots, so every variable named NAME takes the empty value
// and no-type of the lowest free slot; with no slot free the first one gets the empty text.
void do_set(script_stream& fin) {
    name_field name;
    token text;
    read_name(fin, name);
    read_line_text(fin, text);
    // Names never change during the command, so the source is found once.
    const variable* source = first_named(var, text);
    for (variable& target : var) {
        if (!named(target, name)) continue;
        if (source == nullptr) {
            std::strcpy(target.val, text);
            return;
        }
        if (source != &target) {
            std::memcpy(target.val, source->val, sizeof target.val);
            target.type = source->type;
        }
    }
}

void do_vprint(script_stream& fin) {
    name_field name;
    read_name(fin, name);
    const variable* v = first_named(var, name);
    if (v == nullptr) return;
    if (v->type == type_num)
        write_number(v->val);
    else if (v->type == type_string)
        out_text(v->val);
}

// input reads one console line into each variable named NAME, in slot order.
void do_input(script_stream& fin) {
    name_field name;
    read_name(fin, name);
    for (variable& v : var) {
        if (named(v, name)) read_line(v.val);
    }
}

// vcmp compares the values of the last variables named NAME1 and NAME2 as texts and runs
// FILE when OP holds. When either name is borne by no slot, nothing happens.
void do_vcmp(script_stream& fin) {
    name_field name1, name2;
    token op, file;
    read_name(fin, name1);
    read_word(fin, op);
    read_name(fin, name2);
    read_word(fin, file);
    const variable* a = last_named(var, name1);
    const variable* b = last_named(var, name2);
    if (a == nullptr || b == nullptr) return;
    bool equal = std::strcmp(a->val, b->val) == 0;
    if ((std::strcmp(op, "==") == 0 && equal) || (std::strcmp(op, "!=") == 0 && !equal))
        parse(file);
}
