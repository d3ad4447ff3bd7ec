#pragma once
// The Windows headers as every file of this host takes them: Windows 10 interfaces, no
// min/max macros; and text crossing to Windows, which is UTF-8 inside and UTF-16 outside.
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0A00
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>
#include <string_view>

std::wstring windows_utf16_of(std::string_view utf8);
std::string windows_utf8_of(std::wstring_view utf16);
