// Texts and decisions of the confirmation boxes.
#include "engine/confirmtext.h"

#include <cstring>

#include "engine/engineres.h"
#include "engine/engineutil.h"
#include "engine/planitem.h"

namespace {

// Prompts whose OK deletes something: a count-down left alone answers Cancel.
const unsigned kCancelOnTimeout[] = {
    IDS_CONFIRM_DELETE_SELECTION,   // local or server files and folders
    IDS_CONFIRM_DELETE_SITE,        // one work site
    IDS_CONFIRM_REMOVE_ALL_SITES,   // every work site in the registry
};

// A fixed-width field that may lack its NUL.
CString FieldText(const char* field, size_t width)
{
  return CString(field, (int)strnlen(field, width));
}

}  // namespace

int ConfirmTimeoutAnswer(unsigned stringId)
{
  for (unsigned id : kCancelOnTimeout) {
    if (id == stringId)
      return kConfirmAnswerCancel;
  }
  return kConfirmAnswerOk;
}

CString FormatReplaceMessage(const CPlanItem& item, bool upload, const char* fileName, int64_t existingSize)
{
  CString text("Folder: ");
  if (upload) {
    text += FieldText(item.m_host, sizeof(item.m_host));
    text += "::";
    text += FieldText(item.m_remotePath, sizeof(item.m_remotePath));
  } else {
    text += FieldText(item.m_localPath, sizeof(item.m_localPath));
  }
  text += "\r\n";
  text += "already contains a file named: \r\n";
  text += "' ";
  text += fileName != nullptr ? fileName : "";
  text += " '";
  text += "\r\nThe file size = ";
  text += FormatThousands(existingSize > 0 ? (uint64_t)existingSize : 0);
  text += "\r\n\r\n";
  text += "Would you like to replace the existing file with this one? \r\n";
  text += "Size = ";
  text += FormatThousands(item.m_fileSize > 0 ? (uint64_t)item.m_fileSize : 0);
  return text;
}

CString FormatConfirmCountdown(int seconds)
{
  CString text;
  text.Format("%d sec auto-close", seconds);
  return text;
}

CString FormatReplaceCountdown(int seconds)
{
  CString text;
  text.Format("%d sec auto-close.", seconds);
  return text;
}

CString BuildOpenCommandLine(const char* command, const char* target)
{
  CString line(command);
  int cut = line.Find("\"%1\"");
  if (cut < 0)
    cut = line.Find("%1");
  if (cut >= 0) {
    line = line.Left(cut);
    line.TrimRight(' ');
  }
  line += " \"";
  line += target != nullptr ? target : "";
  line += "\"";
  return line;
}

bool HasOnlyNameCharacters(const char* name)
{
  if (name == nullptr || *name == '\0' || strcmp(name, ".") == 0 || strcmp(name, "..") == 0)
    return false;
  for (const char* p = name; *p != '\0';) {
    // A double-byte character is skipped whole: its trail byte may look like '\\'.
    const int step = FwCharLen(p);
    const unsigned char c = (unsigned char)*p;
    if (step == 1 && (c < 0x20 || strchr("\\/:*?\"<>|", c) != nullptr))
      return false;
    p += step;
  }
  return true;
}

bool IsValidTransferName(const char* name)
{
  if (!HasOnlyNameCharacters(name))
    return false;
  const size_t length = strlen(name);
  if (length >= 260)
    return false;
  const char last = name[length - 1];
  return last != '.' && last != ' ';
}
