// Shared by the search, site-to-site and information-box tests: the two pages
// in the function view, boxes read and answered from a driver thread, and the
// information box's rows.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "shell/funcview/batchpanedlg.h"
#include "shell/funcview/searchpanedlg.h"
#include "tests/funcview/funcviewfix.h"

namespace pagestest {

constexpr char kErrorCaption[] = "ZARN ERROR MESSAGE:";

void SetOption(int bit, bool on);

// Registers both pages with the view's page factory.
struct Pages {
  Pages();
};

CSearchPaneDlg& SearchPage(funcviewtest::Host& host);
CBatchPaneDlg& BatchPage(funcviewtest::Host& host);

// The texts of the error boxes that body opened, each answered with OK.
std::vector<std::string> ErrorBoxesDuring(funcviewtest::Host& host, const std::function<void()>& body);

using InfoRows = std::vector<std::pair<std::string, std::string>>;
// Sends Queue Information to page while a driver reads the box of that caption
// (a screenshot named shot) and closes it.
InfoRows InfoBoxOf(CWnd& page, const char* caption, const char* shot);
std::string ValueOf(const InfoRows& rows, const char* label);

// Right-clicks the list's row as a user does (xdotool) and clicks the item with
// id in the menu that opens; false when no such item was clicked.
bool ChooseFromRowMenu(CListCtrl& list, int row, UINT id, const char* shot = nullptr);

}  // namespace pagestest
