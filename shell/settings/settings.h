// The user settings: process-wide variables with their defaults from process
// start, the texts they are stored as, and (Windows) their registry key.
//
// Written only on the GUI thread, read without a lock by every thread; a worker
// sees a change at its next read.
#pragma once

#include <cstddef>
#include <cstdint>

#include "shell/settings/filerules.h"
#include "shell/settings/settingtext.h"

// Width of every text setting, terminating NUL included.
constexpr size_t kSettingTextLen = 260;

// ---- option bits of g_optionFlags (bit numbers) ----
// A "confirm" bit makes the action ask first; the box's "Don't show this prompt
// again" clears it.
enum OptionBit : int {
    OPTBIT_LAN_USER = 0,            // no dial-up, passive mode for every site
    OPTBIT_AUTO_DIAL = 1,           // dial g_dialEntry when no local address is up
    OPTBIT_UPLOAD_LIMIT = 2,        // obey g_globalLimitB
    OPTBIT_FXP = 3,                 // site-to-site transfers use FXP
    OPTBIT_QUEUE_AUTOSTART = 4,     // start the queue when a task is added
    OPTBIT_QUEUE_AUTODELETE = 5,    // delete finished items when the queue completes
    OPTBIT_QUEUE_QUIT = 6,          // quit when the queue completes
    OPTBIT_QUEUE_POWEROFF = 7,      // turn the computer off when the queue completes
    OPTBIT_REUSE_CONNECTION = 8,    // use an existing connection for transfers
    OPTBIT_UNUSED9 = 9,             // kept only
    OPTBIT_DROP_FINISHED = 10,      // do not store finished items in the queue file
    OPTBIT_CONFIRM_CONNECT = 11,
    OPTBIT_CONFIRM_DISCONNECT = 12,
    OPTBIT_CONFIRM_STOP = 13,
    OPTBIT_CONFIRM_DELETE_SITE = 14,
    OPTBIT_CONFIRM_UPLOAD = 15,
    OPTBIT_CONFIRM_DOWNLOAD = 16,
    OPTBIT_CONFIRM_DELETE_FILE = 17,
    OPTBIT_CONFIRM_INTERSITE = 18,
    OPTBIT_FLAT_MENU = 19,          // older flat menu style
    OPTBIT_MENU_3D_ICONS = 20,
    OPTBIT_SAVE_LAYOUT = 21,        // save and restore window size and splitters
    OPTBIT_CONFIRM_LOOKUP = 22,
    OPTBIT_CONFIRM_EDIT = 23,
    OPTBIT_CONFIRM_PASTE = 24,
    OPTBIT_CONFIRM_DROP = 25,
    OPTBIT_TIP_OF_DAY = 26,         // clear: the start-up page
    OPTBIT_FILE_EXISTS_RULES = 27,  // use g_fileRule
    OPTBIT_SHOW_HIDDEN = 28,
    OPTBIT_QUEUE_HANGUP = 29,       // hang up dial-up when the queue completes
    OPTBIT_NOTIFIER = 30,           // messages in the pop-up notifier
    OPTBIT_DOWNLOAD_LIMIT = 31,     // obey g_globalLimitA
};

constexpr uint32_t kDefaultOptionFlags = 0x4BF7E701u;

extern uint32_t g_optionFlags;

inline bool IsOptionSet(int bit)
{
    return bit >= 0 && bit < 32 && ((g_optionFlags >> bit) & 1u) != 0;
}

// ---- the 22 numbers of "CONFIGADVVASK" (fields 7-10 and 14: MainWindowSettings) ----
constexpr int kAdvancedSettingsCount = 22;
extern const char kDefaultAdvancedSettings[];  // "0,5,120,5,120,120,120,0,0,0,0,0,0,0,0,0,1460,2,5,5,0,0"
// Room for the formatted text: 22 numbers of up to 11 characters and 21 commas.
constexpr size_t kAdvancedSettingsTextSize = 512;

