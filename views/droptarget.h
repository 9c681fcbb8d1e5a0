// CMyDropTarget: a drop target for windows that are not views. A view gets the
// framework's own behaviour (its drag functions); any other window gets each
// drag event as a message (engine/viewmessages.h) with a COleDropInfo in
// wParam, and its answer goes back to OLE.
#pragma once

#include "framework/ole.h"

class CMyDropTarget : public COleDropTarget {
public:
  DROPEFFECT OnDragEnter(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, CPoint point) override;
  DROPEFFECT OnDragOver(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, CPoint point) override;
  BOOL OnDrop(CWnd* pWnd, COleDataObject* pDataObject, DROPEFFECT dropEffect, CPoint point) override;
  DROPEFFECT OnDropEx(CWnd* pWnd, COleDataObject* pDataObject, DROPEFFECT dropDefault, DROPEFFECT dropList,
                      CPoint point) override;
  void OnDragLeave(CWnd* pWnd) override;
};
