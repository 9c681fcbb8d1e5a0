// OLE drag and drop under wine64 and Xvfb: direct calls on a registered target,
// and real drags in one process.
//
// What a probe under wine64 (8.0) and Xvfb found, and the tests keep:
// - An xdotool drag works: button down on a source window whose press starts
//   DoDragDrop, moves over a registered view (or its child control), release:
//   the view gets enter, over and drop. An Escape in the thread's queue, where
//   OLE's loop reads keys, cancels it (a key typed through the X server would
//   go to whichever program has the focus, and other tests run beside).
// - SetCursorPos over a target and DoDragDrop with no button held does not
//   drop under Wine: OLE's first look at the buttons ends the drag before any
//   target is entered (none, and no target called). Not used.
#include "../framework_gui/guitest.h"

#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "../confirm/boxdriver.h"
#include "tests/support/xside.h"

CWinApp theApp("framework_ole");

namespace {

using guitest::PumpUntil;

CLIPFORMAT TestFormat() {
  static const CLIPFORMAT cf = (CLIPFORMAT)::RegisterClipboardFormatA("ZarnOleTestData");
  return cf;
}
CLIPFORMAT OtherFormat() {
  static const CLIPFORMAT cf = (CLIPFORMAT)::RegisterClipboardFormatA("ZarnOleOtherData");
  return cf;
}

HGLOBAL MakeBlock(const std::string& bytes) {
  HGLOBAL h = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE, bytes.size());
  memcpy(::GlobalLock(h), bytes.data(), bytes.size());
  ::GlobalUnlock(h);
  return h;
}

// A receiver reads what GlobalSize allows, no more.
std::string ReadBlock(HGLOBAL h) {
  const char* p = static_cast<const char*>(::GlobalLock(h));
  std::string s = p != nullptr ? std::string(p, ::GlobalSize(h)) : std::string("(unreadable)");
  ::GlobalUnlock(h);
  return s;
}

LONG Get(const volatile LONG& n) { return ::InterlockedCompareExchange(const_cast<LONG*>(&n), 0, 0); }

// What a test view saw; owned by the test, so it outlives a destroyed view.
struct DropLog {
  std::vector<std::string> calls;
  CPoint point;
  DWORD keyState = 0;
  std::string data;
  DROPEFFECT dropDefault = 0, dropList = 0;
  volatile LONG overs = 0, drops = 0, leaves = 0, paints = 0;
};

class CDropView : public CView {
public:
  explicit CDropView(DropLog* pLog) : m_log(pLog) {}
  COleDropTarget m_target;
  CListBox m_list;  // a child filling the view's lower half
  DROPEFFECT m_answer = DROPEFFECT_COPY;
  DROPEFFECT m_dropExResult = (DROPEFFECT)-1;
  BOOL m_dropResult = TRUE;
  std::function<void()> m_onDrop;
  bool m_highlight = false;

  DROPEFFECT OnDragEnter(COleDataObject* p, DWORD keys, CPoint pt) override { return Over("enter", p, keys, pt); }
  DROPEFFECT OnDragOver(COleDataObject* p, DWORD keys, CPoint pt) override {
    ::InterlockedIncrement(&m_log->overs);
    return Over("over", p, keys, pt);
  }
  DROPEFFECT OnDropEx(COleDataObject* p, DROPEFFECT def, DROPEFFECT list, CPoint pt) override {
    Note("dropex", p, pt);
    m_log->dropDefault = def;
    m_log->dropList = list;
    return m_dropExResult;
  }
  BOOL OnDrop(COleDataObject* p, DROPEFFECT, CPoint pt) override {
    Note("drop", p, pt);
    ::InterlockedIncrement(&m_log->drops);
    if (m_onDrop)
      m_onDrop();
    Highlight(false);
    return m_dropResult;
  }
  void OnDragLeave() override {
    m_log->calls.push_back("leave");
    ::InterlockedIncrement(&m_log->leaves);
    Highlight(false);
  }
  // The drag-over highlight, for the screenshot.
  void OnDraw(CDC* pDC) override {
    CRect rc;
    GetClientRect(&rc);
    pDC->FillSolidRect(&rc, m_highlight ? RGB(214, 244, 9) : RGB(255, 255, 255));
    pDC->SetBkMode(TRANSPARENT);
    pDC->TextOut(8, 8, m_highlight ? "drop here: copy" : "drop target");
    ::InterlockedIncrement(&m_log->paints);
  }

protected:
  afx_msg int OnCreate(LPCREATESTRUCT lpcs) {
    if (CView::OnCreate(lpcs) == -1)
      return -1;
    CRect rc(0, lpcs->cy / 2, lpcs->cx, lpcs->cy);
    m_list.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | LBS_NOTIFY, rc, this, 100);
    m_list.AddString("a child control");
    return 0;
  }
  DECLARE_MESSAGE_MAP()

