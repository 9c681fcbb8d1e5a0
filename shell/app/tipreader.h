#pragma once
// Reading the tips file of the tip of the day: one tip a line, fields split at
// TABs (text, heading, footer, a number kept with the tip); lines beginning
// with a blank, a TAB or ";" and empty lines are comments. Portable: the
// dialog reads through stdio, and the tests run natively.
#include <cstdint>
#include <cstdio>
#include <string>

// Longest line read; a longer one is cut there and its rest skipped.
constexpr size_t kTipLineMax = 1000;

struct TipText {
  std::string text;
  std::string heading;
  std::string footer;
  long number = 0;
};

enum class TipReadResult {
  Tip,         // tip filled
  NoTip,       // the file holds no tip (only comments, blank lines or nothing)
  SeekFailed,  // going back to the start failed
};

// Reads the next tip from the file's current offset (the file open in binary
// mode). At the end it goes back to the start once; a second end means the
// file holds no tip, so a file of comments never loops.
TipReadResult ReadNextTip(std::FILE* file, TipText& tip);

// Splits one line (without its line end) at TABs into the tip's fields.
TipText SplitTipLine(const std::string& line);

// Where the dialog starts reading: at the stored offset while the file's
// time stamp is the stored one, else (an edited file, or an offset no file
// has) at its start.
long TipStartOffset(const std::string& storedStamp, const std::string& fileStamp, long storedPos);
