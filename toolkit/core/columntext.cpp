#include "toolkit/columntext.h"

#include <climits>
#include <cstring>
#include <string>

const char kColumnsServerFiles[] = "Name(Remote),150;Date,150;Size,150;Attribute,120";
const char kColumnsLocalFiles[] = "Name(Local),150;Date,150;Size,150;Attribute,120";
const char kColumnsTransfers[] =
    "Source File,200;Destination File,200;Size,100;Completed,100;Status,100;Speed(KBps),100";
const char kColumnsQueueThreads[] =
    "Thread #,70;<->,40;Working File,100;Size,100;Progress,80;Remaining,40;Elapsed,40;Speed(KBps), 100";
const char kColumnsQueue[] = "Local Path,200;<->,30;Server,200;Remote Path,300;Name,200;Size,100;Status,100";
const char kColumnsSearch[] = "Name,100;Site,100;In Folder,200;Size,100;Date,80;Attribute,80";
const char kColumnsConnections[] = "Local IP,110;Local Port,80;Remote IP,110;Remote Port,80;Status,100";
const char kColumnsListening[] = "Local IP,200;Local Port,200";

namespace {
// atoi's reading without its overflow: blanks, a sign, digits; the rest ignored.
int ReadWidth(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
    i++;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+'))
    negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; i++) {
    value = value * 10 + (text[i] - '0');
    if (value > INT_MAX)
      value = INT_MAX;
  }
  return (int)(negative ? -value : value);
}
}  // namespace

BOOL ApplyColumnSpec(const char* spec, int* count, ColumnInsertFn insert, void* context) {
  const std::string text = spec ? spec : "";
  size_t pos = 0;
  size_t comma = text.find(',', pos);
  while (comma != std::string::npos) {
    const std::string title = text.substr(pos, comma - pos);
    size_t semi = text.find(';', comma + 1);
    const size_t end = semi == std::string::npos ? text.size() : semi;
    const int width = ReadWidth(text.substr(comma + 1, end - comma - 1));
    const int index = (*count)++;
    if (!insert(context, index, title.c_str(), width))
      return FALSE;
    if (semi == std::string::npos)
      return TRUE;
    pos = semi + 1;
    comma = text.find(',', pos);
  }
  return TRUE;
}
