// Shell calls: open by association, registry defaults, system icons.
#include "engine/shellseam.h"

#include <shellapi.h>

#include <atomic>
#include <cstring>

#include "engine/confirmtext.h"
#include "engine/listing.h"

namespace {

INT_PTR RealShellOpen(const char* target, int show)
{
  return (INT_PTR)ShellExecuteA(nullptr, "open", target, nullptr, nullptr, show);
}

BOOL RealRunCommand(const char* commandLine, int show)
{
  STARTUPINFOA si = {};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = (WORD)show;
  PROCESS_INFORMATION pi = {};
  // CreateProcess may write into the command line: give it a copy.
  CString line(commandLine);
  if (!CreateProcessA(nullptr, line.GetBuffer(line.GetLength() + 1), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &si, &pi))
    return FALSE;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return TRUE;
}

const ShellRunner kRealRunner = {&RealShellOpen, &RealRunCommand};
std::atomic<const ShellRunner*> g_shellRunner{&kRealRunner};

int RealFileOperation(SHFILEOPSTRUCTA* op) { return SHFileOperationA(op); }

BOOL RealProperties(const char* path, HWND owner)
{
  SHELLEXECUTEINFOA info = {};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_INVOKEIDLIST;
  info.hwnd = owner;
  info.lpVerb = "properties";
  info.lpFile = path;
  info.nShow = SW_SHOW;
  return ShellExecuteExA(&info);
}

const ShellFileRunner kRealFileRunner = {&RealFileOperation, &RealProperties};
std::atomic<const ShellFileRunner*> g_fileRunner{&kRealFileRunner};

}  // namespace

void SetShellRunner(const ShellRunner* runner) { g_shellRunner.store(runner != nullptr ? runner : &kRealRunner); }

INT_PTR ShellOpen(const char* target, int show) { return g_shellRunner.load()->open(target, show); }

BOOL RunCommand(const char* commandLine, int show) { return g_shellRunner.load()->run(commandLine, show); }

void SetShellFileRunner(const ShellFileRunner* runner)
{
  g_fileRunner.store(runner != nullptr ? runner : &kRealFileRunner);
}

int ShellFileOperation(SHFILEOPSTRUCTA* op) { return g_fileRunner.load()->fileOperation(op); }

BOOL ShowShellProperties(const char* path, HWND owner) { return g_fileRunner.load()->properties(path, owner); }

LONG ReadRegistryDefault(HKEY root, const char* subkey, char* out)
{
  out[0] = '\0';
  HKEY key = nullptr;
  LONG result = RegOpenKeyExA(root, subkey, 0, KEY_QUERY_VALUE, &key);
  if (result != ERROR_SUCCESS)
    return result;
  DWORD type = 0;
  DWORD size = kRegistryDefaultLen;
  result = RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(out), &size);
  RegCloseKey(key);
  if (result == ERROR_SUCCESS && type != REG_SZ && type != REG_EXPAND_SZ)
    result = ERROR_UNSUPPORTED_TYPE;
  // A stored text need not end in a NUL: add one, or refuse a text that fills
  // the whole output without one.
  if (result == ERROR_SUCCESS && size > 0 && out[size - 1] != '\0') {
    if (size < kRegistryDefaultLen)
      out[size] = '\0';
    else
      result = ERROR_MORE_DATA;
  }
  if (result != ERROR_SUCCESS || size == 0)
    out[0] = '\0';
  return result;
}

INT_PTR OpenWithShell(const char* target, int show)
{
  const INT_PTR result = ShellOpen(target, show);
  if (result > 32)
    return result;
  // No association: hand the file to the program that opens web pages.
  char docType[kRegistryDefaultLen];
  if (ReadRegistryDefault(HKEY_CLASSES_ROOT, ".htm", docType) != ERROR_SUCCESS || docType[0] == '\0')
    return result;
  CString commandKey(docType);
  commandKey += "\\shell\\open\\command";
  char command[kRegistryDefaultLen];
  if (ReadRegistryDefault(HKEY_CLASSES_ROOT, commandKey, command) != ERROR_SUCCESS || command[0] == '\0')
    return result;
  RunCommand(BuildOpenCommandLine(command, target), show);
  return result;
}

namespace {

// One SHGetFileInfoA call for the small icon's index in the system list. No
// icon handle is made: making one (and destroying it) cost some 2 ms a call,
// twenty times the look-up itself, paid per row by a local file list.
BOOL QueryShellIcon(const char* path, DWORD attributes, UINT flags, int* iconOut, char* displayNameOut)
{
  SHFILEINFOA info = {};
  if (SHGetFileInfoA(path, attributes, &info, sizeof(info), flags | SHGFI_SYSICONINDEX | SHGFI_SMALLICON) == 0)
    return FALSE;
  if (iconOut != nullptr)
    *iconOut = info.iIcon;
  if (displayNameOut != nullptr) {
    info.szDisplayName[MAX_PATH - 1] = '\0';
    memcpy(displayNameOut, info.szDisplayName, strlen(info.szDisplayName) + 1);
  }
  return TRUE;
}

}  // namespace

BOOL GetShellIconIndex(char* displayNameOut, const char* path, int* iconOut, int* openIconOut)
{
  if (path == nullptr)
    return FALSE;
  int icon = 0;
  char displayName[MAX_PATH];
  if (!QueryShellIcon(path, 0, SHGFI_DISPLAYNAME, &icon, displayName))
    return FALSE;
  int openIcon = icon;
  if (openIconOut != nullptr && !QueryShellIcon(path, 0, SHGFI_OPENICON, &openIcon, nullptr))
    return FALSE;
  if (iconOut != nullptr)
    *iconOut = icon;
  if (openIconOut != nullptr)
    *openIconOut = openIcon;
  if (displayNameOut != nullptr)
    memcpy(displayNameOut, displayName, strlen(displayName) + 1);
  return TRUE;
}

BOOL GetShellIconIndexByName(const char* name, int* iconOut, int* openIconOut, int kind)
{
  if (name == nullptr)
    return FALSE;
  const DWORD attributes = kind == kEntryFolder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
  int icon = 0;
  if (!QueryShellIcon(name, attributes, SHGFI_USEFILEATTRIBUTES, &icon, nullptr))
    return FALSE;
  int openIcon = icon;
  if (openIconOut != nullptr &&
      !QueryShellIcon(name, FILE_ATTRIBUTE_DIRECTORY, SHGFI_USEFILEATTRIBUTES | SHGFI_OPENICON, &openIcon, nullptr))
    return FALSE;
  if (iconOut != nullptr)
    *iconOut = icon;
  if (openIconOut != nullptr)
    *openIconOut = openIcon;
  return TRUE;
}
