// e2e_driver VERB ...: finds zarn's windows and controls and reads their texts,
// as the end-to-end scenario (tests/e2e) needs. It never calls into the program:
// it reads what any process can read of a window, and for the list and tree
// controls it lends the program a buffer in the program's own memory.
//
// A window is named by a selector: "main" (zarn's main window), "top:TEXT" (a
// visible top-level window whose caption contains TEXT), "class:NAME" (a visible
// top-level window of that class, e.g. "#32768", an open pop-up menu), or a
// hexadecimal handle.
// Controls below it: "SEL/CLASS#N" (the N-th visible control of that class, in
// the order of a depth-first walk, from 0) or "SEL/id:ID" (the first visible one).
//
//   wait SEL [ms]             waits until the window exists; prints its handle
//   gone SEL [ms]             waits until no such window exists
//   dump SEL                  the window's visible controls: handle class id rect text
//   rect SEL                  screen rectangle "x y w h" and centre "cx cy"
//   text SEL                  the window's text
//   command ID [SEL]          a menu command, as the menu or its key sends it
//   items SEL [N]             the texts of a list view's rows (all columns or the first N, tab-separated)
//   columns SEL C[,C...]      the texts of the given columns (from 1) of a list view's rows
//   count SEL                 the number of a list view's rows
//   tree SEL                  a tree view's items, indented by two per level
//   itempoint SEL TEXT        screen point of the list row or expanded tree item TEXT
//   waititem SEL TEXT [ms]    waits until a list row or tree item holds TEXT
//   waitpoint SEL TEXT [ms]   waititem, then prints the item's point as itempoint does
//   settled SEL [ms]          waits until the window's thread answers a message
//   waitrows SEL N [ms]       waits until a list view holds at least N rows; prints the count
//                             (one message a poll: reading a big list's texts takes minutes)
//   select SEL TEXT           selects the tree item TEXT (as a click on it does)
//   close SEL                 closes the window as its caption's close box does
//   tabpoint SEL N            screen point of the N-th tab (from 0) of a tab control
//   menu [ms]                 waits until a popup menu is shown; prints its rectangle
//   parent SEL                the handle of the window's parent (a selector itself)
//   serve                     answers requests from stdin until "quit" or its end: one
//                             Wine process for a whole scenario instead of one a call
// Exit status 0: done; 1: not found in time; 2: bad arguments.
//
// serve: a request is one line "ID<TAB>VERB<TAB>ARG...", its arguments in UTF-8
// (as a Unix command line hands them over); the answer is a line "\036begin ID",
// the verb's output, then "\036end ID STATUS". Texts read from windows come out
// in the ANSI code page, as in the one-shot mode.
#include <windows.h>
#include <commctrl.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kPaneFirst = 0xE900;

struct Probe {
  std::string text;
  HWND found = nullptr;
};