private:
  void Note(const char* name, COleDataObject* p, CPoint pt) {
    m_log->calls.push_back(name);
    m_log->point = pt;
    HGLOBAL h = p->GetGlobalData(TestFormat());
    m_log->data = h != nullptr ? ReadBlock(h) : "(none)";
  }
  DROPEFFECT Over(const char* name, COleDataObject* p, DWORD keys, CPoint pt) {
    Note(name, p, pt);
    m_log->keyState = keys;
    Highlight(m_answer != DROPEFFECT_NONE);
    return m_answer;
  }
  void Highlight(bool b) {
    if (m_highlight != b) {
      m_highlight = b;
      Invalidate(FALSE);
    }
  }
  DropLog* m_log;
};

BEGIN_MESSAGE_MAP(CDropView, CView)
  ON_WM_CREATE()
END_MESSAGE_MAP()

const UINT WM_TEST_PING = WM_APP + 1;     // a worker's SendMessage: answered 42
const UINT WM_TEST_DESTROY = WM_APP + 2;  // destroys the window wParam

// A source window: a press starts a drag of one block.
class CDragSource : public CWnd {
public:
  std::string m_payload = "zarn drag payload";
  DROPEFFECT m_allowed = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  DROPEFFECT m_result = (DROPEFFECT)-2;
  std::string m_readBack;
  bool m_freedAfter = false;
  volatile LONG m_dragging = 0, m_done = 0, m_pingsInDrag = 0;

protected:
  afx_msg void OnLButtonDown(UINT, CPoint) {
    HGLOBAL h = MakeBlock(m_payload);
    {
      COleDataSource source;
      source.CacheGlobalData(TestFormat(), h);
      ::InterlockedExchange(&m_dragging, 1);
      m_result = source.DoDragDrop(m_allowed);
      ::InterlockedExchange(&m_dragging, 0);
      m_readBack = ReadBlock(h);  // still the source's after the drag
    }
    m_freedAfter = ::GlobalSize(h) == 0;
    ::InterlockedExchange(&m_done, 1);
  }
  afx_msg int OnMouseActivate(CWnd*, UINT, UINT) { return MA_NOACTIVATE; }
  afx_msg LRESULT OnPing(WPARAM, LPARAM) {
    if (Get(m_dragging))
      ::InterlockedIncrement(&m_pingsInDrag);
    return 42;
  }
  afx_msg LRESULT OnDestroyOther(WPARAM wParam, LPARAM) {
    ::DestroyWindow((HWND)wParam);
    return 0;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDragSource, CWnd)
  ON_WM_LBUTTONDOWN()
  ON_WM_MOUSEACTIVATE()
  ON_MESSAGE(WM_TEST_PING, OnPing)
  ON_MESSAGE(WM_TEST_DESTROY, OnDestroyOther)
END_MESSAGE_MAP()

TEST(OleStart, RegisterNeedsOleAndExitInstanceEndsIt) {
  guitest::BecomeGuiThread();
  CWnd wnd;
  ASSERT_TRUE(wnd.CreateEx(0, nullptr, "plain", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr));
  COleDropTarget target;
  EXPECT_FALSE(target.Register(&wnd));  // before AfxOleInit
  AfxEnableControlContainer();
  ASSERT_TRUE(AfxOleInit());
  ASSERT_TRUE(AfxOleInit());  // twice is harmless
  EXPECT_TRUE(target.Register(&wnd));
  target.Revoke();
  AfxGetApp()->ExitInstance();
  EXPECT_FALSE(target.Register(&wnd));
  ASSERT_TRUE(AfxOleInit());
  wnd.DestroyWindow();
}

class OleDrag : public ::testing::Test {
protected:
  void SetUp() override {
    guitest::BecomeGuiThread();
    ASSERT_TRUE(AfxOleInit());
    LPCTSTR cls = AfxRegisterWndClass(0, ::LoadCursorA(nullptr, (LPCSTR)IDC_ARROW), (HBRUSH)(COLOR_BTNFACE + 1));
    // Above other tests' windows, and never taking the focus from them.
    ASSERT_TRUE(m_top.CreateEx(WS_EX_TOPMOST | WS_EX_NOACTIVATE, cls, "OLE drag test", WS_POPUP | WS_BORDER, 100,
                               100, 720, 380, nullptr, nullptr));
    ASSERT_TRUE(m_source.Create(cls, "source", WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(10, 10, 210, 360),
                                &m_top, 1));
    m_view = NewView(CRect(250, 10, 650, 310), 2);
    ASSERT_NE(m_view, nullptr);
    m_top.ShowWindow(SW_SHOWNOACTIVATE);
    m_top.UpdateWindow();
  }
  void TearDown() override {
    if (m_top.m_hWnd != nullptr)
      m_top.DestroyWindow();
  }
  CDropView* NewView(const CRect& rc, UINT id) {
    CDropView* pView = new CDropView(&m_log);
    if (!pView->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, rc, &m_top, id) ||
        !pView->m_target.Register(pView))
      return nullptr;
    return pView;
  }
  // Clears the log; drag-enter (unless bEnter is false) and drop at (40, 50).
  DWORD EnterAndDrop(IDropTarget* pTarget, IDataObject* pData, DWORD allowed, bool bEnter = true) {
    m_log.calls.clear();
    DWORD effect = allowed;
    if (bEnter)
      pTarget->DragEnter(pData, MK_LBUTTON, ScreenPoint(m_view, 40, 50), &effect);
    effect = allowed;
    pTarget->Drop(pData, 0, ScreenPoint(m_view, 40, 50), &effect);
    return effect;
  }
  POINTL ScreenPoint(CWnd* pWnd, int x, int y) {
    POINT p = {x, y};
    pWnd->ClientToScreen(&p);
    return POINTL{p.x, p.y};
  }
  CWnd m_top;
  CDragSource m_source;
  CDropView* m_view = nullptr;
  DropLog m_log;
};

