#pragma once
// The table from the 256 byte codes to Unicode, writable at run time, and the conversions
// of byte text that go through it. The glyphs drawn for a byte never depend on it.
#include <cstdint>

extern uint16_t code_page[256];

// Entry n (0-255); error 5 outside.
int32_t rt_code_page_entry(int32_t n);
// Entry n := code_point (0-65535); error 5 when either is out of range.
void rt_set_code_page_entry(int32_t n, int32_t code_point);
// The lowest byte code whose entry is code_point; 0 when none is.
int32_t rt_code_page_lookup(uint32_t code_point);

// One code unit per byte: every entry is a single 16-bit unit. out holds length units.
void code_page_to_utf16(const uint8_t* bytes, int32_t length, uint16_t* out);
void code_page_to_utf32(const uint8_t* bytes, int32_t length, uint32_t* out);