extern int32_t g_transferType;      //  0: 0 Auto-Detect, 1 ASCII, 2 Binary
extern int32_t g_retryDelay;        //  1: connect retry delay, seconds
extern int32_t g_connectTimeout;    //  2: seconds
extern int32_t g_defRetryCount;     //  3: connect retry count
extern int32_t g_idleTimeout;       //  4: keep-alive interval, seconds
extern int32_t g_recvTimeout;       //  5: seconds
extern int32_t g_sendTimeout;       //  6: seconds
extern int32_t g_savedTreeSplit;    // 11: height of the main splitter's upper row
extern int32_t g_savedListSplit;    // 12: client height of the first remote list
extern int32_t g_dualServerView;    // 13: 1 = the lower panes show the second server
extern int32_t g_funcViewTab;       // 15: selected tab of the function view, 0..5
extern int32_t g_socketBlockSize;   // 16: socket block size, bytes
extern int32_t g_defItemRetries;    // 17: failed queue task: 0 remove, 1 move last, 2 move last and resume
extern int32_t g_queueThreadCount;  // 18: queue worker threads, 1..10
extern int32_t g_queueRetries;      // 19: retry limit of failure action 2
extern int32_t g_globalLimitB;      // 20: global upload speed limit, KBps
extern int32_t g_globalLimitA;      // 21: global download speed limit, KBps

// The main window's share of "CONFIGADVVASK", usable before any window exists.
struct MainWindowSettings {
    int32_t savedWidth = 0;         //  7: outer width at the last save
    int32_t savedHeight = 0;        //  8
    int32_t savedScreenWidth = 1;   //  9: screen size at the last save
    int32_t savedScreenHeight = 1;  // 10
    int32_t clipboardMode = 0;      // 14: clipboard monitor mode 0..3
};

// ---- the other settings ----
extern int32_t g_proxyType;                       // global proxy type 0..12, 0 none
extern char g_proxyHost[kSettingTextLen];         // "PROXYIP"
extern int32_t g_proxyPort;                       // "PROXYPORT", 1080
extern char g_proxyUser[kSettingTextLen];         // "PROXYUSER"
extern char g_proxyPassword[kSettingTextLen];     // "PROXYPASS", as typed
extern char g_appPath[kSettingTextLen];           // "APPPATH", program folder
extern char g_dialEntry[kSettingTextLen];         // "CONNNAME", phone-book entry to dial
extern char g_asciiExtensions[kSettingTextLen];   // "ASCIIFILE", ".TXT.NFO..." sent as ASCII
extern char g_queueFilePath[kSettingTextLen];     // "PLANFILE"
extern char g_anonymousPassword[kSettingTextLen]; // "ANONYPASS"
extern char g_downloadPath[kSettingTextLen];      // "DOWNLOADPATH"
extern char g_fontText[kSettingTextLen];          // "FONT", the interface font's setting text

enum ViewColorIndex : int {
    VIEWCOLOR_LOCAL_TREE = 0,
    VIEWCOLOR_LOCAL_LIST = 1,
    VIEWCOLOR_REMOTE_TREES = 2,
    VIEWCOLOR_REMOTE_LISTS = 3,
};
constexpr uint32_t kDefaultViewColor = 0xFFFFFF;  // white
extern uint32_t g_viewColors[4];                  // "VIEWCOLOR", COLORREF values
extern const char kDefaultViewColors[];           // "16777215,16777215,16777215,16777215"
constexpr size_t kViewColorsTextSize = 64;

extern const char kDefaultAsciiExtensions[];
extern const char kDefaultAnonymousPassword[];
extern const char kDefaultFontText[];

// Every global above back to its default (the main window's constructor; tests).
void ResetSettingsDefaults();

// ---- texts ----
// The comma-separated text into the 22 fields: token i to field i, missing
// trailing tokens leave their fields, extra tokens are ignored.
void ParseAdvancedSettings(const char* text, MainWindowSettings& window);
// Writes the 22 fields; returns the length (the text is cut to the buffer).
size_t FormatAdvancedSettings(char* buffer, size_t size, const MainWindowSettings& window);

// The four view colours, same token rules ("%d,%d,%d,%d").
void ParseViewColors(const char* text);
size_t FormatViewColors(char* buffer, size_t size);

// Puts every number into the range the program relies on (time-outs, counts,
// block size, indexes, window geometry that is multiplied and divided).
void ClampSettings(MainWindowSettings& window);

#ifdef _WIN32
// ---- the registry: HKEY_CURRENT_USER "SOFTWARE\ZARN\SETUP" (GUI thread) ----
inline constexpr char kSettingsKeyPath[] = "SOFTWARE\\ZARN\\SETUP";

// The key exists: load it; otherwise store the defaults (first start).
void SetDefaultSettings(MainWindowSettings& window);
// Reads every value there is (a missing or mistyped one keeps the variable),
// then clamps. An empty "APPPATH" becomes the executable's folder with "\".
void LoadSettings(MainWindowSettings& window);
// Writes the 15 values ("FONT" belongs to the Font command). Silent on failure.
void SaveSettings(const MainWindowSettings& window);
#endif
