#pragma once
// The main menu, from which every calculator is chosen, and the closing screen.

// Draws the menu, reads a valid selection and runs the chosen routine, again and again.
[[noreturn]] void main_menu();
// The framed credits screen; a key ends the program.
[[noreturn]] void closing_screen();
