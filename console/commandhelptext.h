// The lines of the console's command help: a note, each FTP command with its
// syntax and purpose, and the argument grammar.
#pragma once

#include <cstddef>

const char* const* CommandHelpLines(size_t* count);
