// Name matching of the remote search: a comma-separated list of patterns with
// '*' (any run, also none) and '?' (one character).
#pragma once

// 1 when the whole name matches one of the patterns; blanks belong to the patterns.
int MatchPattern(const char* patternList, const char* name, bool matchCase);
