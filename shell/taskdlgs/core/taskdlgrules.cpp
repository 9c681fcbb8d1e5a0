#include "shell/taskdlgs/taskdlgrules.h"

#include <cstring>

const int kChmodWeights[kChmodChecks] = {400, 200, 100, 40, 20, 10, 4, 2, 1};

int ChmodNormalise(int mode)
{
  if (mode < 0 || mode > 999)
    return 0;
  return (mode / 100 % 10 & 7) * 100 + (mode / 10 % 10 & 7) * 10 + (mode % 10 & 7);
}

int ChmodModeFromText(const char* text)
{
  if (text == nullptr)
    return 0;
  const size_t n = std::strlen(text);
  if (n == 0 || n > 3)
    return 0;
  int mode = 0;
  for (size_t i = 0; i < n; ++i) {
    if (text[i] < '0' || text[i] > '9')
      return 0;
    mode = mode * 10 + (text[i] - '0');
  }
  return ChmodNormalise(mode);
}

void ChmodToChecks(int mode, bool checks[kChmodChecks])
{
  mode = ChmodNormalise(mode);
  const int digits[3] = {mode / 100, mode / 10 % 10, mode % 10};
  for (int d = 0; d < 3; ++d) {
    checks[d * 3 + 0] = (digits[d] & 4) != 0;
    checks[d * 3 + 1] = (digits[d] & 2) != 0;
    checks[d * 3 + 2] = (digits[d] & 1) != 0;
  }
}

int ChmodFromChecks(const bool checks[kChmodChecks])
{
  int mode = 0;
  for (int i = 0; i < kChmodChecks; ++i)
    if (checks[i])
      mode += kChmodWeights[i];
  return mode;
}

RecordDirRefusal ApplyRecordDirRules(int mode, CString& saveTarget, CString& remoteText)
{
  saveTarget.Trim();
  remoteText.Trim();
  if (saveTarget.IsEmpty())
    return RecordDirRefusal::NoSaveTarget;
  if (mode != 0) {
    if (remoteText.IsEmpty())
      remoteText = "/";
    return RecordDirRefusal::None;
  }
  if (remoteText.IsEmpty() || remoteText == "/")
    return RecordDirRefusal::NoFileName;
  if (remoteText[0] != '/')
    remoteText = "/" + remoteText;
  if (remoteText.GetLength() > 1 && remoteText[remoteText.GetLength() - 1] == '/')
    remoteText = remoteText.Left(remoteText.GetLength() - 1);
  return RecordDirRefusal::None;
}

const char* RecordDirRefusalText(int mode, RecordDirRefusal refusal)
{
  switch (refusal) {
    case RecordDirRefusal::NoSaveTarget:
      return mode != 0 ? "Please specify a file for saving record" : "Please specify a folder for saving file";
    case RecordDirRefusal::NoFileName:
      return "Please enter a file name. ";
    default:
      return "";
  }
}

void ApplySearchFileRules(CString& startFolder, CString& types, bool matchCase)
{
  startFolder.Trim();
  types.Trim();
  if (startFolder.IsEmpty())
    startFolder = "/";
  if (matchCase)
    startFolder += "?";
  if (types.IsEmpty())
    types = "*.*";
}
