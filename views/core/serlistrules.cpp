#include "views/serlistrules.h"

#include <cstdio>
#include <cstring>

CString g_ownClipboardText;

const char kNameTooLongText[] = "The name is too long for this command:\r\n%s";

int PermTextToMode(const char* text)
{
  if (text == nullptr || std::strlen(text) < 10)
    return 0;
  static const int kBits[9] = {400, 200, 100, 40, 20, 10, 4, 2, 1};
  int mode = 0;
  for (int i = 0; i < 9; ++i) {
    const char c = text[i + 1];
    if (c == 'r' || c == 'w' || c == 'x' || c == 's' || c == 't')
      mode += kBits[i];
  }
  return mode;
}

bool FormatChmodText(int mode, const char* name, std::string* out)
{
  char head[32];
  std::snprintf(head, sizeof head, "CHMOD %d ", mode);
  const std::string text = std::string(head) + (name != nullptr ? name : "");
  if (text.size() > kChmodTextMax)
    return false;
  *out = text;
  return true;
}

std::string CopyUrlText(const UrlSite& site, const std::string& folder, const std::vector<UrlRow>& rows)
{
  std::string prefix = "\r\nftp://";
  if (!site.anonymous)
    prefix += site.user + ":" + site.password + "@";
  prefix += site.host;
  if (site.port != 21)
    prefix += ":" + std::to_string(site.port);
  prefix += folder;
  if (folder.empty() || folder.back() != '/')
    prefix += '/';
  std::string text;
  for (const UrlRow& row : rows) {
    text += prefix + row.name;
    if (row.folder)
      text += '/';
  }
  return text;
}

std::vector<int> DeleteSitesInOrder(const std::vector<int>& slots, const std::function<bool(int)>& deleteSite)
{
  std::vector<int> refused;
  for (int slot : slots)
    if (!deleteSite(slot))
      refused.push_back(slot);
  return refused;
}
