// The document's way to the site manager of zarnsite.dll: an entry that the
// program binds to the library's import at start, so that the document (and
// every test linking it) does not import the library itself.
#pragma once

class CSiteItem;
class CWnd;

using SiteManagerFn = int(__stdcall*)(CSiteItem** sites, CWnd* parent);
// Returns the previous entry; null: the Site Manager command does nothing.
SiteManagerFn SetSiteManagerFunc(SiteManagerFn fn);
SiteManagerFn SiteManagerFunc();
// Points the entry at OpenMySiteCommand (in zarnsitemanagerimport, linked by
// zarn only).
void BindSiteManagerImport();
