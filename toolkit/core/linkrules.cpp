#include "toolkit/linkrules.h"

#include <string>

const char kHyperlinkErrorPrefix[] = "Unable to open hyperlink:\n\n";

CString HyperlinkErrorText(long long result) {
  if (result > 32)
    return CString();
  switch (result) {
  case 0: return "The operating system is out\nof memory or resources.";
  case 2: return "The specified file was not found.";
  case 3: return "The specified path was not found.";
  case 5: return "The operating system denied\naccess to the specified file.";
  case 8: return "There was not enough memory to complete the operation.";
  case 11: return "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
  case 26: return "A sharing violation occurred. ";
  case 27: return "The filename association is\nincomplete or invalid.";
  case 28: return "The DDE transaction could not\nbe completed because the request timed out.";
  case 29: return "The DDE transaction failed.";
  case 30: return "The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed.";
  case 31: return "There is no application associated\nwith the given filename extension.";
  case 32: return "The specified dynamic-link library was not found.";
  default: {
    CString text;
    text.Format("Unknown Error (%d) occurred.", (int)result);
    return text;
  }
  }
}

CString BuildBrowserCommand(const char* registeredCommand, const char* address) {
  std::string command = registeredCommand ? registeredCommand : "";
  size_t cut = command.find("\"%1\"");
  if (cut == std::string::npos)
    cut = command.find("%1");
  if (cut != std::string::npos)
    command.erase(cut);
  command += ' ';
  command += address ? address : "";
  return CString(command);
}

LinkRect FitLinkRect(const LinkRect& old, int cx, int cy, int align, bool centreVertically) {
  LinkRect r = old;
  if (align == 1) {
    const int centre = (old.left + old.right) / 2;
    r.left = centre - cx / 2;
    r.right = r.left + cx;
  } else if (align == 2) {
    r.left = old.right - cx;
  } else {
    r.right = old.left + cx;
  }
  if (centreVertically) {
    const int middle = (old.top + old.bottom) / 2;
    r.top = middle - cy / 2;
  }
  r.bottom = r.top + cy;
  return r;
}
