// Name matching of the remote search: a comma-separated list of patterns with
// '*' (any run, also none) and '?' (one character).
#pragma once

// 1 when the whole name matches one of the patterns; blanks belong to the patterns.
int MatchPattern(const char* patternList, const char* name, bool matchCase);

// The whole text against one pattern, character by character in the code page:
// a double-byte character matches only the same two bytes, '?' takes one whole
// character, and without matchCase only single-byte letters fold.
bool MatchWildcardText(const char* pattern, const char* text, bool matchCase);
