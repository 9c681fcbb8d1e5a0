// "1,234,567": a count with a comma every three digits.
#pragma once

#include <cstdint>

#include "framework/fwstring.h"

CString FormatThousands(uint64_t value);
