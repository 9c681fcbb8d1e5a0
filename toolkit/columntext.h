// Column texts of the list windows: "title,width;title,width...".
// The parse is kept apart from the list control so its rules run anywhere.
#pragma once

#include "framework/fwtypes.h"

// The program's lists.
extern const char kColumnsServerFiles[];   // "Name(Remote),150;Date,150;Size,150;Attribute,120"
extern const char kColumnsLocalFiles[];    // "Name(Local),150;Date,150;Size,150;Attribute,120"
extern const char kColumnsTransfers[];     // site-to-site job list
extern const char kColumnsQueueThreads[];  // queue worker list
extern const char kColumnsQueue[];         // queue list
extern const char kColumnsSearch[];        // search results
extern const char kColumnsConnections[];   // port monitor, TCP
extern const char kColumnsListening[];     // port monitor, UDP

// Inserts one column for index, title and width; FALSE when it could not.
typedef BOOL (*ColumnInsertFn)(void* context, int index, const char* title, int width);

// Walks spec: the title runs up to the next ",", the width (decimal, leading
// blanks allowed) from there to the next ";" or the end. Each entry is inserted
// at *count, which grows with every attempt. TRUE when the text is used up (also
// when it holds no ","), FALSE at the first failed insertion; earlier columns stay.
BOOL ApplyColumnSpec(const char* spec, int* count, ColumnInsertFn insert, void* context);
