#include "views/chosenrows.h"

#include <algorithm>
#include <unordered_map>

std::vector<ChosenRow> ChosenOf(const CFileRowStore& store, const std::vector<int>& rows)
{
  std::vector<ChosenRow> out;
  out.reserve(rows.size());
  for (int index : rows)
    if (const CFileListItem* row = store.Row(index))
      out.push_back(ChosenRow{row->m_name, row->m_kind});
  return out;
}

std::vector<int> RowsOfChosen(const CFileRowStore& store, const std::vector<ChosenRow>& chosen)
{
  std::vector<int> out;
  if (chosen.empty())
    return out;
  // One pass over the rows: a list may hold many thousand.
  std::unordered_map<std::string, std::vector<int>> wanted;
  for (const ChosenRow& c : chosen)
    wanted[c.name].push_back(c.kind);
  for (int i = 0; i < store.RowCount(); ++i) {
    const CFileListItem* row = store.Row(i);
    auto it = wanted.find(row->m_name);
    if (it == wanted.end())
      continue;
    std::vector<int>& kinds = it->second;
    auto kind = std::find(kinds.begin(), kinds.end(), row->m_kind);
    if (kind == kinds.end())
      continue;
    kinds.erase(kind);  // a name listed twice is taken as often as it was chosen
    out.push_back(i);
  }
  return out;
}
