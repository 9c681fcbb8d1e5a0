// OLE drag and drop inside the program: start-up of OLE, drop targets that
// call their window's (or view's) drag functions, the data object a target
// reads, and the data source a window drags a global block with.
//
// GUI thread only. OLE calls a target on the thread that registered it; a drag
// (COleDataSource::DoDragDrop) runs OLE's modal loop, which dispatches posted
// and sent messages, so workers that SendMessage to windows are answered and a
// drop handler may open a modal box (the layer holds no capture or lock then).
#pragma once

#include <ole2.h>

#include <vector>

#include "framework/wnd.h"

typedef DWORD DROPEFFECT;

// OleInitialize on the calling (GUI) thread; TRUE when OLE runs there. A second
// call is harmless. CWinApp::ExitInstance undoes it.
BOOL AfxOleInit();
// Undoes AfxOleInit on the calling thread (nothing when it did not run there).
void AfxOleTerm();
// Nothing the program hosts is an OLE control: kept for start-up's sake.
void AfxEnableControlContainer();

// A drag's data as a target sees it: an IDataObject of the source. Every block
// handed out by GetGlobalData belongs to this object and is freed when it is
// released or attached anew; receivers lock and unlock it and keep nothing.
class COleDataObject {
public:
  COleDataObject() = default;
  ~COleDataObject() { Release(); }
  COleDataObject(const COleDataObject&) = delete;
  COleDataObject& operator=(const COleDataObject&) = delete;

  // bAutoRelease: Release() also releases the interface.
  void Attach(LPDATAOBJECT lpDataObject, BOOL bAutoRelease = TRUE);
  LPDATAOBJECT Detach();
  void Release();
  LPDATAOBJECT GetIDataObject() const { return m_lpDataObject; }

  // Offered in the content aspect, index -1, global memory.
  BOOL IsDataAvailable(CLIPFORMAT cfFormat);
  // The block of that format (GlobalSize tells how much may be read), or null.
  HGLOBAL GetGlobalData(CLIPFORMAT cfFormat);

  // Blocks handed out by every data object and not yet freed (a test seam).
  static LONG GetLiveBlockCount();

private:
  LPDATAOBJECT m_lpDataObject = nullptr;
  BOOL m_bAutoRelease = FALSE;
  std::vector<HGLOBAL> m_blocks;
};

// The record a drag event is described by (made on the stack for one message).
struct COleDropInfo {
  COleDropInfo() = default;
  COleDropInfo(COleDataObject* pDataObject, DWORD dwKeyState, DROPEFFECT dropEffect, DROPEFFECT dropEffectList,
               CPoint point)
      : m_pDataObject(pDataObject),
        m_dwKeyState(dwKeyState),
        m_dropEffect(dropEffect),
        m_dropEffectList(dropEffectList),
        m_point(point) {}

  COleDataObject* m_pDataObject = nullptr;
  DWORD m_dwKeyState = 0;
  DROPEFFECT m_dropEffect = DROPEFFECT_NONE;
  DROPEFFECT m_dropEffectList = DROPEFFECT_NONE;
  CPoint m_point;
};

class CDropTargetSink;

// A window's drop target, usually a member of the window. The points passed to
// the virtuals are in the registered window's client coordinates (also while
// the cursor is over a child control filling it); the key state is OLE's; every
// effect is cut to what the source allows. A drop asks OnDragOver once more at
// the drop point, then OnDropEx; when that gives -1, OnDrop runs with an effect
// (its FALSE makes the result none), and without one OnDragLeave runs instead.
// The defaults call a view's functions of the same name (CView), else do nothing.
//
// The interface that OLE holds is a small counted object of its own: OLE keeps
// it from drag-enter to drop or leave, so once this object is revoked or gone
// that interface answers none and calls nothing.
class COleDropTarget : public CCmdTarget {
  DECLARE_DYNAMIC(COleDropTarget)
public:
  COleDropTarget();
  ~COleDropTarget() override;  // revokes

  // RegisterDragDrop on the window; FALSE on failure, before AfxOleInit on this
  // thread, when this target is registered already or the window has a target.
  BOOL Register(CWnd* pWnd);
  void Revoke();  // also done when the window is destroyed
  CWnd* GetWnd() const { return m_pWnd; }

  // The interface registered with OLE (null when not registered): tests may call
  // it directly with a COleDataSource's IDataObject, with no modal loop.
  LPDROPTARGET GetDropTarget() const;

  virtual DROPEFFECT OnDragEnter(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, CPoint point);
  virtual DROPEFFECT OnDragOver(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, CPoint point);
  virtual BOOL OnDrop(CWnd* pWnd, COleDataObject* pDataObject, DROPEFFECT dropEffect, CPoint point);
  // (DROPEFFECT)-1: not handled.
  virtual DROPEFFECT OnDropEx(CWnd* pWnd, COleDataObject* pDataObject, DROPEFFECT dropDefault,
                              DROPEFFECT dropList, CPoint point);
  virtual void OnDragLeave(CWnd* pWnd);

private:
  CWnd* m_pWnd = nullptr;
  CDropTargetSink* m_pSink = nullptr;
};

class CDataSourceObject;

// The source of a drag: one global block in one format (content aspect, index
// -1, global memory). The block is the source's once cached and is freed when
// the last reference to the COM object goes, so a target that keeps a reference
// never dangles, the wrapper may live on the stack, and after DoDragDrop the
// caller can still lock the block it cached.
class COleDataSource {
public:
  COleDataSource();
  ~COleDataSource();
  COleDataSource(const COleDataSource&) = delete;
  COleDataSource& operator=(const COleDataSource&) = delete;

  // Takes hGlobal (a second call replaces the first block, which is freed).
  void CacheGlobalData(CLIPFORMAT cfFormat, HGLOBAL hGlobal);
  void Empty();

  // Runs the drag on this thread. Escape cancels; releasing the button that was
  // down when it started drops (with none down, it drops where the cursor is).
  // The final effect; none on cancel, failure, or while another drag runs.
  DROPEFFECT DoDragDrop(DWORD dwEffects = DROPEFFECT_COPY | DROPEFFECT_MOVE);

  // The COM object's interfaces (no reference added; valid while this lives).
  LPDATAOBJECT GetDataObject() const;
  LPDROPSOURCE GetDropSource() const;

private:
  CDataSourceObject* m_pObject;
};
