#include "views/panelinks.h"

// GUI thread only: views register and look each other up as windows are made.
static CPartnerList* s_partners[3] = {};
static CLocalTreeLink* s_localTree = nullptr;

CPartnerList* PartnerList(int slot)
{
  return slot >= 0 && slot < 3 ? s_partners[slot] : nullptr;
}

void SetPartnerList(int slot, CPartnerList* list)
{
  if (slot >= 0 && slot < 3)
    s_partners[slot] = list;
}

void ClearPartnerList(int slot, CPartnerList* list)
{
  if (slot >= 0 && slot < 3 && s_partners[slot] == list)
    s_partners[slot] = nullptr;
}

CLocalTreeLink* LocalTreeLink()
{
  return s_localTree;
}

void SetLocalTreeLink(CLocalTreeLink* link)
{
  s_localTree = link;
}

void ClearLocalTreeLink(CLocalTreeLink* link)
{
  if (s_localTree == link)
    s_localTree = nullptr;
}
