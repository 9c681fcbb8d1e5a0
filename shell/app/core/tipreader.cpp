#include "shell/app/tipreader.h"

#include <cstdlib>

namespace {

// One line of at most kTipLineMax characters, its line end removed; false at
// the end of the file with nothing read.
bool ReadTipLine(std::FILE* file, std::string& line) {
  line.clear();
  int c = std::fgetc(file);
  if (c == EOF) return false;
  while (c != EOF && c != '\n') {
    if (line.size() < kTipLineMax) line.push_back(static_cast<char>(c));
    c = std::fgetc(file);
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

bool IsTipComment(const std::string& line) {
  return line.empty() || line[0] == ' ' || line[0] == '\t' || line[0] == ';';
}

}  // namespace

TipText SplitTipLine(const std::string& line) {
  TipText tip;
  std::string* fields[] = {&tip.text, &tip.heading, &tip.footer};
  std::string number;
  size_t field = 0, start = 0;
  for (;;) {
    const size_t tab = line.find('\t', start);
    const std::string part = line.substr(start, tab == std::string::npos ? std::string::npos : tab - start);
    if (field < 3)
      *fields[field] = part;
    else if (field == 3)
      number = part;
    if (tab == std::string::npos) break;
    start = tab + 1;
    ++field;
  }
  tip.number = std::strtol(number.c_str(), nullptr, 10);
  return tip;
}

TipReadResult ReadNextTip(std::FILE* file, TipText& tip) {
  std::string line;
  bool wrapped = false;
  for (;;) {
    while (ReadTipLine(file, line)) {
      if (!IsTipComment(line)) {
        tip = SplitTipLine(line);
        return TipReadResult::Tip;
      }
    }
    if (wrapped) return TipReadResult::NoTip;
    std::clearerr(file);
    if (std::fseek(file, 0, SEEK_SET) != 0) return TipReadResult::SeekFailed;
    wrapped = true;
  }
}

long TipStartOffset(const std::string& storedStamp, const std::string& fileStamp, long storedPos) {
  if (storedStamp != fileStamp || storedPos < 0) return 0;
  return storedPos;
}
