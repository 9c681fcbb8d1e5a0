// The command ids of the file views' menus and context menus, and the other
// ids and texts the views share: one definition each.
#pragma once

namespace viewcmd {

constexpr unsigned int kMaskSelect = 32800;
constexpr unsigned int kManualControl = 32815;
constexpr unsigned int kMakeFolder = 32817;
constexpr unsigned int kRename = 32818;
constexpr unsigned int kMove = 32819;
constexpr unsigned int kRefresh = 32820;
constexpr unsigned int kDelete = 32821;
constexpr unsigned int kAttributes = 32822;  // the local views; the server list's CHMOD
constexpr unsigned int kSelectAll = 32823;
constexpr unsigned int kInvert = 32825;
constexpr unsigned int kCopyUrl = 32826;
constexpr unsigned int kStopWork = 32827;
constexpr unsigned int kModifyInfo = 32829;
constexpr unsigned int kDeleteSite = 32830;
constexpr unsigned int kView = 32832;
constexpr unsigned int kEdit = 32833;
constexpr unsigned int kBack = 32837;
constexpr unsigned int kAddToQueue = 32838;
constexpr unsigned int kChangePassword = 32839;
constexpr unsigned int kDirectoryStructure = 32857;
constexpr unsigned int kSearch = 32859;
constexpr unsigned int kCopyPath = 32860;
constexpr unsigned int kConnect = 32881;
constexpr unsigned int kDisconnect = 32882;
constexpr unsigned int kCopy = 57634;
constexpr unsigned int kPaste = 57637;
// Handled by the document and the main window.
constexpr unsigned int kQuickAddSite = 32828;
constexpr unsigned int kFindSite = 32831;
constexpr unsigned int kImportSites = 32835;
constexpr unsigned int kExportSites = 32836;
constexpr unsigned int kDisconnectAll = 32840;
constexpr unsigned int kDualServerView = 32841;  // the main window switches the lower rows
constexpr unsigned int kSiteManager = 32849;

}  // namespace viewcmd

// The trees' button that switches the dual server view.
constexpr unsigned int kDualViewButtonId = 1189;

// The label of the child a folder node holds until it is listed (item data -1).
extern const char kPlaceholderLabel[];  // "asd"

// The server lists' names of the same commands (the menu resources use them).
enum : unsigned int {
  ID_LIST_MASK_SELECT = viewcmd::kMaskSelect,
  ID_LIST_MANUAL_CONTROL = viewcmd::kManualControl,
  ID_LIST_MAKE_FOLDER = viewcmd::kMakeFolder,
  ID_LIST_RENAME = viewcmd::kRename,
  ID_LIST_MOVE = viewcmd::kMove,
  ID_LIST_REFRESH = viewcmd::kRefresh,
  ID_LIST_DELETE = viewcmd::kDelete,
  ID_LIST_CHMOD = viewcmd::kAttributes,
  ID_LIST_SELECT_ALL = viewcmd::kSelectAll,
  ID_LIST_INVERT = viewcmd::kInvert,
  ID_LIST_COPY_URL = viewcmd::kCopyUrl,
  ID_LIST_STOP_WORK = viewcmd::kStopWork,
  ID_LIST_MODIFY_INFO = viewcmd::kModifyInfo,
  ID_LIST_DELETE_SITE = viewcmd::kDeleteSite,
  ID_LIST_VIEW = viewcmd::kView,
  ID_LIST_EDIT = viewcmd::kEdit,
  ID_LIST_BACK = viewcmd::kBack,
  ID_LIST_ADD_TO_QUEUE = viewcmd::kAddToQueue,
  ID_LIST_CHANGE_PASSWORD = viewcmd::kChangePassword,
  ID_LIST_DIR_STRUCTURE = viewcmd::kDirectoryStructure,
  ID_LIST_SEARCH = viewcmd::kSearch,
  ID_LIST_COPY_PATH = viewcmd::kCopyPath,
  ID_LIST_CONNECT = viewcmd::kConnect,
  ID_LIST_DISCONNECT = viewcmd::kDisconnect,
  ID_LIST_COPY = viewcmd::kCopy,
  ID_LIST_PASTE = viewcmd::kPaste,
};