TEST_F(OleDrag, DirectCallsFollowTheDropProtocol) {
  COleDataSource source;
  source.CacheGlobalData(TestFormat(), MakeBlock("payload bytes"));
  IDataObject* pData = source.GetDataObject();
  IDropTarget* pTarget = m_view->m_target.GetDropTarget();
  ASSERT_NE(pTarget, nullptr);

  // Client point of a screen point (over the child list too), OLE's key state, the data.
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  ASSERT_EQ(pTarget->DragEnter(pData, MK_LBUTTON | MK_CONTROL, ScreenPoint(m_view, 30, 250), &effect), S_OK);
  EXPECT_EQ(effect, (DWORD)DROPEFFECT_COPY);
  EXPECT_EQ(m_log.point, CPoint(30, 250));
  EXPECT_EQ(m_log.keyState, (DWORD)(MK_LBUTTON | MK_CONTROL));
  EXPECT_EQ(m_log.data, "payload bytes");
  // Copy answered to a source that allows move only: none.
  effect = DROPEFFECT_MOVE;
  pTarget->DragOver(MK_LBUTTON, ScreenPoint(m_view, 5, 6), &effect);
  EXPECT_EQ(effect, (DWORD)DROPEFFECT_NONE);
  EXPECT_EQ(m_log.point, CPoint(5, 6));

  // The drop re-asks drag-over, then OnDropEx, then OnDrop with an effect.
  EXPECT_EQ(EnterAndDrop(pTarget, pData, DROPEFFECT_COPY | DROPEFFECT_MOVE, false), (DWORD)DROPEFFECT_COPY);
  EXPECT_EQ(m_log.calls, (std::vector<std::string>{"over", "dropex", "drop"}));
  EXPECT_EQ(m_log.dropDefault, (DWORD)DROPEFFECT_COPY);
  EXPECT_EQ(m_log.dropList, (DWORD)(DROPEFFECT_COPY | DROPEFFECT_MOVE));
  EXPECT_EQ(m_log.point, CPoint(40, 50));
  m_view->m_dropResult = FALSE;  // OnDrop's FALSE makes it none
  EXPECT_EQ(EnterAndDrop(pTarget, pData, DROPEFFECT_COPY), (DWORD)DROPEFFECT_NONE);
  // With no effect at the drop point, OnDragLeave instead of OnDrop.
  m_view->m_answer = DROPEFFECT_NONE;
  EXPECT_EQ(EnterAndDrop(pTarget, pData, DROPEFFECT_COPY), (DWORD)DROPEFFECT_NONE);
  EXPECT_EQ(m_log.calls, (std::vector<std::string>{"enter", "over", "dropex", "leave"}));
  // OnDropEx that handles the drop: no OnDrop, its effect cut to the allowed ones.
  m_view->m_answer = DROPEFFECT_COPY;
  m_view->m_dropExResult = DROPEFFECT_MOVE | DROPEFFECT_LINK;
  EXPECT_EQ(EnterAndDrop(pTarget, pData, DROPEFFECT_COPY | DROPEFFECT_MOVE, false), (DWORD)DROPEFFECT_MOVE);
  EXPECT_EQ(m_log.calls, (std::vector<std::string>{"over", "dropex"}));

  // A plain window with the base target takes nothing.
  CWnd plain;
  ASSERT_TRUE(plain.Create(nullptr, "plain", WS_CHILD | WS_VISIBLE, CRect(660, 10, 700, 50), &m_top, 3));
  COleDropTarget base;
  ASSERT_TRUE(base.Register(&plain));
  effect = DROPEFFECT_COPY;
  base.GetDropTarget()->DragEnter(pData, MK_LBUTTON, ScreenPoint(&plain, 1, 1), &effect);
  EXPECT_EQ(effect, (DWORD)DROPEFFECT_NONE);
  effect = DROPEFFECT_COPY;
  base.GetDropTarget()->Drop(pData, 0, ScreenPoint(&plain, 1, 1), &effect);
  EXPECT_EQ(effect, (DWORD)DROPEFFECT_NONE);
  plain.DestroyWindow();
  EXPECT_EQ(base.GetDropTarget(), nullptr);  // revoked with its window
}

