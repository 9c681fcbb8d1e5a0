// The payload's ways between panes: Copy onto the clipboard, Paste and drops
// read back through the one validator, and the drag routine of the six views
// that drag. Producers hand the selected rows; the array a payload names lives
// in this process's table until its copy or drag is over.
#pragma once

#include "engine/dragpayload.h"
#include "framework/ole.h"

// Copy: the rows' entries on the clipboard in the private format. FALSE with
// no rows (the clipboard stays as it was), for a path too long (error box,
// nothing cut) or when the clipboard takes nothing (the entries are released).
BOOL CopyPayloadRows(const PayloadRow* rows, int count, int sourceSite, const char* sourcePath, CWnd* owner);

// Paste: the clipboard's payload of this process, validated (null: nothing to
// paste). out gets the block; the entries stay with the clipboard's copy.
const EntryRecord* ReadClipboardPayload(DragPayload* out, int* count, CWnd* owner);

// A drop: the data object's payload in the private format, validated.
const EntryRecord* ReadDroppedPayload(COleDataObject* pDataObject, DragPayload* out, int* count);

// The drag: a data source with the private format holding the rows' payload
// (no rows: a zero block), run with copy and move allowed; the entries are
// released when the drag returns. The final effect; none when nothing could be
// dragged (an error box for a path too long).
DROPEFFECT DragPayloadRows(const PayloadRow* rows, int count, int sourceSite, const char* sourcePath, CWnd* owner);

// The error box for a path that does not fit a field.
void ShowPathTooLong(CWnd* owner, const std::string& path);
// A name typed in a server view (see CheckRemoteName): true when usable; else
// false, with a box saying why (none for an empty name).
bool AcceptRemoteName(CWnd* owner, const char* name);
