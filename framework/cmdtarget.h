// Message maps and the command target that carries them.
//
// A class with a map declares DECLARE_MESSAGE_MAP() and defines
//
//   BEGIN_MESSAGE_MAP(CMyWnd, CWnd)
//     ON_WM_CREATE()
//     ON_MESSAGE(UWM_SOMETHING, OnSomething)   // LRESULT OnSomething(WPARAM, LPARAM)
//     ON_COMMAND(ID_FILE_OPEN, OnFileOpen)     // void OnFileOpen()
//   END_MESSAGE_MAP()
//
// Handlers are named bare (OnSomething, not &CMyWnd::OnSomething). Every entry
// carries a small thunk, generated inside the class's own map function, that
// unpacks the message and calls the handler; so handlers may be protected or
// private, and the compiler checks each handler's parameters. Lookup walks the
// class's map, then its base class's, up to CCmdTarget.
//
// More window messages are one line each, with AFX_ON_MSG_VOID (handler returns
// nothing, the message's result is 0) or AFX_ON_MSG_RESULT (the handler's value is
// the result). In the thunk body `pThis` is the object, `wParam`/`lParam` the
// message's parameters; see the ON_WM_* list in wnd.h.
#pragma once

#include "framework/fwtypes.h"
#include "framework/object.h"
#include "framework/fwstring.h"

#ifndef afx_msg
#define afx_msg  // marks message handlers in class declarations
#endif

class CCmdTarget;
class CCmdUI;

// Codes passed to CCmdTarget::OnCmdMsg besides a control's own notification code.
enum : int {
  CN_COMMAND = 0,             // menu item, accelerator, or a button's BN_CLICKED
  CN_UPDATE_COMMAND_UI = -1,  // pExtra is the CCmdUI* being updated
  CN_EVENT = -2,              // an event of a hosted control, routed like a command
  CN_NOTIFY = 0x004E,         // a WM_NOTIFY; pExtra is an AFX_NOTIFY*
};

struct AFX_NOTIFY {
  LRESULT* pResult;
  NMHDR* pNMHDR;
};

// Filled instead of calling the handler when one only asks whether a handler exists.
struct AFX_CMDHANDLERINFO {
  CCmdTarget* pTarget;
};

// What a thunk gets: the message and, for commands, the id, code and extra data.
struct AFX_MSGARGS {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  UINT nID;
  int nCode;
  void* pExtra;
  LRESULT lResult;  // the message's result, set by the thunk
};

// Returns FALSE when the handler declined the message (ON_COMMAND_EX and the
// like), so the search goes on.
typedef BOOL (*AFX_MSGTHUNK)(CCmdTarget* pTarget, AFX_MSGARGS& args);

enum AfxMsgKind : UINT {
  AfxKindEnd = 0,
  AfxKindMessage,     // a window or thread message by number
  AfxKindRegistered,  // a message number held in a variable (RegisterWindowMessage)
  AfxKindCommand,     // WM_COMMAND by code and id range; also update handlers
  AfxKindNotify,      // WM_NOTIFY by code and id range
  AfxKindReflectCommand,  // a control's own WM_COMMAND notification, by code
  AfxKindReflectNotify,   // a control's own WM_NOTIFY, by code
};

struct AFX_MSGMAP_ENTRY {
  UINT nKind;
  UINT nMessage;
  int nCode;
  UINT nID;
  UINT nLastID;
  const UINT* pnRegMessage;
  AFX_MSGTHUNK pfn;
};

struct AFX_MSGMAP {
  const AFX_MSGMAP* (*pfnGetBaseMap)();
  const AFX_MSGMAP_ENTRY* lpEntries;
};

class CCmdTarget : public CObject {
  DECLARE_DYNAMIC(CCmdTarget)
public:
  CCmdTarget() = default;
  ~CCmdTarget() override = default;

  // Routes a command (WM_COMMAND, an update request or a WM_NOTIFY) to this
  // object's map. Frames and views override it to pass commands on.
  virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo);

  // Calls the map's handler for a plain (or registered) message; FALSE when none.
  // nCode reaches the thunk as args_.nCode (the WM_CTLCOLOR kind, for one).
  BOOL DispatchMapMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult, int nCode = 0);
  // Calls the map's reflected handler (AfxKindReflectCommand or AfxKindReflectNotify)
  // for nCode; FALSE when none took it.
  BOOL DispatchReflected(UINT nKind, int nCode, void* pExtra);

protected:
  static const AFX_MSGMAP* GetThisMessageMap();
  virtual const AFX_MSGMAP* GetMessageMap() const;
};

// Minimal command-update object: a menu item (by position in m_hMenu) or a
// control window (m_pOther). Handlers call Enable, SetCheck, SetRadio, SetText.
class CWnd;
class CCmdUI {
public:
  CCmdUI() = default;
  virtual ~CCmdUI() = default;

