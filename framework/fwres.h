// Command and window ids of the framework. Plain defines, so resource scripts
// can include this file too.
#pragma once

// Application and document commands.
#define ID_FILE_NEW 0xE100          // 57600
#define ID_FILE_OPEN 0xE101         // 57601
#define ID_FILE_CLOSE 0xE102
#define ID_FILE_SAVE 0xE103
#define ID_FILE_SAVE_AS 0xE104
#define ID_FILE_PRINT_SETUP 0xE106  // 57606
#define ID_FILE_MRU_FILE1 0xE110    // the recent-file list: up to 16 entries
#define ID_FILE_MRU_FILE16 0xE11F
#define ID_APP_ABOUT 0xE140         // 57664
#define ID_APP_EXIT 0xE141          // 57665
#define ID_NEXT_PANE 0xE150
#define ID_PREV_PANE 0xE151
#define ID_VIEW_TOOLBAR 0xE800
#define ID_VIEW_STATUS_BAR 0xE801

// Strings the framework looks up.
#define AFX_IDS_APP_TITLE 0xE000
#define AFX_IDS_IDLEMESSAGE 0xE001

// Child windows of a frame: the bars take ids below the panes.
#define AFX_IDW_TOOLBAR 0xE800
#define AFX_IDW_STATUS_BAR 0xE801
#define AFX_IDW_REBAR 0xE804
// The frame's dock bars, one per side, and the one inside every mini frame.
#define AFX_IDW_DOCKBAR_TOP 0xE81B
#define AFX_IDW_DOCKBAR_LEFT 0xE81C
#define AFX_IDW_DOCKBAR_RIGHT 0xE81D
#define AFX_IDW_DOCKBAR_BOTTOM 0xE81E
#define AFX_IDW_DOCKBAR_FLOAT 0xE81F
#define AFX_IDW_CONTROLBAR_FIRST 0xE800
#define AFX_IDW_CONTROLBAR_LAST 0xE8FF
#define AFX_IDW_PANE_FIRST 0xE900   // the frame's view, or a splitter's first pane
#define AFX_IDW_PANE_LAST 0xE9FF
