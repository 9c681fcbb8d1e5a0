// The local tree's rules that need no window: which node leads on towards a
// site's local folder, the shell's source list of a local copy, the labels a
// new or renamed folder may take, and the buffer of top-level paths.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Where a node's path stands against the folder being followed. Paths compare
// without case and without a trailing "\"; a node leads on only at a path
// component boundary ("c:\foo" is not on the way to "c:\foobar\x").
enum class FollowStep { kAside, kOnTheWay, kArrived };
FollowStep FollowStepFor(const std::string& nodePath, const std::string& target);

// One double-NUL list of full paths (folder + "\" + name, no second "\" after
// a folder that ends with one) of any length; empty names are left out.
std::string BuildShellFileList(const std::string& folder, const std::vector<std::string>& names);
// The same of full paths as given: one double-NUL list however many and however
// long they are (the shell's operation takes it whole); empty paths are left out.
std::string BuildShellPathList(const std::vector<std::string>& paths);

// A trimmed label a folder can be made or renamed to: not empty and a name
// without folder parts (no \ / : * ? " < > |, control characters, "." or "..").
bool IsUsableFolderLabel(const std::string& label);

// Fills the top-level paths: the three folders (an empty one keeps its slot as
// an empty string, so the drives stay at 3 and up), then the drive strings
// (a double-NUL list, at most 260 characters taken). Everything is cut to the
// buffer and the buffer always ends with two NULs. The number of drives stored.
int FillLocalRootPaths(char* buffer, size_t size, const char* const folders[3], const char* drives);
