// The variable table and the five variable commands.
#pragma once

#include "script/stream.h"

#include <cstdint>

// Type codes of a variable: how vprint writes its value.
constexpr std::int32_t type_num = 0;    // the integer the value begins with
constexpr std::int32_t type_string = 1; // the value as stored
constexpr std::int32_t type_none = 2;   // nothing

// One slot of the variable table.
struct variable {
    name_field name;   // the variable's name; empty while the slot is free
    char val[100];     // the value, always text, at most 99 characters
    std::int32_t type; // type_num, type_string or type_none
    std::int32_t set;  // 1 while the slot is free, 0 once declared (the sense is inverted)
};

constexpr int var_slots = 999;
// The variable table, shared by every run. Slots are declared from slot 0 upward and
// never freed.
extern variable var[var_slots];

// Makes every slot free and of no type; names and values are left as they are.
void reset_var_table();

// The commands; each reads all of its arguments from `fin`, then acts.
void do_var(script_stream& fin);    // var NAME TYPE
void do_set(script_stream& fin);    // set NAME TEXT
void do_vprint(script_stream& fin); // vprint NAME
void do_input(script_stream& fin);  // input NAME
void do_vcmp(script_stream& fin);   // vcmp NAME1 OP NAME2 FILE
