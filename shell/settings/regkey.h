// CRegKeyWrap: one open registry key and the outcome of the last call on it.
#pragma once

#include <cstddef>

#include <string>

#include "framework/afx.h"

class CRegKeyWrap : public CObject {
    DECLARE_DYNAMIC(CRegKeyWrap)
public:
    // The root is held as the handle until a key is opened (it is never closed).
    explicit CRegKeyWrap(HKEY root = HKEY_CURRENT_USER);
    ~CRegKeyWrap() override;

    // All access. On failure the result is kept and type and size are cleared.
    BOOL OpenKey(HKEY root, LPCSTR path);
    // Creates the key when missing (non-volatile), all access.
    BOOL CreateKey(HKEY root, LPCSTR path);
    // OpenKey that also remembers the path in m_path.
    BOOL OpenKeyPath(HKEY root, LPCSTR path);
    void Close();

    // REG_DWORD of 4 bytes; records type and size.
    BOOL SetDwordValue(LPCSTR name, DWORD value);
    // The same write, nothing recorded; the system's result.
    LONG SetDwordValueRaw(LPCSTR name, DWORD value);
    // REG_SZ of the text with its terminating NUL.
    BOOL SetStringValue(LPCSTR name, LPCSTR text);

    // Only a REG_DWORD of 4 bytes counts; out is written only on success.
    BOOL GetDwordValue(LPCSTR name, DWORD& out);
    // Only REG_SZ counts. The value is read whole (with or without its NUL)
    // and cut to 259 bytes; out is written only on success.
    BOOL GetStringValue(LPCSTR name, CString& out);
    // As GetStringValue, cut to width - 1 bytes into buffer, always terminated.
    BOOL GetStringValueBuf(LPCSTR name, LPSTR buffer, size_t width);

    LONG m_result = ERROR_SUCCESS;  // last system result
    DWORD m_type = 0;               // type of the last value read or written
    DWORD m_size = 0;               // its size in bytes
    HKEY m_hKey = nullptr;
    CString m_path;

private:
    BOOL ReadText(LPCSTR name, std::string& text);
    CRegKeyWrap(const CRegKeyWrap&) = delete;
    CRegKeyWrap& operator=(const CRegKeyWrap&) = delete;
};
