#include "shell/funcview/connlogtext.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "engine/connlog.h"

namespace {
constexpr size_t kSavedLineMax = 257;
}

CString ConnLogClipboardText(const std::vector<CString>& rows)
{
  std::string text = "  ";
  for (const CString& row : rows) {
    text.append(row.GetString(), (size_t)row.GetLength());
    const char last = text.back();
    if (last != '\r' && last != '\n')
      text += "\r\n";
  }
  return CString(text);
}

bool SaveConnLogRows(const char* path, const std::vector<CString>& rows)
{
  if (path == nullptr || *path == '\0')
    return false;
  FILE* file = fopen(path, "wb");
  if (file == nullptr)
    return false;
  bool ok = true;
  for (const CString& row : rows) {
    size_t n = strnlen(row.GetString(), kSavedLineMax);
    const char* text = row.GetString();
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n'))
      --n;
    if ((n > 0 && fwrite(text, 1, n, file) != n) || fwrite("\r\n", 1, 2, file) != 2)
      ok = false;
  }
  if (fclose(file) != 0)
    ok = false;
  return ok;
}

bool SaveConnLog(const char* path) { return SaveConnLogRows(path, ConnLogRows()); }
