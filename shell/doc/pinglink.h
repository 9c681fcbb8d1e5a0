// The document's way to the ping window of zarncontrol.dll: an entry that the
// program binds to the library's import at start, so that the document (and
// every test linking it) does not import the library itself.
#pragma once

class CSiteItem;

using PingFn = int(__stdcall*)(CSiteItem** sites);
// Returns the previous entry; null: the Ping command does nothing.
PingFn SetPingFunc(PingFn fn);
PingFn PingFunc();
// Points the entry at OpenMyPingFunc (in zarnpingimport, linked by zarn only).
void BindPingImport();
