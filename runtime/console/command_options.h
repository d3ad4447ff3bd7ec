#pragma once
// The calculator's own command-line options, read before anything else starts.

// Reads the arguments after the program name. --help and --version answer on standard
// output and end the process with 0; an argument it does not know is named on standard
// error and ends it with 2. Neither opens a window or the audio device.
void rt_take_command_options(int argc, char** argv);
