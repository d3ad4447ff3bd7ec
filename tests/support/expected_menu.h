#pragma once
// The calculator's main menu as the tests expect to read it.
#include <string>
#include <vector>

// Rows 1 to 17 with trailing blanks removed.
const std::vector<std::string>& expected_menu_rows();
