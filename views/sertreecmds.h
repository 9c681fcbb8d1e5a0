// The command ids of the server trees' menus and context menus.
#pragma once

namespace sertreecmd {

constexpr unsigned int kManualControl = 32815;
constexpr unsigned int kMakeFolder = 32817;
constexpr unsigned int kRename = 32818;
constexpr unsigned int kMove = 32819;
constexpr unsigned int kRefresh = 32820;
constexpr unsigned int kDelete = 32821;
constexpr unsigned int kStopWork = 32827;
constexpr unsigned int kModifyInfo = 32829;
constexpr unsigned int kDeleteSite = 32830;
constexpr unsigned int kView = 32832;
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
constexpr unsigned int kSiteManager = 32849;

}  // namespace sertreecmd