TEST_F(OleDrag, DataObjectOwnsTheBlocksItHandsOut) {
  const LONG before = COleDataObject::GetLiveBlockCount();
  COleDataSource source;
  source.CacheGlobalData(TestFormat(), MakeBlock(std::string("ten bytes!")));
  {
    COleDataObject data;
    data.Attach(source.GetDataObject(), FALSE);
    EXPECT_TRUE(data.IsDataAvailable(TestFormat()));
    EXPECT_FALSE(data.IsDataAvailable(OtherFormat()));
    EXPECT_EQ(data.GetGlobalData(OtherFormat()), nullptr);
    HGLOBAL h = data.GetGlobalData(TestFormat());
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(::GlobalSize(h), 10u);
    EXPECT_EQ(ReadBlock(h), "ten bytes!");
    EXPECT_EQ(COleDataObject::GetLiveBlockCount(), before + 1);
    COleDataObject empty;
    EXPECT_FALSE(empty.IsDataAvailable(TestFormat()));
    EXPECT_EQ(empty.GetGlobalData(TestFormat()), nullptr);
  }
  EXPECT_EQ(COleDataObject::GetLiveBlockCount(), before);
  // The source lists its one format and refuses to be written or watched.
  IEnumFORMATETC* pEnum = nullptr;
  ASSERT_EQ(source.GetDataObject()->EnumFormatEtc(DATADIR_GET, &pEnum), S_OK);
  FORMATETC fe[2] = {};
  ULONG n = 0;
  EXPECT_EQ(pEnum->Next(2, fe, &n), S_FALSE);
  EXPECT_EQ(n, 1u);
  EXPECT_EQ(fe[0].cfFormat, TestFormat());
  pEnum->Release();
  STGMEDIUM stg = {};
  EXPECT_EQ(source.GetDataObject()->SetData(fe, &stg, FALSE), E_NOTIMPL);
  DWORD dwConnection = 0;
  EXPECT_EQ(source.GetDataObject()->DAdvise(fe, 0, nullptr, &dwConnection), OLE_E_ADVISENOTSUPPORTED);
  // 1,000 drop events, each reading the block three times: nothing left alive.
  IDropTarget* pTarget = m_view->m_target.GetDropTarget();
  for (int i = 0; i < 1000; ++i)
    ASSERT_EQ(EnterAndDrop(pTarget, source.GetDataObject(), DROPEFFECT_COPY), (DWORD)DROPEFFECT_COPY);
  EXPECT_EQ(m_log.drops, 1000);
  EXPECT_EQ(COleDataObject::GetLiveBlockCount(), before);
}