BOOL CALLBACK MainProbe(HWND w, LPARAM p)
{
  char title[64] = {};
  ::GetWindowTextA(w, title, sizeof title);
  if (std::strcmp(title, "ZARN") == 0 && ::IsWindowVisible(w) && ::GetDlgItem(w, kPaneFirst) != nullptr) {
    reinterpret_cast<Probe*>(p)->found = w;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK ClassProbe(HWND w, LPARAM p)
{
  auto* probe = reinterpret_cast<Probe*>(p);
  char cls[128] = {};
  ::GetClassNameA(w, cls, sizeof cls);
  if (::IsWindowVisible(w) && probe->text == cls) {
    probe->found = w;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK TopProbe(HWND w, LPARAM p)
{
  auto* probe = reinterpret_cast<Probe*>(p);
  char title[256] = {};
  ::GetWindowTextA(w, title, sizeof title);
  if (::IsWindowVisible(w) && std::strstr(title, probe->text.c_str()) != nullptr) {
    probe->found = w;
    return FALSE;
  }
  return TRUE;
}

std::string ClassOf(HWND w)
{
  char cls[128] = {};
  ::GetClassNameA(w, cls, sizeof cls);
  return cls;
}

// A shown popup menu: a top-level window of the system's menu class.
BOOL CALLBACK MenuProbe(HWND w, LPARAM p)
{
  if (::IsWindowVisible(w) && ClassOf(w) == "#32768") {
    *reinterpret_cast<HWND*>(p) = w;
    return FALSE;
  }
  return TRUE;
}

// Visible descendants in depth-first order (EnumChildWindows walks that way).
struct Walk {
  std::vector<HWND> all;
};
BOOL CALLBACK WalkProbe(HWND w, LPARAM p)
{
  if (::IsWindowVisible(w))
    reinterpret_cast<Walk*>(p)->all.push_back(w);
  return TRUE;
}
BOOL CALLBACK WalkAllProbe(HWND w, LPARAM p)
{
  reinterpret_cast<Walk*>(p)->all.push_back(w);
  return TRUE;
}

HWND FindControl(HWND top, const std::string& spec)
{
  Walk walk;
  const bool hidden = spec.compare(0, 4, "hid:") == 0;
  ::EnumChildWindows(top, hidden ? &WalkAllProbe : &WalkProbe, (LPARAM)&walk);
  if (hidden || spec.compare(0, 3, "id:") == 0) {
    const int id = (int)std::strtol(spec.c_str() + (hidden ? 4 : 3), nullptr, 0);
    for (HWND w : walk.all)
      if (::GetDlgCtrlID(w) == id)
        return w;
    return nullptr;
  }
  const size_t hash = spec.find('#');
  const std::string cls = spec.substr(0, hash);
  int n = hash == std::string::npos ? 0 : std::atoi(spec.c_str() + hash + 1);
  for (HWND w : walk.all)
    if (ClassOf(w) == cls && n-- == 0)
      return w;
  return nullptr;
}

HWND Resolve(const std::string& sel)
{
  const size_t slash = sel.find('/');
  const std::string head = sel.substr(0, slash);
  HWND top = nullptr;
  if (head == "main") {
    Probe probe;
    ::EnumWindows(&MainProbe, (LPARAM)&probe);
    top = probe.found;
  } else if (head.compare(0, 4, "top:") == 0) {
    Probe probe;
    probe.text = head.substr(4);
    ::EnumWindows(&TopProbe, (LPARAM)&probe);
    top = probe.found;
  } else if (head.compare(0, 6, "class:") == 0) {
    Probe probe;
    probe.text = head.substr(6);
    ::EnumWindows(&ClassProbe, (LPARAM)&probe);
    top = probe.found;
  } else {
    top = (HWND)(uintptr_t)std::strtoull(head.c_str(), nullptr, 16);
    if (!::IsWindow(top))
      top = nullptr;
  }
  if (top == nullptr || slash == std::string::npos)
    return top;
  return FindControl(top, sel.substr(slash + 1));
}

template <class Pred>
bool WaitFor(DWORD ms, Pred pred)
{
  const DWORD start = ::GetTickCount();
  for (;;) {
    if (pred())
      return true;
    if (::GetTickCount() - start > ms)
      return false;
    ::Sleep(50);
  }
}

// A buffer in the window's process, for messages that carry pointers.
class RemoteBuffer {
public:
  RemoteBuffer(HWND w, size_t size) : m_size(size)
  {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(w, &pid);
    m_process = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (m_process != nullptr)
      m_base = (char*)::VirtualAllocEx(m_process, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
  }
  ~RemoteBuffer()
  {
    if (m_base != nullptr)
      ::VirtualFreeEx(m_process, m_base, 0, MEM_RELEASE);
    if (m_process != nullptr)
      ::CloseHandle(m_process);
  }
  bool ok() const { return m_base != nullptr; }
  char* at(size_t offset) const { return m_base + offset; }
  bool Write(size_t offset, const void* data, size_t n)
  {
    return ::WriteProcessMemory(m_process, m_base + offset, data, n, nullptr) != 0;
  }
  bool Read(size_t offset, void* data, size_t n)
  {
    return ::ReadProcessMemory(m_process, m_base + offset, data, n, nullptr) != 0;
  }

private:
  HANDLE m_process = nullptr;
  char* m_base = nullptr;
  size_t m_size;
};

constexpr int kTextMax = 1024;

// Each cell is a message into the program, and every read or write of its
// memory a round trip through the wine server: cells are asked for in batches,
// their requests written at once and their texts read back at once.
constexpr int kBatch = 64;

// The texts of the given columns (0-based) of every row, tab-separated.
std::vector<std::string> ListColumns(HWND list, const std::vector<int>& columns)
{
  std::vector<std::string> rows;
  const size_t itemsSize = kBatch * sizeof(LVITEMA);
  RemoteBuffer buf(list, itemsSize + (size_t)kBatch * kTextMax);
  if (!buf.ok() || columns.empty())
    return rows;
  const int count = (int)::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
  const int cols = (int)columns.size();
  const long cells = (long)count * cols;
  rows.resize(count);
  std::vector<LVITEMA> items(kBatch);
  std::vector<LRESULT> lengths(kBatch);
  std::vector<char> texts((size_t)kBatch * kTextMax);
  for (long first = 0; first < cells; first += kBatch) {
    const int n = (int)std::min<long>(kBatch, cells - first);
    for (int k = 0; k < n; ++k) {
      LVITEMA& item = items[k];
      item = LVITEMA();
      item.mask = LVIF_TEXT;
      item.iItem = (int)((first + k) / cols);
      item.iSubItem = columns[(first + k) % cols];
      item.pszText = buf.at(itemsSize + (size_t)k * kTextMax);
      item.cchTextMax = kTextMax;
    }
    if (!buf.Write(0, items.data(), n * sizeof(LVITEMA)))
      return std::vector<std::string>();
    for (int k = 0; k < n; ++k)
      lengths[k] = ::SendMessageA(list, LVM_GETITEMTEXTA, items[k].iItem, (LPARAM)buf.at(k * sizeof(LVITEMA)));
    if (!buf.Read(itemsSize, texts.data(), (size_t)n * kTextMax))
      return std::vector<std::string>();
    for (int k = 0; k < n; ++k) {
      const char* text = texts.data() + (size_t)k * kTextMax;
      // The length the list returned; a slot it did not fill keeps no old text.
      size_t len = lengths[k] > 0 ? std::min<size_t>((size_t)lengths[k], kTextMax - 1) : 0;
      len = strnlen(text, len);
      std::string& line = rows[(first + k) / cols];
      if ((first + k) % cols != 0)
        line += '\t';
      line.append(text, len);
    }
  }
  return rows;
}

int ColumnCount(HWND list)
{
  HWND header = (HWND)::SendMessageA(list, LVM_GETHEADER, 0, 0);
  const int cols = header != nullptr ? (int)::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0) : 1;
  return cols < 1 ? 1 : cols;
}

// The first maxCols columns (0: all of them): callers that need only the
// first ones say so.
std::vector<std::string> ListRows(HWND list, int maxCols = 0)
{
  int cols = ColumnCount(list);
  if (maxCols > 0 && maxCols < cols)
    cols = maxCols;
  std::vector<int> columns;
  for (int c = 0; c < cols; ++c)
    columns.push_back(c);
  return ListColumns(list, columns);
}

struct TreeRow {
  HTREEITEM item;
  int depth;
  std::string text;
};

// The items first (their handles need no memory of the program), then their
// texts in batches, as the list's cells.
void TreeWalk(HWND tree, HTREEITEM item, int depth, std::vector<TreeRow>& out)
{
  for (; item != nullptr; item = (HTREEITEM)::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)item)) {
    out.push_back({item, depth, std::string()});
    auto child = (HTREEITEM)::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, (LPARAM)item);
    if (child != nullptr && out.size() < 100000)
      TreeWalk(tree, child, depth + 1, out);
  }
}

std::vector<TreeRow> TreeRows(HWND tree)
{
  std::vector<TreeRow> rows;
  const size_t itemsSize = kBatch * sizeof(TVITEMA);
  RemoteBuffer buf(tree, itemsSize + (size_t)kBatch * kTextMax);
  if (!buf.ok())
    return rows;
  TreeWalk(tree, (HTREEITEM)::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0), 0, rows);
  std::vector<TVITEMA> items(kBatch);
  std::vector<char> texts((size_t)kBatch * kTextMax);
  for (size_t first = 0; first < rows.size(); first += kBatch) {
    const int n = (int)std::min<size_t>(kBatch, rows.size() - first);
    for (int k = 0; k < n; ++k) {
      TVITEMA& tv = items[k];
      tv = TVITEMA();
      tv.mask = TVIF_TEXT | TVIF_HANDLE;
      tv.hItem = rows[first + k].item;
      tv.pszText = buf.at(itemsSize + (size_t)k * kTextMax);
      tv.cchTextMax = kTextMax;
    }
    // A text the tree does not give (an item gone meanwhile) reads empty.
    std::fill(texts.begin(), texts.begin() + (size_t)n * kTextMax, '\0');
    if (!buf.Write(0, items.data(), n * sizeof(TVITEMA)) || !buf.Write(itemsSize, texts.data(), (size_t)n * kTextMax))
      return std::vector<TreeRow>();
    for (int k = 0; k < n; ++k)
      ::SendMessageA(tree, TVM_GETITEMA, 0, (LPARAM)buf.at(k * sizeof(TVITEMA)));
    if (!buf.Read(itemsSize, texts.data(), (size_t)n * kTextMax))
      return std::vector<TreeRow>();
    for (int k = 0; k < n; ++k) {
      const char* text = texts.data() + (size_t)k * kTextMax;
      rows[first + k].text.assign(text, strnlen(text, kTextMax - 1));
    }
  }
  return rows;
}

