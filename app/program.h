#pragma once
// The application's main routine, run by the program thread.
void program_main();