TEST_F(OleDrag, RegisterRefusesRepeatsAndRevokedTargetsAnswerNone) {
  COleDropTarget second;
  EXPECT_FALSE(m_view->m_target.Register(m_view));  // registered already
  EXPECT_FALSE(second.Register(m_view));            // the window has a target
  EXPECT_FALSE(second.Register(nullptr));
  m_view->m_target.Revoke();
  EXPECT_TRUE(second.Register(m_view));
  second.Revoke();
  ASSERT_TRUE(m_view->m_target.Register(m_view));

  // OLE holds the interface from drag-enter on; the view goes meanwhile.
  COleDataSource source;
  source.CacheGlobalData(TestFormat(), MakeBlock("x"));
  IDropTarget* pTarget = m_view->m_target.GetDropTarget();
  pTarget->AddRef();
  DWORD effect = DROPEFFECT_COPY;
  pTarget->DragEnter(source.GetDataObject(), MK_LBUTTON, ScreenPoint(m_view, 2, 2), &effect);
  EXPECT_EQ(effect, (DWORD)DROPEFFECT_COPY);
  m_view->DestroyWindow();  // deletes the view and its target
  m_view = nullptr;
  m_log.calls.clear();
  effect = DROPEFFECT_COPY;
  EXPECT_EQ(pTarget->DragOver(MK_LBUTTON, POINTL{0, 0}, &effect), S_OK);
  EXPECT_EQ(effect, (DWORD)DROPEFFECT_NONE);
  effect = DROPEFFECT_COPY;
  EXPECT_EQ(pTarget->Drop(source.GetDataObject(), 0, POINTL{0, 0}, &effect), S_OK);
  EXPECT_EQ(effect, (DWORD)DROPEFFECT_NONE);
  pTarget->DragLeave();
  EXPECT_TRUE(m_log.calls.empty());
  pTarget->Release();
}

