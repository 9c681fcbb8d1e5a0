// OLE start-up, drop targets, data objects and data sources.
#include "framework/ole.h"

#include <shlobj.h>

#include "framework/docview.h"

namespace {

// OLE started by AfxOleInit on this thread.
thread_local bool t_bOleInit = false;
// A drag runs (one at a time: OLE's loop is modal).
LONG g_nDragging = 0;
// Blocks handed out by data objects and not yet freed.
LONG g_nLiveBlocks = 0;

FORMATETC GlobalFormat(CLIPFORMAT cfFormat) {
  FORMATETC fe = {cfFormat, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  return fe;
}

// A movable copy of the block, or null.
HGLOBAL CopyBlock(HGLOBAL hSource) {
  SIZE_T cb = ::GlobalSize(hSource);
  HGLOBAL hCopy = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, cb != 0 ? cb : 1);
  if (hCopy == nullptr)
    return nullptr;
  void* pFrom = ::GlobalLock(hSource);
  void* pTo = ::GlobalLock(hCopy);
  if (pFrom == nullptr || pTo == nullptr) {
    if (pFrom != nullptr)
      ::GlobalUnlock(hSource);
    if (pTo != nullptr)
      ::GlobalUnlock(hCopy);
    ::GlobalFree(hCopy);
    return nullptr;
  }
  memcpy(pTo, pFrom, cb);
  ::GlobalUnlock(hSource);
  ::GlobalUnlock(hCopy);
  return hCopy;
}

}  // namespace

// ---- start-up ----

BOOL AfxOleInit() {
  if (t_bOleInit)
    return TRUE;
  HRESULT hr = ::OleInitialize(nullptr);
  if (FAILED(hr))
    return FALSE;
  t_bOleInit = true;
  return TRUE;
}

void AfxOleTerm() {
  if (!t_bOleInit)
    return;
  t_bOleInit = false;
  ::OleUninitialize();
}

void AfxEnableControlContainer() {}

// ---- COleDataObject ----

LONG COleDataObject::GetLiveBlockCount() { return ::InterlockedCompareExchange(&g_nLiveBlocks, 0, 0); }

void COleDataObject::Attach(LPDATAOBJECT lpDataObject, BOOL bAutoRelease) {
  Release();
  m_lpDataObject = lpDataObject;
  m_bAutoRelease = bAutoRelease;
}

LPDATAOBJECT COleDataObject::Detach() {
  LPDATAOBJECT lp = m_lpDataObject;
  m_bAutoRelease = FALSE;
  Release();
  return lp;
}

void COleDataObject::Release() {
  for (HGLOBAL h : m_blocks) {
    ::GlobalFree(h);
    ::InterlockedDecrement(&g_nLiveBlocks);
  }
  m_blocks.clear();
  if (m_lpDataObject != nullptr && m_bAutoRelease)
    m_lpDataObject->Release();
  m_lpDataObject = nullptr;
  m_bAutoRelease = FALSE;
}

BOOL COleDataObject::IsDataAvailable(CLIPFORMAT cfFormat) {
  if (m_lpDataObject == nullptr)
    return FALSE;
  FORMATETC fe = GlobalFormat(cfFormat);
  return m_lpDataObject->QueryGetData(&fe) == S_OK;
}

HGLOBAL COleDataObject::GetGlobalData(CLIPFORMAT cfFormat) {
  if (m_lpDataObject == nullptr)
    return nullptr;
  FORMATETC fe = GlobalFormat(cfFormat);
  STGMEDIUM stg = {};
  if (m_lpDataObject->GetData(&fe, &stg) != S_OK)
    return nullptr;
  HGLOBAL hGlobal = nullptr;
  if (stg.tymed == TYMED_HGLOBAL && stg.hGlobal != nullptr) {
    if (stg.pUnkForRelease == nullptr) {
      hGlobal = stg.hGlobal;  // ours now
      stg.tymed = TYMED_NULL;
    } else {
      hGlobal = CopyBlock(stg.hGlobal);  // the source keeps its own
    }
  }
  ::ReleaseStgMedium(&stg);
  if (hGlobal == nullptr)
    return nullptr;
  m_blocks.push_back(hGlobal);
  ::InterlockedIncrement(&g_nLiveBlocks);
  return hGlobal;
}

// ---- drop targets ----

// What OLE holds of a COleDropTarget. It outlives its owner when OLE keeps it
// past a revoke (a window destroyed during a drag): it then answers none.
class CDropTargetSink : public IDropTarget {
public:
  explicit CDropTargetSink(COleDropTarget* pOwner) : m_pOwner(pOwner) {}

