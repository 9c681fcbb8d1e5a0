// The path rules of tree nodes and list rows, without windows: the views walk
// their trees for the labels and compose the path here.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// labels: the node's label path from the tree's top level down, the site
// node's label first (none: the tree's root, which gives ""). The site's start
// folder followed by "/" + the labels below the site node; a start folder
// ending in "/" loses that "/" first, and the site node alone gives the start
// folder unchanged.
std::string ComposeServerPath(const char* startFolder, const std::vector<std::string>& labels);

// labels: from the top-level node down (none: the root, ""). The top-level
// node's path (rootPath) comes first with a closing "\", then the labels below
// joined with "\" (none added after a piece that already ends with one).
std::string ComposeLocalPath(const char* rootPath, const std::vector<std::string>& labels);

// The index-th NUL-ended string of a buffer of top-level paths; null when the
// index lies outside the strings the buffer holds.
const char* LocalRootPathAt(const char* buffer, size_t size, int index);

// base + the separator (unless base ends with it) + name.
std::string JoinRowPath(const std::string& base, const char* name, bool local);