// ---- real drags, the pointer driven by xdotool from a second thread ----

using xside::RunCommand;
using xside::WaitFor;
bool Xdo(const std::string& args) { return RunCommand("Z:\\usr\\bin\\xdotool " + args); }

std::string At(POINT p) { return std::to_string(p.x) + " " + std::to_string(p.y); }
POINT CenterOf(HWND h) { return xside::WindowCentre(h); }

// Presses the button on the source (until its drag has begun), then moves
// over `to` until the target counter moves. A loaded X server may drop an event:
// each step is tried again a few times.
bool StartDragOver(CDragSource* pSource, POINT to, const volatile LONG* pOvers) {
  bool started = false;
  for (int attempt = 0; attempt < 3 && !started; ++attempt) {
    Xdo("mousemove 0 0 sleep 0.1 mousemove " + At(CenterOf(pSource->m_hWnd)) + " sleep 0.1 mousedown 1");
    started = WaitFor([&] { return Get(pSource->m_dragging) != 0; }, 10000);
    if (!started)
      Xdo("mouseup 1");
  }
  if (!started)
    return false;
  const LONG before = Get(*pOvers);
  for (int attempt = 0; attempt < 3; ++attempt) {
    Xdo("mousemove " + std::to_string(to.x + attempt) + " " + std::to_string(to.y));
    if (WaitFor([&] { return Get(*pOvers) > before; }, 3000))
      return true;
  }
  return false;
}

// Releases the button until pred holds (a release may be lost like a motion).
void ReleaseUntil(const std::function<bool()>& pred) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    Xdo("mouseup 1");
    if (WaitFor(pred, 5000))
      return;
  }
}

// Ends a drag that went wrong, so the test fails instead of hanging.
void Rescue(DWORD guiThread) {
  Xdo("mouseup 1");
  ::PostThreadMessageA(guiThread, WM_KEYDOWN, VK_ESCAPE, 0);
}

class OleRealDrag : public OleDrag {
protected:
  // Runs driver beside the GUI thread until the source's drag has returned.
  void Drive(const std::function<void()>& driver) {
    m_source.m_done = 0;
    const DWORD gui = ::GetCurrentThreadId();
    std::thread t([&] {
      driver();
      if (!WaitFor([&] { return Get(m_source.m_done) != 0; }, 20000)) {
        ADD_FAILURE() << "the drag did not end";
        Rescue(gui);
      }
    });
    EXPECT_TRUE(PumpUntil([&] { return Get(m_source.m_done) != 0; }, 90000));
    t.join();
  }
  // Over the view's child list, where the drop lands.
  POINT Target() {
    POINT p = CenterOf(m_view->m_list.m_hWnd);
    m_expected = p;
    m_view->ScreenToClient(&m_expected);
    return p;
  }
  POINT m_expected = {};
};

TEST_F(OleRealDrag, DragFromSourceToViewDropsOnceWithCopy) {
  const char* shot = getenv("ZARN_OLE_SHOT");  // a screenshot mid-drag when set
  Drive([&] {
    ASSERT_TRUE(StartDragOver(&m_source, Target(), &m_log.overs));
    const LONG painted = Get(m_log.paints);
    if (shot != nullptr && WaitFor([&] { return Get(m_log.paints) > painted || m_view->m_highlight; }))
      RunCommand(std::string("Z:\\usr\\bin\\import -window root ") + shot, 30000);
    ReleaseUntil([&] { return Get(m_source.m_done) != 0; });
  });
  EXPECT_EQ(m_source.m_result, (DWORD)DROPEFFECT_COPY);
  EXPECT_EQ(m_log.drops, 1);
  EXPECT_EQ(m_log.data, "zarn drag payload");
  EXPECT_EQ(m_log.point, CPoint(m_expected));
  EXPECT_EQ(m_source.m_readBack, "zarn drag payload");
  EXPECT_TRUE(m_source.m_freedAfter);
}

