// The parts of a copy between two servers that need no connection: the PORT
// argument handed from one server's passive reply to the other, and the path
// rules of a folder copy.
#pragma once

#include <cstddef>
#include <string>

// The PORT argument "h1,h2,h3,h4,p1,p2" for the other server, from the 227
// reply line of a bare PASV. The line must hold "227" and "(" and six valid
// numbers (each 0..255, port not 0); false (out "") for anything else, so no
// part of a bad reply ever goes out.
bool FxpPortArgument(const char* reply, char* out, size_t size);

// folder + "/" (only when missing) + name.
std::string S2sJoinPath(const std::string& folder, const std::string& name);

// Whether path is root itself or lies below it: "/a/b" is within "/a", "/ab"
// is not. Trailing separators do not count; an empty root is never matched.
bool RemotePathWithin(const std::string& path, const std::string& root);

// A listed name that may be put below a folder of another server: not empty,
// not "." or "..", no '/' that would reach into another folder.
bool IsPlainRemoteName(const char* name);