  virtual void Enable(BOOL bOn = TRUE);
  virtual void SetCheck(int nCheck = 1);  // 0 clear, 1 checked, 2 indeterminate
  virtual void SetRadio(BOOL bOn = TRUE);
  virtual void SetText(LPCTSTR lpszText);
  void ContinueRouting() { m_bContinueRouting = TRUE; }

  // Runs pTarget's update handler; without one, disables the item when asked and
  // no command handler exists either. TRUE when a handler ran.
  BOOL DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHandler);

  UINT m_nID = 0;
  UINT m_nIndex = 0;        // position in m_hMenu
  UINT m_nIndexMax = 0;
  HMENU m_hMenu = nullptr;
  HMENU m_hSubMenu = nullptr;
  CWnd* m_pOther = nullptr;
  BOOL m_bEnableChanged = FALSE;
  BOOL m_bContinueRouting = FALSE;
};

// Runs pTarget's update handlers over the items of a pop-up menu: a plain item
// by its id (disabled when no one handles it and bDisableIfNoHandler, system
// commands excepted), a sub-menu item by its first item's id (never disabled
// for lack of a handler). Items that handlers add or remove are accounted for.
void AfxUpdateMenuUI(CCmdTarget* pTarget, HMENU hMenu, BOOL bDisableIfNoHandler);

// ---- map definition -------------------------------------------------------

#define DECLARE_MESSAGE_MAP()                         \
protected:                                            \
  static const AFX_MSGMAP* GetThisMessageMap();       \
  const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                          \
  const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }    \
  const AFX_MSGMAP* theClass::GetThisMessageMap() {                                     \
    using ThisClass [[maybe_unused]] = theClass;                                        \
    using TheBaseClass = baseClass;                                                     \
    static const AFX_MSGMAP_ENTRY afxEntries_[] = {

#define END_MESSAGE_MAP()                                                               \
      {AfxKindEnd, 0, 0, 0, 0, nullptr, nullptr}};                                      \
    static const AFX_MSGMAP afxMap_ = {&TheBaseClass::GetThisMessageMap, &afxEntries_[0]}; \
    return &afxMap_;                                                                    \
  }

// The thunk: a captureless lambda written inside ThisClass's map function, so it
// has the class's access to its handlers.
#define AFX_MSGMAP_THUNK(...)                                        \
  [](CCmdTarget* afxTarget_, AFX_MSGARGS& args_) -> BOOL {           \
    ThisClass* pThis = static_cast<ThisClass*>(afxTarget_);          \
    WPARAM wParam = args_.wParam;                                    \
    LPARAM lParam = args_.lParam;                                    \
    (void)pThis; (void)wParam; (void)lParam;                         \
    __VA_ARGS__                                                      \
  }

#define AFX_MSG_ENTRY(msg, ...) \
  {AfxKindMessage, (UINT)(msg), 0, 0, 0, nullptr, AFX_MSGMAP_THUNK(__VA_ARGS__)},
#define AFX_ON_MSG_VOID(msg, ...) AFX_MSG_ENTRY(msg, __VA_ARGS__; args_.lResult = 0; return TRUE;)
#define AFX_ON_MSG_RESULT(msg, ...) AFX_MSG_ENTRY(msg, args_.lResult = (LRESULT)(__VA_ARGS__); return TRUE;)

#define AFX_CMD_ENTRY(kind, code, first, last, ...) \
  {(UINT)(kind), 0, (int)(code), (UINT)(first), (UINT)(last), nullptr, AFX_MSGMAP_THUNK(__VA_ARGS__)},

// LRESULT memberFxn(WPARAM, LPARAM)
#define ON_MESSAGE(message, memberFxn) AFX_ON_MSG_RESULT(message, pThis->memberFxn(wParam, lParam))
// LRESULT memberFxn(WPARAM, LPARAM); nMessageVariable: a UINT from RegisterWindowMessage
#define ON_REGISTERED_MESSAGE(nMessageVariable, memberFxn)                       \
  {AfxKindRegistered, 0, 0, 0, 0, &(nMessageVariable),                           \
   AFX_MSGMAP_THUNK(args_.lResult = pThis->memberFxn(wParam, lParam); return TRUE;)},
// In a CWinThread's map, for messages posted to the thread: void memberFxn(WPARAM, LPARAM)
#define ON_THREAD_MESSAGE(message, memberFxn) AFX_ON_MSG_VOID(message, pThis->memberFxn(wParam, lParam))

// void memberFxn()
#define ON_COMMAND(id, memberFxn) \
  AFX_CMD_ENTRY(AfxKindCommand, CN_COMMAND, id, id, pThis->memberFxn(); return TRUE;)
