// Lookups by name in the fixed tables (variables, sounds): linear scans from slot 0, with
// exact, case-sensitive comparisons of whole names.
#pragma once

#include <cstddef>
#include <cstring>

// True when `slot` bears `name`. The first byte decides most comparisons, so it is checked
// before the call.
template <class Slot> bool named(const Slot& slot, const char* name) {
    return slot.name[0] == name[0] && std::strcmp(slot.name, name) == 0;
}

// The first slot of `table` named `name`, or null.
template <class Slot, std::size_t N> Slot* first_named(Slot (&table)[N], const char* name) {
    for (Slot& slot : table) {
        if (named(slot, name)) return &slot;
    }
    return nullptr;
}

// The last slot of `table` named `name`, or null.
template <class Slot, std::size_t N> Slot* last_named(Slot (&table)[N], const char* name) {
    Slot* found = nullptr;
    for (Slot& slot : table) {
        if (named(slot, name)) found = &slot;
    }
    return found;
}
