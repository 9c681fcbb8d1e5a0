// The rows a command works on, taken as records (name and kind) when the user
// gives the command: boxes and dialogs pump messages, and a listing, removal
// or sort landing meanwhile moves the rows under their indices. The command
// finds its rows again by record; a list that changes its rows re-selects the
// same records.
#pragma once

#include <string>
#include <vector>

#include "views/filerows.h"

struct ChosenRow {
  std::string name;
  int kind = 0;
  bool operator==(const ChosenRow& o) const { return name == o.name && kind == o.kind; }
};

// The records of rows (out-of-range ones left out), in the given order.
std::vector<ChosenRow> ChosenOf(const CFileRowStore& store, const std::vector<int>& rows);

// The rows that hold the chosen records now, in list order: a record gone (or
// now of another kind) is left out, and each row is taken once.
std::vector<int> RowsOfChosen(const CFileRowStore& store, const std::vector<ChosenRow>& chosen);