// BOOL memberFxn(UINT nID): FALSE lets the command go on to other handlers
#define ON_COMMAND_EX(id, memberFxn) \
  AFX_CMD_ENTRY(AfxKindCommand, CN_COMMAND, id, id, return pThis->memberFxn(args_.nID) ? TRUE : FALSE;)
// void memberFxn(UINT nID)
#define ON_COMMAND_RANGE(idFirst, idLast, memberFxn) \
  AFX_CMD_ENTRY(AfxKindCommand, CN_COMMAND, idFirst, idLast, pThis->memberFxn(args_.nID); return TRUE;)

// BOOL memberFxn(UINT nID): FALSE lets the command go on to other handlers
#define ON_COMMAND_EX_RANGE(idFirst, idLast, memberFxn) \
  AFX_CMD_ENTRY(AfxKindCommand, CN_COMMAND, idFirst, idLast, return pThis->memberFxn(args_.nID) ? TRUE : FALSE;)

#define AFX_UPDATE_UI_BODY(memberFxn)                               \
  CCmdUI* afxUI_ = static_cast<CCmdUI*>(args_.pExtra);              \
  afxUI_->m_bContinueRouting = FALSE;                               \
  pThis->memberFxn(afxUI_);                                         \
  return afxUI_->m_bContinueRouting ? FALSE : TRUE;
// void memberFxn(CCmdUI*)
#define ON_UPDATE_COMMAND_UI(id, memberFxn) \
  AFX_CMD_ENTRY(AfxKindCommand, CN_UPDATE_COMMAND_UI, id, id, AFX_UPDATE_UI_BODY(memberFxn))
#define ON_UPDATE_COMMAND_UI_RANGE(idFirst, idLast, memberFxn) \
  AFX_CMD_ENTRY(AfxKindCommand, CN_UPDATE_COMMAND_UI, idFirst, idLast, AFX_UPDATE_UI_BODY(memberFxn))

// A control's WM_COMMAND notification: void memberFxn()
#define ON_CONTROL(code, id, memberFxn) \
  AFX_CMD_ENTRY(AfxKindCommand, code, id, id, pThis->memberFxn(); return TRUE;)
// void memberFxn(UINT nID)
#define ON_CONTROL_RANGE(code, idFirst, idLast, memberFxn) \
  AFX_CMD_ENTRY(AfxKindCommand, code, idFirst, idLast, pThis->memberFxn(args_.nID); return TRUE;)
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_BN_DOUBLECLICKED(id, memberFxn) ON_CONTROL(BN_DOUBLECLICKED, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_EN_KILLFOCUS(id, memberFxn) ON_CONTROL(EN_KILLFOCUS, id, memberFxn)
#define ON_EN_SETFOCUS(id, memberFxn) ON_CONTROL(EN_SETFOCUS, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)
#define ON_CBN_EDITCHANGE(id, memberFxn) ON_CONTROL(CBN_EDITCHANGE, id, memberFxn)
#define ON_CBN_DROPDOWN(id, memberFxn) ON_CONTROL(CBN_DROPDOWN, id, memberFxn)
#define ON_LBN_SELCHANGE(id, memberFxn) ON_CONTROL(LBN_SELCHANGE, id, memberFxn)
#define ON_LBN_DBLCLK(id, memberFxn) ON_CONTROL(LBN_DBLCLK, id, memberFxn)

// void memberFxn(NMHDR* pNMHDR, LRESULT* pResult)
#define ON_NOTIFY(code, id, memberFxn)                                                   \
  AFX_CMD_ENTRY(AfxKindNotify, code, id, id,                                             \
                AFX_NOTIFY* afxN_ = static_cast<AFX_NOTIFY*>(args_.pExtra);              \
                pThis->memberFxn(afxN_->pNMHDR, afxN_->pResult); return TRUE;)
// void memberFxn(UINT nID, NMHDR* pNMHDR, LRESULT* pResult)
#define ON_NOTIFY_RANGE(code, idFirst, idLast, memberFxn)                                \
  AFX_CMD_ENTRY(AfxKindNotify, code, idFirst, idLast,                                    \
                AFX_NOTIFY* afxN_ = static_cast<AFX_NOTIFY*>(args_.pExtra);              \
                pThis->memberFxn(args_.nID, afxN_->pNMHDR, afxN_->pResult); return TRUE;)
// BOOL memberFxn(UINT nID, NMHDR* pNMHDR, LRESULT* pResult): FALSE lets it go on
#define ON_NOTIFY_EX(code, id, memberFxn)                                                \
  AFX_CMD_ENTRY(AfxKindNotify, code, id, id,                                             \
                AFX_NOTIFY* afxN_ = static_cast<AFX_NOTIFY*>(args_.pExtra);              \
                return pThis->memberFxn(args_.nID, afxN_->pNMHDR, afxN_->pResult) ? TRUE : FALSE;)
