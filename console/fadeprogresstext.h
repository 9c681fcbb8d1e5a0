// The percentage the console's progress bar shows.
#pragma once

#include <string>

// "%.0f%%" of pos x 100 / upper; "0%" for an upper bound of 0.
std::string FadeProgressText(int pos, int upper);
