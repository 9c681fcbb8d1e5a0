// A folder tree's node named by what it stands for rather than by its handle:
// the tree control reuses a deleted node's handle for the next node inserted,
// anywhere, so a handle kept across a box or dialog (which pump messages, and
// a listing may land meanwhile) can name another folder. A command keeps the
// key and finds its node again by it; a key whose node went finds nothing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct NodeKey {
  intptr_t top = 0;                 // the top-level node's item data (its site or root path)
  std::vector<std::string> labels;  // from the top-level node down to the node
  bool IsEmpty() const { return labels.empty(); }
  bool operator==(const NodeKey& o) const { return top == o.top && labels == o.labels; }
};

// Whether a reply for a server folder belongs to the folder shown: the same
// path, a trailing "/" aside ("/a/" is "/a"). An empty reply path is from a
// sender that names no folder and is taken.
bool SameServerFolder(const std::string& shown, const std::string& reply);
// The same for a local entry's full path: its folder is the folder shown
// (letters without case, a trailing "\" aside). An empty path is taken.
bool IsEntryOfLocalFolder(const std::string& folder, const std::string& entryPath);

// Finds the node of key in a tree seen through Walk, which offers:
//   Node TopFirst() const;                 the first top-level node (null: none)
//   Node FirstChild(Node) const; Node Next(Node) const;
//   std::string Label(Node) const; intptr_t Data(Node) const;
// Null when some step of the key is no longer there.
template <typename Walk>
typename Walk::Node FindNodeByKey(const Walk& walk, const NodeKey& key)
{
  using Node = typename Walk::Node;
  if (key.IsEmpty())
    return Node();
  Node node = walk.TopFirst();
  while (node != Node() && !(walk.Data(node) == key.top && walk.Label(node) == key.labels[0]))
    node = walk.Next(node);
  for (size_t i = 1; i < key.labels.size() && node != Node(); ++i) {
    Node child = walk.FirstChild(node);
    while (child != Node() && walk.Label(child) != key.labels[i])
      child = walk.Next(child);
    node = child;
  }
  return node;
}
