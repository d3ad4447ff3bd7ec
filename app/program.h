#pragma once
// The application's main routine, run by the program thread and re-entered by the
// runtime to run the error trap.
void program_main();