bool IsTree(HWND w) { return ClassOf(w) == WC_TREEVIEWA; }

// Labels are compared without the blanks around them (" (Z:)" is "(Z:)").
std::string Trimmed(const std::string& s)
{
  const size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos)
    return std::string();
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

// Finds a list row by its first column's text, or a tree item by its text.
bool FindItem(HWND w, const std::string& text, POINT* where, HTREEITEM* treeItem)
{
  if (IsTree(w)) {
    for (const TreeRow& row : TreeRows(w)) {
      if (Trimmed(row.text) != Trimmed(text))
        continue;
      if (treeItem != nullptr)
        *treeItem = row.item;
      if (where != nullptr) {
        ::SendMessageA(w, TVM_ENSUREVISIBLE, 0, (LPARAM)row.item);
        RemoteBuffer buf(w, sizeof(RECT));
        RECT rc = {};
        std::memcpy(&rc, &row.item, sizeof row.item);
        buf.Write(0, &rc, sizeof rc);
        if (!::SendMessageA(w, TVM_GETITEMRECT, TRUE, (LPARAM)buf.at(0)))
          return false;  // folded away
        buf.Read(0, &rc, sizeof rc);
        POINT pt = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
        ::ClientToScreen(w, &pt);
        *where = pt;
      }
      return true;
    }
    return false;
  }
  const std::vector<std::string> rows = ListRows(w, 1);
  for (size_t r = 0; r < rows.size(); ++r) {
    const std::string& first = rows[r];
    if (Trimmed(first) != Trimmed(text))
      continue;
    if (where != nullptr) {
      ::SendMessageA(w, LVM_ENSUREVISIBLE, r, FALSE);
      RemoteBuffer buf(w, sizeof(RECT));
      RECT rc = {};
      rc.left = LVIR_LABEL;
      buf.Write(0, &rc, sizeof rc);
      ::SendMessageA(w, LVM_GETITEMRECT, r, (LPARAM)buf.at(0));
      buf.Read(0, &rc, sizeof rc);
      POINT pt = {rc.left + 12, (rc.top + rc.bottom) / 2};
      ::ClientToScreen(w, &pt);
      *where = pt;
    }
    return true;
  }
  return false;
}

