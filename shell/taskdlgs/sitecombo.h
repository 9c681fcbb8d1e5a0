// The site combo of the dialogs that list work sites: the alias of every
// non-empty slot of the document's table, in slot order, the slot as item data.
#pragma once

#include <cstring>

#include "framework/controls.h"

// A site's text field as text: a field filled to its width has no end mark.
template <size_t N>
CString SiteField(const char (&field)[N])
{
  return CString(field, (int)strnlen(field, N));
}

// Refills the combo; selects the item of slot `select` when listed, else the
// first item (none when the table is empty). Returns the item count.
int FillSiteCombo(CComboBox& combo, int select);
// The slot of the selected item when that slot still holds the site the item
// names; -1 otherwise (nothing selected, the site deleted or replaced).
int SelectedSiteSlot(const CComboBox& combo);
