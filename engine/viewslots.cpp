#include "engine/viewslots.h"

#include "engine/exitrequest.h"
#include "engine/siteitem.h"

ViewSlot g_pSerTrView;
ViewSlot g_pSerTrView1;
ViewSlot g_pFuncView;
ViewSlot g_pSerLiView;
ViewSlot g_pSerLiView1;
ViewSlot g_pLocLiView;

ViewSlot& ViewSlot::operator=(CWnd* wnd)
{
  std::lock_guard<std::mutex> hold(m_lock);
  m_wnd.store(wnd);
  return *this;
}

bool ViewSlot::compare_exchange_strong(CWnd*& expected, CWnd* desired)
{
  std::lock_guard<std::mutex> hold(m_lock);
  return m_wnd.compare_exchange_strong(expected, desired);
}

HWND ViewSlot::Window() const
{
  // Under the lock: the owner cannot clear the slot and free the object
  // between the load and the read of its handle.
  std::lock_guard<std::mutex> hold(m_lock);
  CWnd* wnd = m_wnd.load();
  return wnd != nullptr ? wnd->m_hWnd : nullptr;
}

LRESULT SendToView(const ViewSlot& slot, UINT message, WPARAM wParam, LPARAM lParam)
{
  if (g_exitRequested.load() != 0)
    return 0;
  HWND hWnd = slot.Window();
  // A window destroyed since the read only fails the send.
  return hWnd != nullptr && ::IsWindow(hWnd) ? ::SendMessageA(hWnd, message, wParam, lParam) : 0;
}

BOOL PostToView(const ViewSlot& slot, UINT message, WPARAM wParam, LPARAM lParam)
{
  HWND hWnd = slot.Window();
  return hWnd != nullptr && ::PostMessageA(hWnd, message, wParam, lParam);
}

ViewSlot& ServerTreeSlot(int paneFlag)
{
  return paneFlag == 1 ? g_pSerTrView : g_pSerTrView1;
}

void PostSiteState(CSiteItem* site, int connected)
{
  if (site == nullptr)
    return;
  // A window going away in the meantime only loses the post.
  PostToView(g_pSerTrView, UWM_SITE_STATE, (WPARAM)site->m_hTreeNode, (LPARAM)connected);
  PostToView(g_pSerTrView1, UWM_SITE_STATE, (WPARAM)site->m_hTreeNode1, (LPARAM)connected);
}