void DumpOne(HWND w, int depth)
{
  RECT rc;
  ::GetWindowRect(w, &rc);
  char text[256] = {};
  ::GetWindowTextA(w, text, sizeof text);
  std::printf("%*s%p %s id=%d rect=%ld,%ld,%ld,%ld \"%s\"\n", depth * 2, "", (void*)w, ClassOf(w).c_str(),
              ::GetDlgCtrlID(w), rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, text);
}

void Dump(HWND w, int depth)
{
  DumpOne(w, depth);
  for (HWND c = ::GetWindow(w, GW_CHILD); c != nullptr; c = ::GetWindow(c, GW_HWNDNEXT))
    if (::IsWindowVisible(c))
      Dump(c, depth + 1);
}

DWORD Ms(int argc, char** argv, int at, DWORD fallback)
{
  return argc > at ? (DWORD)std::strtoul(argv[at], nullptr, 10) : fallback;
}

int Verb(int argc, char** argv)
{
  if (argc < 2)
    return 2;
  const std::string verb = argv[1];
  const std::string sel = argc > 2 ? argv[2] : "main";
  HWND w = nullptr;
  if (verb == "wait") {
    if (!WaitFor(Ms(argc, argv, 3, 30000), [&] { return (w = Resolve(sel)) != nullptr; }))
      return 1;
    std::printf("%p\n", (void*)w);
    return 0;
  }
  if (verb == "menu") {
    if (!WaitFor(Ms(argc, argv, 2, 10000), [&] {
          w = nullptr;
          ::EnumWindows(&MenuProbe, (LPARAM)&w);
          return w != nullptr;
        }))
      return 1;
    RECT rc;
    ::GetWindowRect(w, &rc);
    std::printf("%ld %ld %ld %ld\n", rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
    return 0;
  }
  if (verb == "gone")
    return WaitFor(Ms(argc, argv, 3, 30000), [&] { return Resolve(sel) == nullptr; }) ? 0 : 1;
  if (verb == "command") {
    if (argc < 3)
      return 2;
    const UINT id = (UINT)std::strtoul(argv[2], nullptr, 0);
    const std::string target = argc > 3 ? argv[3] : "main";
    if (!WaitFor(30000, [&] { return (w = Resolve(target)) != nullptr; }))
      return 1;
    ::PostMessageA(w, WM_COMMAND, id, 0);
    return 0;
  }
  if (!WaitFor(5000, [&] { return (w = Resolve(sel)) != nullptr; })) {
    std::fprintf(stderr, "e2e_driver: %s: no such window\n", sel.c_str());
    return 1;
  }
  if (verb == "dump") {
    Dump(w, 0);
  } else if (verb == "rect") {
    RECT rc;
    ::GetWindowRect(w, &rc);
    std::printf("%ld %ld %ld %ld %ld %ld\n", rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
  } else if (verb == "text") {
    std::vector<char> text(65536);
    ::SendMessageA(w, WM_GETTEXT, text.size(), (LPARAM)text.data());
    std::printf("%s\n", text.data());
  } else if (verb == "items") {
    for (const std::string& row : ListRows(w, argc > 3 ? std::atoi(argv[3]) : 0))
      std::printf("%s\n", row.c_str());
  } else if (verb == "columns") {
    if (argc < 4)
      return 2;
    std::vector<int> columns;
    const int cols = ColumnCount(w);
    for (const char* p = argv[3]; *p != '\0';) {
      char* end = nullptr;
      const long c = std::strtol(p, &end, 10);
      if (end == p || c < 1 || c > cols)
        return 2;
      columns.push_back((int)c - 1);
      p = *end == ',' ? end + 1 : end;
      if (*end != ',' && *end != '\0')
        return 2;
    }
    for (const std::string& row : ListColumns(w, columns))
      std::printf("%s\n", row.c_str());
  } else if (verb == "count") {
    std::printf("%d\n", (int)::SendMessageA(w, LVM_GETITEMCOUNT, 0, 0));
  } else if (verb == "tree") {
    for (const TreeRow& row : TreeRows(w))
      std::printf("%*s%s\n", row.depth * 2, "", row.text.c_str());
  } else if (verb == "waitrows") {
    if (argc < 4)
      return 2;
    const long want = std::strtol(argv[3], nullptr, 10);
    long count = 0;
    if (!WaitFor(Ms(argc, argv, 4, 30000),
                 [&] { return (count = (long)::SendMessageA(w, LVM_GETITEMCOUNT, 0, 0)) >= want; })) {
      std::fprintf(stderr, "e2e_driver: %ld rows, not %ld\n", count, want);
      return 1;
    }
    std::printf("%ld\n", count);
  } else if (verb == "itempoint" || verb == "waititem" || verb == "waitpoint" || verb == "select") {
    if (argc < 4)
      return 2;
    POINT pt = {};
    HTREEITEM item = nullptr;
    const bool wantPoint = verb == "itempoint" || verb == "waitpoint";
    if (!WaitFor(verb == "waititem" || verb == "waitpoint" ? Ms(argc, argv, 4, 30000) : 0,
                 [&] { return FindItem(w, argv[3], wantPoint ? &pt : nullptr, &item); })) {
      std::fprintf(stderr, "e2e_driver: no item \"%s\"\n", argv[3]);
      return 1;
    }
    if (wantPoint)
      std::printf("%ld %ld\n", pt.x, pt.y);
    if (verb == "select") {
      if (item == nullptr)
        return 2;
      ::SendMessageA(w, TVM_SELECTITEM, TVGN_CARET, (LPARAM)item);
    }
  } else if (verb == "settled") {
    // Answered once its thread is back in a message loop: what it does at its
    // start before pumping messages (a box it opens then) is done or shown.
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_NORMAL, Ms(argc, argv, 3, 30000), &result))
      return 1;
  } else if (verb == "parent") {
    HWND parent = ::GetParent(w);
    if (parent == nullptr)
      return 1;
    std::printf("%llx\n", (unsigned long long)(uintptr_t)parent);
  } else if (verb == "tabpoint") {
    if (argc < 4)
      return 2;
    RemoteBuffer buf(w, sizeof(RECT));
    RECT rc = {};
    if (!::SendMessageA(w, TCM_GETITEMRECT, std::atoi(argv[3]), (LPARAM)buf.at(0)))
      return 1;
    buf.Read(0, &rc, sizeof rc);
    POINT pt = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    ::ClientToScreen(w, &pt);
    std::printf("%ld %ld\n", pt.x, pt.y);
  } else if (verb == "close") {
    ::PostMessageA(w, WM_SYSCOMMAND, SC_CLOSE, 0);
  } else {
    return 2;
  }
  return 0;
}

