// Messages of the runtime's error numbers.
#include <cstdint>
#include <iterator>

#include "runtime/core/errors.h"

namespace {

struct error_entry {
    uint32_t number;
    const char* message;
};

constexpr error_entry error_table[] = {
    {1, "NEXT without FOR"},
    {2, "Syntax error"},
    {3, "RETURN without GOSUB"},
    {4, "Out of DATA"},
    {5, "Illegal function call"},
    {6, "Overflow"},
    {7, "Out of memory"},
    {8, "Label not defined"},
    {9, "Subscript out of range"},
    {10, "Duplicate definition"},
    {12, "Illegal in direct mode"},
    {13, "Type mismatch"},
    {14, "Out of string space"},
    {16, "String formula too complex"},
    {17, "Cannot continue"},
    {18, "Function not defined"},
    {19, "No RESUME"},
    {20, "RESUME without error"},
    {24, "Device timeout"},
    {25, "Device fault"},
    {26, "FOR without NEXT"},
    {27, "Out of paper"},
    {29, "WHILE without WEND"},
    {30, "WEND without WHILE"},
    {33, "Duplicate label"},
    {35, "Subprogram not defined"},
    {37, "Argument-count mismatch"},
    {38, "Array not defined"},
    {40, "Variable required"},
    {50, "FIELD overflow"},
    {51, "Internal error"},
    {52, "Bad file name or number"},
    {53, "File not found"},
    {54, "Bad file mode"},
    {55, "File already open"},
    {56, "FIELD statement active"},
    {57, "Device I/O error"},
    {58, "File already exists"},
    {59, "Bad record length"},
    {61, "Disk full"},
    {62, "Input past end of file"},
    {63, "Bad record number"},
    {64, "Bad file name"},
    {67, "Too many files"},
    {68, "Device unavailable"},
    {69, "Communication-buffer overflow"},
    {70, "Permission denied"},
    {71, "Disk not ready"},
    {72, "Disk-media error"},
    {73, "Feature unavailable"},
    {74, "Rename across disks"},
    {75, "Path/File access error"},
    {76, "Path not found"},
    {258, "Invalid handle"},
    {262, "Function unavailable in VELKO"},
    // Memory-block errors: always fatal.
    {300, "Memory region out of range"},
    {301, "Invalid size"},
    {302, "Source memory region out of range"},
    {303, "Destination memory region out of range"},
    {304, "Source and destination memory regions out of range"},
    {305, "Source memory has been freed"},
    {306, "Destination memory has been freed"},
    {307, "Memory already freed"},
    {308, "Memory has been freed"},
    {309, "Memory not initialized"},
    {310, "Source memory not initialized"},
    {311, "Destination memory not initialized"},
    {312, "Source and destination memory not initialized"},
    {313, "Source and destination memory have been freed"},
};

// Critical numbers that end the process at the moment they are raised, with the
// text and caption of their box ("#" captions get the number appended).
struct critical_entry {
    uint32_t first, last;
    const char* message;
    const char* caption;
    uint32_t caption_offset; // number shown after "#" is n - offset
};

constexpr critical_entry critical_table[] = {
    {257, 257, "Out of memory", "Critical Error #", 256},
    {502, 518, "Out of memory", "Critical Error #", 500},
    {11, 11, "Division by zero", "Critical Error", 0},
    {256, 256, "Out of stack space", "Critical Error", 0},
    {259, 259, "Cannot find dynamic library file", "Critical Error", 0},
    {260, 261, "Sub/Function does not exist in dynamic library", "Critical Error", 0},
    {263, 263, "Paths/Filename illegal in VELKO", "Critical Error", 0},
    {270, 270, "_GL command called outside of SUB _GL's scope", "Critical Error", 0},
    {271, 271, "END/SYSTEM called within SUB _GL's scope", "Critical Error", 0},
};

} // namespace

const char* rt_error_message(uint32_t n) {
    for (const auto& e : error_table)
        if (e.number == n) return e.message;
    return "Unprintable error";
}

bool rt_critical_box_of(uint32_t n, const char** message, const char** caption,
                        uint32_t* caption_number) {
    for (const auto& c : critical_table) {
        if (n < c.first || n > c.last) continue;
        *message = c.message;
        *caption = c.caption;
        *caption_number = c.caption_offset ? n - c.caption_offset : 0;
        return true;
    }
    return false;
}
