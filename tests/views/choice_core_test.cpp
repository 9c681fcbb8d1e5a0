// What a command keeps across a box or dialog, without the windows: the rows
// chosen (found again by record after rows moved, were removed or re-listed),
// a tree node (found again by what it stands for after its handle went to
// another node), the folder a reply names, and the names typed for a server.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "engine/listing.h"
#include "views/chosenrows.h"
#include "views/nodekey.h"
#include "views/remotename.h"

namespace {

std::vector<std::string> Names(const CFileRowStore& store, const std::vector<int>& rows)
{
  std::vector<std::string> out;
  for (int row : rows)
    out.push_back(store.Row(row)->m_name);
  return out;
}

TEST(ChoiceRules, ChosenRowsAreFoundAgainAfterRowsMoved)
{
  CFileRowStore store;
  for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"})
    store.InsertRow(store.RowCount(), name, kRowFile);
  store.InsertRow(0, "dir", kRowFolder);
  const std::vector<ChosenRow> chosen = ChosenOf(store, {3, 99});  // c.txt; out of range left out
  ASSERT_EQ(chosen.size(), 1u);
  EXPECT_EQ(chosen[0].name, "c.txt");

  // a.txt removed: c.txt moved up one, and its old index holds d.txt.
  store.DeleteRow(1);
  EXPECT_EQ(Names(store, RowsOfChosen(store, chosen)), std::vector<std::string>{"c.txt"});
  // Re-sorted descending, then rows in front: still c.txt.
  store.SortRuns(0, FALSE);
  store.InsertRow(0, "0.txt", kRowFile);
  EXPECT_EQ(Names(store, RowsOfChosen(store, chosen)), std::vector<std::string>{"c.txt"});
  // Gone: nothing, never a neighbour.
  store.DeleteRow(RowsOfChosen(store, chosen)[0]);
  EXPECT_TRUE(RowsOfChosen(store, chosen).empty());

  // Kind counts: a folder now listed under a file's name is not the file.
  store.InsertRow(0, "c.txt", kRowFolder);
  EXPECT_TRUE(RowsOfChosen(store, chosen).empty());
  // In list order, each row once, a name listed twice taken as often as chosen.
  store.InsertRow(store.RowCount(), "b.txt", kRowFile);
  const std::vector<ChosenRow> two = {{"dir", kRowFolder}, {"b.txt", kRowFile}};
  EXPECT_EQ(Names(store, RowsOfChosen(store, two)), (std::vector<std::string>{"dir", "b.txt"}));
  EXPECT_TRUE(RowsOfChosen(store, {}).empty());
}

// A tree as FindNodeByKey walks it: nodes are ints, 0 is none.
struct FakeTree {
  using Node = int;
  struct Item {
    std::string label;
    intptr_t data;
    int parent;
  };
  std::map<int, Item> items;  // in insertion order by id
  int Add(int parent, const std::string& label, intptr_t data = 0)
  {
    const int id = items.empty() ? 1 : items.rbegin()->first + 1;
    items[id] = Item{label, data, parent};
    return id;
  }
  int Sibling(int node, int parent) const
  {
    for (auto it = items.upper_bound(node); it != items.end(); ++it)
      if (it->second.parent == parent)
        return it->first;
    return 0;
  }
  Node TopFirst() const { return Sibling(0, -1); }
  Node FirstChild(Node node) const { return Sibling(0, node); }
  Node Next(Node node) const { return Sibling(node, items.at(node).parent); }
  std::string Label(Node node) const { return items.at(node).label; }
  intptr_t Data(Node node) const { return items.at(node).data; }
};

TEST(ChoiceRules, ANodeIsFoundAgainByWhatItStandsFor)
{
  FakeTree tree;
  const int siteA = tree.Add(-1, "site", 0), siteB = tree.Add(-1, "site", 1);
  const int pub = tree.Add(siteB, "pub"), docs = tree.Add(pub, "docs");
  tree.Add(pub, "docs2");
  const NodeKey key{1, {"site", "pub", "docs"}};
  EXPECT_EQ(FindNodeByKey(tree, key), docs);
  EXPECT_EQ(FindNodeByKey(tree, NodeKey{0, {"site"}}), siteA) << "sites of one name told apart by their slot";
  // docs deleted; a new node somewhere else: the key finds nothing.
  tree.items.erase(docs);
  tree.Add(siteA, "docs");
  EXPECT_EQ(FindNodeByKey(tree, key), 0);
  EXPECT_EQ(FindNodeByKey(tree, NodeKey{}), 0);
  EXPECT_EQ(FindNodeByKey(FakeTree{}, key), 0);
}

TEST(ChoiceRules, RepliesAreMatchedByTheirFolder)
{
  EXPECT_TRUE(SameServerFolder("/pub/docs", "/pub/docs/"));
  EXPECT_TRUE(SameServerFolder("/", "/"));
  EXPECT_TRUE(SameServerFolder("/pub", "")) << "a sender naming no folder";
  EXPECT_FALSE(SameServerFolder("/pub/docs", "/pub"));
  EXPECT_FALSE(SameServerFolder("/pub/Docs", "/pub/docs"));

  EXPECT_TRUE(IsEntryOfLocalFolder("C:\\data", "C:\\data\\a.txt"));
  EXPECT_TRUE(IsEntryOfLocalFolder("c:\\Data\\", "C:\\DATA\\a.txt"));
  EXPECT_TRUE(IsEntryOfLocalFolder("C:\\", "C:\\a.txt"));
  EXPECT_TRUE(IsEntryOfLocalFolder("C:\\data", ""));
  EXPECT_FALSE(IsEntryOfLocalFolder("C:\\data", "C:\\data\\sub\\a.txt"));
  EXPECT_FALSE(IsEntryOfLocalFolder("C:\\data", "C:\\dat\\a.txt"));
  EXPECT_FALSE(IsEntryOfLocalFolder("C:\\data", "a.txt"));
}

TEST(ChoiceRules, NamesTypedForTheServerStayInTheirFolder)
{
  EXPECT_EQ(CheckRemoteName("a b.txt"), RemoteNameCheck::kOk);
  EXPECT_EQ(CheckRemoteName("..a"), RemoteNameCheck::kOk);
  EXPECT_EQ(CheckRemoteName("a\\b"), RemoteNameCheck::kOk) << "a server name may hold a backslash";
  EXPECT_EQ(CheckRemoteName(""), RemoteNameCheck::kEmpty);
  EXPECT_EQ(CheckRemoteName(nullptr), RemoteNameCheck::kEmpty);
  for (const char* bad : {"../a.txt", "a/b", "/", ".", "..", "a\r\nDELE b", "a\n"})
    EXPECT_EQ(CheckRemoteName(bad), RemoteNameCheck::kLeavesFolder) << bad;
  EXPECT_EQ(CheckRemoteName(std::string(kEntryNameLen - 1, 'n').c_str()), RemoteNameCheck::kOk);
  EXPECT_EQ(CheckRemoteName(std::string(kEntryNameLen, 'n').c_str()), RemoteNameCheck::kTooLong);
  EXPECT_EQ(CheckRemoteName(std::string(259, 'n').c_str()), RemoteNameCheck::kTooLong) << "what rename allowed";
}

}  // namespace
