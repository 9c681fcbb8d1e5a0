#include "shell/taskdlgs/sitecombo.h"

#include "shell/doc/zarndoc.h"

int FillSiteCombo(CComboBox& combo, int select)
{
  combo.ResetContent();
  int chosen = -1;
  for (int slot = 0; g_pDoc != nullptr && slot < MAX_SITES; ++slot) {
    const CSiteItem* site = g_pDoc->GetSite(slot);
    if (site == nullptr)
      continue;
    const int item = combo.AddString(SiteField(site->m_name));
    if (item < 0)
      continue;
    combo.SetItemData(item, (DWORD_PTR)slot);
    if (slot == select)
      chosen = item;
  }
  const int count = combo.GetCount();
  if (count > 0)
    combo.SetCurSel(chosen >= 0 ? chosen : 0);
  return count;
}

int SelectedSiteSlot(const CComboBox& combo)
{
  const int item = combo.GetCurSel();
  if (item < 0 || g_pDoc == nullptr)
    return -1;
  const int slot = (int)combo.GetItemData(item);
  const CSiteItem* site = g_pDoc->GetSite(slot);
  CString alias;
  combo.GetLBText(item, alias);
  if (site == nullptr || alias != SiteField(site->m_name))
    return -1;
  return slot;
}