// A Unix argument arrives in UTF-8; the one-shot mode gets it in the ANSI code
// page (Wine converts the command line), so the serving mode does the same.
// Bytes that are no UTF-8 are kept as they are.
std::string FromUtf8(const std::string& s)
{
  if (s.empty())
    return s;
  const int n = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, s.data(), (int)s.size(), nullptr, 0);
  if (n <= 0)
    return s;
  std::wstring wide(n, L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, s.data(), (int)s.size(), &wide[0], n);
  const int m = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
  if (m <= 0)
    return s;
  std::string out(m, '\0');
  ::WideCharToMultiByte(CP_ACP, 0, wide.data(), n, &out[0], m, nullptr, nullptr);
  return out;
}

std::vector<std::string> SplitTabs(const std::string& line)
{
  std::vector<std::string> parts;
  size_t from = 0;
  for (;;) {
    const size_t tab = line.find('\t', from);
    parts.push_back(line.substr(from, tab == std::string::npos ? std::string::npos : tab - from));
    if (tab == std::string::npos)
      return parts;
    from = tab + 1;
  }
}

// Reads requests until "quit" or the end of stdin. A request's output is
// flushed with its end line, so the caller never waits on a buffer.
int Serve()
{
  std::string line;
  for (;;) {
    line.clear();
    int c;
    while ((c = std::fgetc(stdin)) != EOF && c != '\n')
      line += (char)c;
    if (c == EOF && line.empty())
      return 0;
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    const std::vector<std::string> parts = SplitTabs(line);
    if (parts.size() < 2) {
      if (parts[0] == "quit")
        return 0;
      continue;  // a blank or torn line: nobody waits on it
    }
    const std::string& id = parts[0];
    std::vector<std::string> args;
    args.push_back("e2e_driver");
    for (size_t i = 1; i < parts.size(); ++i)
      args.push_back(FromUtf8(parts[i]));
    std::vector<char*> argv;
    for (std::string& a : args)
      argv.push_back(&a[0]);
    argv.push_back(nullptr);
    std::printf("\036begin %s\n", id.c_str());
    std::fflush(stdout);
    int rc = args[1] == "quit" ? 0 : Verb((int)args.size(), argv.data());
    std::fflush(stderr);
    // Output that did not end its last line still leaves the end on a line of its own.
    std::printf("\n\036end %s %d\n", id.c_str(), rc);
    std::fflush(stdout);
    if (args[1] == "quit")
      return 0;
  }
}

}  // namespace

int main(int argc, char** argv)
{
  _setmode(_fileno(stdout), _O_BINARY);  // lines end in \n, as the scripts read them
  _setmode(_fileno(stdin), _O_BINARY);
  int rc = argc == 2 && std::strcmp(argv[1], "serve") == 0 ? Serve() : Verb(argc, argv);
  std::fflush(stdout);
  return rc;
}
