// The rule for a name the user types in a server view (a new folder, a new
// name for an entry): the server takes it as one entry of the folder shown.
#pragma once

enum class RemoteNameCheck {
  kOk,
  kEmpty,
  kTooLong,     // longer than an entry name can be (255 bytes)
  kLeavesFolder,  // "/" names another folder, CR or LF end the command early, "." and ".." are no entries
};

RemoteNameCheck CheckRemoteName(const char* name);

// The box text of a name refused as kLeavesFolder.
extern const char kRemoteNameRefusedText[];  // followed by the name
