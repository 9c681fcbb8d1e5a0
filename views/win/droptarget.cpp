#include "views/droptarget.h"

#include "engine/viewmessages.h"
#include "framework/docview.h"

namespace {

bool IsView(CWnd* pWnd) { return pWnd != nullptr && pWnd->IsKindOf(RUNTIME_CLASS(CView)); }

LRESULT SendInfo(CWnd* pWnd, UINT message, COleDropInfo* info)
{
  if (pWnd == nullptr || pWnd->m_hWnd == nullptr)
    return 0;
  return ::SendMessageA(pWnd->m_hWnd, message, (WPARAM)info, 0);
}

}  // namespace

DROPEFFECT CMyDropTarget::OnDragEnter(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, CPoint point)
{
  if (IsView(pWnd))
    return COleDropTarget::OnDragEnter(pWnd, pDataObject, dwKeyState, point);
  COleDropInfo info(pDataObject, dwKeyState, DROPEFFECT_NONE, DROPEFFECT_NONE, point);
  return (DROPEFFECT)SendInfo(pWnd, UWM_DRAG_ENTER, &info);
}

DROPEFFECT CMyDropTarget::OnDragOver(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, CPoint point)
{
  if (IsView(pWnd))
    return COleDropTarget::OnDragOver(pWnd, pDataObject, dwKeyState, point);
  COleDropInfo info(pDataObject, dwKeyState, DROPEFFECT_NONE, DROPEFFECT_NONE, point);
  return (DROPEFFECT)SendInfo(pWnd, UWM_DRAG_OVER, &info);
}

BOOL CMyDropTarget::OnDrop(CWnd* pWnd, COleDataObject* pDataObject, DROPEFFECT dropEffect, CPoint point)
{
  if (IsView(pWnd))
    return COleDropTarget::OnDrop(pWnd, pDataObject, dropEffect, point);
  COleDropInfo info(pDataObject, 0, dropEffect, DROPEFFECT_NONE, point);
  return SendInfo(pWnd, UWM_DROP, &info) != 0 ? TRUE : FALSE;
}

DROPEFFECT CMyDropTarget::OnDropEx(CWnd* pWnd, COleDataObject* pDataObject, DROPEFFECT dropDefault,
                                   DROPEFFECT dropList, CPoint point)
{
  if (IsView(pWnd))
    return COleDropTarget::OnDropEx(pWnd, pDataObject, dropDefault, dropList, point);
  COleDropInfo info(pDataObject, 0, dropDefault, dropList, point);
  return (DROPEFFECT)SendInfo(pWnd, UWM_DROP_EX, &info);
}

void CMyDropTarget::OnDragLeave(CWnd* pWnd)
{
  if (IsView(pWnd)) {
    COleDropTarget::OnDragLeave(pWnd);
    return;
  }
  if (pWnd != nullptr && pWnd->m_hWnd != nullptr)
    ::SendMessageA(pWnd->m_hWnd, UWM_DRAG_LEAVE, 0, 0);
}
