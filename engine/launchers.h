// The launchers the file views start remote operations through: each makes sure
// the site is connected, builds one task and starts it; the paste launcher also
// turns a paste between a server pane and the local side into queue items.
#pragma once

#include <cstddef>

#include "framework/afxwin.h"

class CListCtrl;
class CSiteItem;
class CTaskThreadList;
struct EntryRecord;

// What the launchers read of a server tree; each tree registers itself for its
// pane flag when it is made and clears the registration when it goes (engine/
// does not link the views).
class CServerTreeAccess {
public:
  // The node's server path and the index of its site; false for a node that
  // is not in the tree or is its root.
  virtual bool NodePath(HTREEITEM node, CString* path, int* siteIndex) = 0;

protected:
  ~CServerTreeAccess() = default;
};

// paneFlag 1: the first server tree, 0: the second.
CServerTreeAccess* ServerTreeAccess(int paneFlag);
void SetServerTreeAccess(int paneFlag, CServerTreeAccess* tree);
void ClearServerTreeAccess(int paneFlag, CServerTreeAccess* tree);

// How the launchers reach the document without linking it: a work-site slot,
// connecting a slot (the document's own prompt included) and its task-thread
// list. The document binds it when it is made; unbound, no launcher starts
// anything.
struct LaunchDocAccess {
  CSiteItem* (*site)(int index);  // null for an empty slot
  BOOL (*connect)(int index);
  CTaskThreadList* (*taskThreads)();
};
// Copies the table; null unbinds.
void SetLaunchDocAccess(const LaunchDocAccess* access);

// ---- the launchers ----
//
// paneFlag: 1 the first server tree receives the results, 0 the second. node:
// the tree node the operation works in (its path and site come from the pane's
// registered tree). Entry arrays are new[]'d with one more record, its name
// empty; from the call on they belong to the launcher: handed to the task, or
// freed when nothing starts. Each returns 1 when the task was started, else 0
// (after its box where there is one).

// TASK_EDIT with edit set, else TASK_OPEN: the file entries of the node's folder
// fetched into the system temporary folder.
int LaunchOpenFileTask(int paneFlag, HTREEITEM node, EntryRecord* entries, BOOL edit);
// TASK_MAKE_DIR: entry[0] names the new folder.
int LaunchMakeFolderTask(int paneFlag, HTREEITEM node, EntryRecord* entry);
// TASK_RENAME: entry[0] old name, its second text the new name.
int LaunchRenameTask(int paneFlag, HTREEITEM node, EntryRecord* entry);
// TASK_DELETE of count entries.
int LaunchDeleteTask(int paneFlag, HTREEITEM node, EntryRecord* entries, int count);
// TASK_SET_ATTRIBUTES: each entry's second text holds its "CHMOD %d %s" command.
int LaunchSetAttributesTask(int paneFlag, HTREEITEM node, EntryRecord* entries, int count);
// TASK_CHANGE_PASSWORD on the site of the slot.
int LaunchChangePasswordTask(int siteIndex, const char* oldPassword, const char* newPassword);

// The failure texts (the host in front).
extern const char kLaunchConnectFailedText[];    // "%s::Can't connect, terminated. \r\n"
extern const char kLaunchConnectFailedText2[];   // "%s::Can't connect, terminated.\r\n"
extern const char kPasteSamePathText[];

// The paste of a drag or clipboard block (a DragPayload of `size` bytes, read
// only through the payload validator) onto `node` of the pane (1 the first
// server tree receives the results, 0 the second). Between two server sides it
// starts a direct (option bit 3, two sites) or relayed copy; with one side
// local it queues one item per entry. A folder pasted into itself or its own
// subfolder is refused with a box; a block of another process, one naming an
// emptied slot or with no server side starts nothing. The block stays the
// caller's (its entries are copied for the task). 1 when work was handed over.
int PasteBetweenServerPanes(int paneFlag, HTREEITEM node, const void* block, size_t size);

// Tests record pastes instead of running them: a hook, when set, takes the call.
using PasteHook = int (*)(int paneFlag, HTREEITEM node, const void* block, size_t size);
void SetPasteHook(PasteHook hook);

// The first row of listA whose column-0 text equals (with case) the column-0
// text of row `row` of listB; -1 when none or row is not in listB.
int FindMatchingListRow(CListCtrl* listA, CListCtrl* listB, int row);