  void Detach() {
    m_pOwner = nullptr;
    SetDataObject(nullptr);
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr)
      return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropTarget)) {
      *ppv = static_cast<IDropTarget*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return (ULONG)::InterlockedIncrement(&m_cRef); }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG n = ::InterlockedDecrement(&m_cRef);
    if (n == 0)
      delete this;
    return (ULONG)n;
  }

  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt,
                                      DWORD* pdwEffect) override {
    if (pdwEffect == nullptr)
      return E_INVALIDARG;
    DROPEFFECT allowed = *pdwEffect;
    *pdwEffect = DROPEFFECT_NONE;
    SetDataObject(pDataObj);
    if (m_pOwner == nullptr || pDataObj == nullptr)
      return S_OK;
    Hold hold(this);  // the handler may revoke (destroy the window)
    COleDataObject data;
    data.Attach(pDataObj, FALSE);
    *pdwEffect = m_pOwner->OnDragEnter(m_pOwner->GetWnd(), &data, grfKeyState, ClientPoint(pt)) & allowed;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE DragOver(DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override {
    if (pdwEffect == nullptr)
      return E_INVALIDARG;
    DROPEFFECT allowed = *pdwEffect;
    *pdwEffect = DROPEFFECT_NONE;
    if (m_pOwner == nullptr || m_lpDataObject == nullptr)
      return S_OK;
    Hold hold(this);
    COleDataObject data;
    data.Attach(m_lpDataObject, FALSE);
    *pdwEffect = m_pOwner->OnDragOver(m_pOwner->GetWnd(), &data, grfKeyState, ClientPoint(pt)) & allowed;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE DragLeave() override {
    Hold hold(this);
    if (m_pOwner != nullptr && m_lpDataObject != nullptr)
      m_pOwner->OnDragLeave(m_pOwner->GetWnd());
    SetDataObject(nullptr);
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Drop(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override {
    if (pdwEffect == nullptr)
      return E_INVALIDARG;
    DROPEFFECT allowed = *pdwEffect;
    *pdwEffect = DROPEFFECT_NONE;
    if (pDataObj == nullptr)
      pDataObj = m_lpDataObject;
    Hold hold(this);
    if (m_pOwner != nullptr && pDataObj != nullptr)
      *pdwEffect = RunDrop(pDataObj, grfKeyState, ClientPoint(pt), allowed);
    SetDataObject(nullptr);
    return S_OK;
  }

private:
  ~CDropTargetSink() { SetDataObject(nullptr); }

  // Keeps the sink alive across a handler that may drop the last reference.
  struct Hold {
    explicit Hold(CDropTargetSink* p) : m_p(p) { m_p->AddRef(); }
    ~Hold() { m_p->Release(); }
    CDropTargetSink* m_p;
  };

  DROPEFFECT RunDrop(IDataObject* pDataObj, DWORD grfKeyState, CPoint point, DROPEFFECT allowed) {
    COleDataObject data;
    data.Attach(pDataObj, FALSE);
    // Asked again at the drop point: the views take their target from it.
    DROPEFFECT effect = m_pOwner->OnDragOver(m_pOwner->GetWnd(), &data, grfKeyState, point) & allowed;
    if (m_pOwner == nullptr)
      return DROPEFFECT_NONE;
    DROPEFFECT result = m_pOwner->OnDropEx(m_pOwner->GetWnd(), &data, effect, allowed, point);
    if (result != (DROPEFFECT)-1)
      return result & allowed;
    if (m_pOwner == nullptr)
      return DROPEFFECT_NONE;
    if (effect == DROPEFFECT_NONE) {
      m_pOwner->OnDragLeave(m_pOwner->GetWnd());  // clears the highlights
      return DROPEFFECT_NONE;
    }
    return m_pOwner->OnDrop(m_pOwner->GetWnd(), &data, effect, point) ? effect : DROPEFFECT_NONE;
  }

  CPoint ClientPoint(POINTL pt) const {
    POINT p = {pt.x, pt.y};
    CWnd* pWnd = m_pOwner != nullptr ? m_pOwner->GetWnd() : nullptr;
    if (pWnd != nullptr && pWnd->m_hWnd != nullptr)
      ::ScreenToClient(pWnd->m_hWnd, &p);
    return CPoint(p);
  }

  void SetDataObject(IDataObject* p) {
    if (p != nullptr)
      p->AddRef();
    IDataObject* pOld = m_lpDataObject;
    m_lpDataObject = p;
    if (pOld != nullptr)
      pOld->Release();
  }

  LONG m_cRef = 1;
  COleDropTarget* m_pOwner;
  IDataObject* m_lpDataObject = nullptr;  // of the drag over the window now
};

IMPLEMENT_DYNAMIC(COleDropTarget, CCmdTarget)

COleDropTarget::COleDropTarget() = default;

COleDropTarget::~COleDropTarget() { Revoke(); }

BOOL COleDropTarget::Register(CWnd* pWnd) {
  if (!t_bOleInit || m_pSink != nullptr || pWnd == nullptr || pWnd->m_hWnd == nullptr ||
      pWnd->m_pDropTarget != nullptr)
    return FALSE;
  // Only a window whose messages come through the framework tells us when it
  // goes, and OLE must be told while the handle still exists.
  if (CWnd::FromHandlePermanent(pWnd->m_hWnd) != pWnd || !pWnd->m_bRouted)
    return FALSE;
  CDropTargetSink* pSink = new CDropTargetSink(this);
  if (::RegisterDragDrop(pWnd->m_hWnd, pSink) != S_OK) {
    pSink->Detach();
    pSink->Release();
    return FALSE;
  }
  m_pSink = pSink;
  m_pWnd = pWnd;
  pWnd->m_pDropTarget = this;
  return TRUE;
}

void COleDropTarget::Revoke() {
  if (m_pSink == nullptr)
    return;
  if (m_pWnd != nullptr) {
    if (m_pWnd->m_hWnd != nullptr)
      ::RevokeDragDrop(m_pWnd->m_hWnd);
    if (m_pWnd->m_pDropTarget == this)
      m_pWnd->m_pDropTarget = nullptr;
  }
  m_pWnd = nullptr;
  CDropTargetSink* pSink = m_pSink;
  m_pSink = nullptr;
  pSink->Detach();
  pSink->Release();
}

LPDROPTARGET COleDropTarget::GetDropTarget() const { return m_pSink; }

DROPEFFECT COleDropTarget::OnDragEnter(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, CPoint point) {
  CView* pView = DYNAMIC_DOWNCAST(CView, pWnd);
  return pView != nullptr ? pView->OnDragEnter(pDataObject, dwKeyState, point) : DROPEFFECT_NONE;
}

DROPEFFECT COleDropTarget::OnDragOver(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, CPoint point) {
  CView* pView = DYNAMIC_DOWNCAST(CView, pWnd);
  return pView != nullptr ? pView->OnDragOver(pDataObject, dwKeyState, point) : DROPEFFECT_NONE;
}

BOOL COleDropTarget::OnDrop(CWnd* pWnd, COleDataObject* pDataObject, DROPEFFECT dropEffect, CPoint point) {
  CView* pView = DYNAMIC_DOWNCAST(CView, pWnd);
  return pView != nullptr ? pView->OnDrop(pDataObject, dropEffect, point) : FALSE;
}

DROPEFFECT COleDropTarget::OnDropEx(CWnd* pWnd, COleDataObject* pDataObject, DROPEFFECT dropDefault,
                                    DROPEFFECT dropList, CPoint point) {
  CView* pView = DYNAMIC_DOWNCAST(CView, pWnd);
  return pView != nullptr ? pView->OnDropEx(pDataObject, dropDefault, dropList, point) : (DROPEFFECT)-1;
}

void COleDropTarget::OnDragLeave(CWnd* pWnd) {
  CView* pView = DYNAMIC_DOWNCAST(CView, pWnd);
  if (pView != nullptr)
    pView->OnDragLeave();
}

// ---- data sources ----

// The COM half of a COleDataSource: the cached block lives as long as any
// reference does (the wrapper's or a target's).
class CDataSourceObject : public IDataObject, public IDropSource {
public:
  void Cache(CLIPFORMAT cfFormat, HGLOBAL hGlobal) {
    Free();
    m_cfFormat = cfFormat;
    m_hGlobal = hGlobal;
  }
  void Free() {
    if (m_hGlobal != nullptr)
      ::GlobalFree(m_hGlobal);
    m_hGlobal = nullptr;
    m_cfFormat = 0;
  }
  BOOL HasData() const { return m_hGlobal != nullptr; }
  void SetDropButtons(DWORD dwButtons) { m_dwButtonDrop = dwButtons; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr)
      return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject))
      *ppv = static_cast<IDataObject*>(this);
    else if (IsEqualIID(riid, IID_IDropSource))
      *ppv = static_cast<IDropSource*>(this);
    else {
      *ppv = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return (ULONG)::InterlockedIncrement(&m_cRef); }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG n = ::InterlockedDecrement(&m_cRef);
    if (n == 0)
      delete this;
    return (ULONG)n;
  }

  // IDataObject: one format, answered with copies; nothing can be set.
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* pfe, STGMEDIUM* pmedium) override {
    if (pfe == nullptr || pmedium == nullptr)
      return E_INVALIDARG;
    memset(pmedium, 0, sizeof(*pmedium));
    HRESULT hr = Matches(pfe);
    if (hr != S_OK)
      return hr;
    HGLOBAL hCopy = CopyBlock(m_hGlobal);
    if (hCopy == nullptr)
      return E_OUTOFMEMORY;
    pmedium->tymed = TYMED_HGLOBAL;
    pmedium->hGlobal = hCopy;
    pmedium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* pfe) override {
    return pfe == nullptr ? E_INVALIDARG : Matches(pfe);
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* pOut) override {
    if (pOut == nullptr)
      return E_INVALIDARG;
    pOut->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppEnum) override {
    if (ppEnum == nullptr)
      return E_INVALIDARG;
    *ppEnum = nullptr;
    if (dwDirection != DATADIR_GET)
      return E_NOTIMPL;
    FORMATETC fe = GlobalFormat(m_cfFormat);
    return ::SHCreateStdEnumFmtEtc(HasData() ? 1 : 0, &fe, ppEnum);
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

  // IDropSource.
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL fEscapePressed, DWORD grfKeyState) override {
    if (fEscapePressed)
      return DRAGDROP_S_CANCEL;
    if ((grfKeyState & m_dwButtonDrop) == 0)
      return DRAGDROP_S_DROP;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

private:
  ~CDataSourceObject() { Free(); }

  HRESULT Matches(const FORMATETC* pfe) const {
    if (!HasData() || pfe->cfFormat != m_cfFormat)
      return DV_E_FORMATETC;
    if ((pfe->tymed & TYMED_HGLOBAL) == 0)
      return DV_E_TYMED;
    if (pfe->dwAspect != DVASPECT_CONTENT)
      return DV_E_DVASPECT;
    if (pfe->lindex != -1)
      return DV_E_LINDEX;
    return S_OK;
  }

  LONG m_cRef = 1;
  CLIPFORMAT m_cfFormat = 0;
  HGLOBAL m_hGlobal = nullptr;
  DWORD m_dwButtonDrop = MK_LBUTTON;
};

COleDataSource::COleDataSource() : m_pObject(new CDataSourceObject) {}

COleDataSource::~COleDataSource() { m_pObject->Release(); }

void COleDataSource::CacheGlobalData(CLIPFORMAT cfFormat, HGLOBAL hGlobal) { m_pObject->Cache(cfFormat, hGlobal); }

void COleDataSource::Empty() { m_pObject->Free(); }

LPDATAOBJECT COleDataSource::GetDataObject() const { return m_pObject; }

LPDROPSOURCE COleDataSource::GetDropSource() const { return m_pObject; }

DROPEFFECT COleDataSource::DoDragDrop(DWORD dwEffects) {
  if (!m_pObject->HasData())
    return DROPEFFECT_NONE;
  if (::InterlockedCompareExchange(&g_nDragging, 1, 0) != 0)
    return DROPEFFECT_NONE;  // OLE's loop runs already
  DWORD dwButtons = 0;
  if (::GetKeyState(VK_LBUTTON) < 0)
    dwButtons |= MK_LBUTTON;
  if (::GetKeyState(VK_RBUTTON) < 0)
    dwButtons |= MK_RBUTTON;
  if (::GetKeyState(VK_MBUTTON) < 0)
    dwButtons |= MK_MBUTTON;
  // With no button down the drag drops at once, where the cursor is.
  m_pObject->SetDropButtons(dwButtons != 0 ? dwButtons : MK_LBUTTON | MK_RBUTTON | MK_MBUTTON);
  CDataSourceObject* pObject = m_pObject;
  pObject->AddRef();
  DWORD dwEffect = DROPEFFECT_NONE;
  HRESULT hr = ::DoDragDrop(pObject, pObject, dwEffects, &dwEffect);
  pObject->Release();
  ::InterlockedExchange(&g_nDragging, 0);
  return hr == DRAGDROP_S_DROP ? (dwEffect & dwEffects) : DROPEFFECT_NONE;
}
