#pragma once
// Names the calling thread as the desktop's tools show it (top -H, /proc/<pid>/task):
// at most 15 characters.
void rt_name_this_thread(const char* name);
