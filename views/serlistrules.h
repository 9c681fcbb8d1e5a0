// The server lists' rules without the window: the mode a listing's attributes
// text stands for, the attribute command text of a row, the URL lines of Copy
// URL, and the order Delete Site works through the chosen sites in.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "framework/fwstring.h"

// The whole text of the last Copy URL; the clipboard monitor ignores clipboard
// text equal to it (the program's own copy, not an address to fetch).
extern CString g_ownClipboardText;

// The permissions of a ten-character listing text ("-rwxr-xr-x") as three octal
// digits written in decimal (755). A position adds its bit only for 'r', 'w',
// 'x', 's' or 't': 'S' and 'T' are setuid, setgid or sticky without execute.
// A text shorter than ten characters gives 0.
int PermTextToMode(const char* text);

// The longest attribute command a task can send (its queue refuses longer).
constexpr size_t kChmodTextMax = 259;
// "CHMOD <mode> <name>" into out; false, out untouched, when it would be
// longer than kChmodTextMax.
bool FormatChmodText(int mode, const char* name, std::string* out);
extern const char kNameTooLongText[];  // "The name is too long for this command:\r\n%s"

// What Copy URL reads of a site.
struct UrlSite {
  std::string host, user, password;
  int port = 21;
  bool anonymous = false;  // option digit 1 is '1'
};
struct UrlRow {
  std::string name;
  bool folder = false;
};
// The Copy URL text: for each row "\r\nftp://[user:password@]host[:port]" +
// folder (ending in "/") + name (+ "/" for a folder). Its first two characters
// are the separator the clipboard routine drops.
std::string CopyUrlText(const UrlSite& site, const std::string& folder, const std::vector<UrlRow>& rows);

// Delete Site over the sites chosen before the first delete: each slot asked
// once, in the given order (the rows' order). The slots that were refused.
std::vector<int> DeleteSitesInOrder(const std::vector<int>& slots, const std::function<bool(int)>& deleteSite);