TEST_F(OleRealDrag, EscapeCancelsAndWorkersAreAnsweredMeanwhile) {
  LRESULT answer = 0;
  const DWORD gui = ::GetCurrentThreadId();
  Drive([&] {
    ASSERT_TRUE(StartDragOver(&m_source, Target(), &m_log.overs));
    DWORD_PTR result = 0;
    if (::SendMessageTimeoutA(m_source.m_hWnd, WM_TEST_PING, 0, 0, SMTO_NORMAL, 20000, &result))
      answer = (LRESULT)result;
    ::PostThreadMessageA(gui, WM_KEYDOWN, VK_ESCAPE, 0);
    WaitFor([&] { return Get(m_source.m_done) != 0; });
    Xdo("mouseup 1");  // the button is still down after the cancel
  });
  EXPECT_EQ(answer, 42);
  EXPECT_EQ(m_source.m_pingsInDrag, 1);
  EXPECT_EQ(m_source.m_result, (DWORD)DROPEFFECT_NONE);
  EXPECT_EQ(m_log.drops, 0);
  EXPECT_GE(m_log.leaves, 1);
  EXPECT_FALSE(m_view->m_highlight);
}

TEST_F(OleRealDrag, ModalBoxInsideTheDropReturnsNormally) {
  int boxResult = 0;
  DROPEFFECT nested = (DROPEFFECT)-2;
  m_view->m_onDrop = [&] {
    COleDataSource other;  // a second drag while one runs is refused
    other.CacheGlobalData(TestFormat(), MakeBlock("second"));
    nested = other.DoDragDrop(DROPEFFECT_COPY);
    boxResult = ::MessageBoxA(m_view->m_hWnd, "Drop the data here?", "OLE drop box", MB_OKCANCEL);
  };
  Drive([&] {
    ASSERT_TRUE(StartDragOver(&m_source, Target(), &m_log.overs));
    ReleaseUntil([&] { return Get(m_log.drops) != 0; });
    HWND box = boxdriver::WaitForBox("OLE drop box", 20000);
    ASSERT_NE(box, nullptr);
    boxdriver::Click(box, IDOK);
  });
  EXPECT_EQ(nested, (DWORD)DROPEFFECT_NONE);
  EXPECT_EQ(boxResult, IDOK);
  EXPECT_EQ(m_source.m_result, (DWORD)DROPEFFECT_COPY);
  EXPECT_EQ(m_log.drops, 1);
}

TEST_F(OleRealDrag, DestroyedViewNoLongerReceivesDrags) {
  // Destroyed while the drag is over it: the drag goes on, reaches no one and
  // ends with none.
  DropLog log2;
  CDropView* pView2 = new CDropView(&log2);
  ASSERT_TRUE(pView2->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(250, 315, 650, 372), &m_top, 4));
  ASSERT_TRUE(pView2->m_target.Register(pView2));
  const HWND hView2 = pView2->m_hWnd;
  const POINT over = CenterOf(hView2);
  size_t callsAtDestroy = 0;
  Drive([&] {
    ASSERT_TRUE(StartDragOver(&m_source, over, &log2.overs));
    ::PostMessageA(m_source.m_hWnd, WM_TEST_DESTROY, (WPARAM)hView2, 0);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(hView2); }));
    callsAtDestroy = log2.calls.size();
    Xdo("mousemove " + std::to_string(over.x + 3) + " " + std::to_string(over.y + 3));
    ReleaseUntil([&] { return Get(m_source.m_done) != 0; });
  });
  EXPECT_EQ(m_source.m_result, (DWORD)DROPEFFECT_NONE);
  EXPECT_EQ(log2.drops, 0);
  EXPECT_EQ(log2.calls.size(), callsAtDestroy);  // nothing after it went
}

}  // namespace
