#include "views/remotename.h"

#include <cstring>

#include "engine/listing.h"

const char kRemoteNameRefusedText[] = "This name cannot be used on the server:\r\n";

RemoteNameCheck CheckRemoteName(const char* name)
{
  if (name == nullptr || name[0] == '\0')
    return RemoteNameCheck::kEmpty;
  if (std::strlen(name) >= kEntryNameLen)
    return RemoteNameCheck::kTooLong;
  if (std::strpbrk(name, "/\r\n") != nullptr || std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
    return RemoteNameCheck::kLeavesFolder;
  return RemoteNameCheck::kOk;
}
