#include "shell/settings/regkey.h"

#include <cstring>
#include <string>
#include <vector>

#include "shell/settings/settings.h"

IMPLEMENT_DYNAMIC(CRegKeyWrap, CObject)

namespace {

bool IsPredefinedKey(HKEY key)
{
    return key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE ||
           key == HKEY_USERS || key == HKEY_PERFORMANCE_DATA || key == HKEY_CURRENT_CONFIG ||
           key == HKEY_DYN_DATA;
}

}  // namespace

CRegKeyWrap::CRegKeyWrap(HKEY root) : m_hKey(root) {}

CRegKeyWrap::~CRegKeyWrap()
{
    Close();
}

BOOL CRegKeyWrap::OpenKey(HKEY root, LPCSTR path)
{
    Close();
    HKEY key = nullptr;
    m_result = RegOpenKeyExA(root, path, 0, KEY_ALL_ACCESS, &key);
    if (m_result != ERROR_SUCCESS) {
        m_type = 0;
        m_size = 0;
        return FALSE;
    }
    m_hKey = key;
    return TRUE;
}

BOOL CRegKeyWrap::CreateKey(HKEY root, LPCSTR path)
{
    Close();
    HKEY key = nullptr;
    DWORD disposition = 0;
    m_result = RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                               &disposition);
    if (m_result != ERROR_SUCCESS)
        return FALSE;
    m_hKey = key;
    return TRUE;
}

BOOL CRegKeyWrap::OpenKeyPath(HKEY root, LPCSTR path)
{
    m_path = path;
    return OpenKey(root, path);
}

void CRegKeyWrap::Close()
{
    if (m_hKey && !IsPredefinedKey(m_hKey))
        RegCloseKey(m_hKey);
    m_hKey = nullptr;
}

BOOL CRegKeyWrap::SetDwordValue(LPCSTR name, DWORD value)
{
    m_result = SetDwordValueRaw(name, value);
    if (m_result != ERROR_SUCCESS)
        return FALSE;
    m_type = REG_DWORD;
    m_size = sizeof(DWORD);
    return TRUE;
}

LONG CRegKeyWrap::SetDwordValueRaw(LPCSTR name, DWORD value)
{
    if (!m_hKey)
        return ERROR_INVALID_HANDLE;
    return RegSetValueExA(m_hKey, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

BOOL CRegKeyWrap::SetStringValue(LPCSTR name, LPCSTR text)
{
    if (!m_hKey) {
        m_result = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    if (!text)
        text = "";
    const DWORD size = static_cast<DWORD>(std::strlen(text) + 1);
    m_result = RegSetValueExA(m_hKey, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), size);
    if (m_result != ERROR_SUCCESS)
        return FALSE;
    m_type = REG_SZ;
    m_size = size;
    return TRUE;
}

BOOL CRegKeyWrap::GetDwordValue(LPCSTR name, DWORD& out)
{
    if (!m_hKey) {
        m_result = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    m_result = RegQueryValueExA(m_hKey, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    m_type = type;
    m_size = size;
    // A text of up to 4 bytes would fit the buffer too; only a DWORD counts.
    if (m_result != ERROR_SUCCESS)
        return FALSE;
    if (type != REG_DWORD || size != sizeof value) {
        m_result = ERROR_DATATYPE_MISMATCH;
        return FALSE;
    }
    out = value;
    return TRUE;
}

// The whole REG_SZ value: its size is asked first, so a long value is never
// dropped; a value that grows between the two calls is asked again.
BOOL CRegKeyWrap::ReadText(LPCSTR name, std::string& text)
{
    if (!m_hKey) {
        m_result = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    DWORD type = 0;
    DWORD size = 0;
    m_result = RegQueryValueExA(m_hKey, name, nullptr, &type, nullptr, &size);
    for (int attempt = 0; attempt < 4; ++attempt) {
        m_type = type;
        m_size = size;
        if (m_result != ERROR_SUCCESS)
            return FALSE;
        if (type != REG_SZ) {
            m_result = ERROR_DATATYPE_MISMATCH;
            return FALSE;
        }
        std::vector<char> data(static_cast<size_t>(size) + 1, '\0');
        DWORD got = size;
        m_result = RegQueryValueExA(m_hKey, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &got);
        if (m_result == ERROR_MORE_DATA) {
            size = got > size ? got : size + 256;
            m_result = ERROR_SUCCESS;
            continue;
        }
        if (m_result != ERROR_SUCCESS)
            return FALSE;
        if (type != REG_SZ) {
            m_result = ERROR_DATATYPE_MISMATCH;
            return FALSE;
        }
        m_size = got;
        if (got > size)
            got = size;
        // Stored without its NUL or with one: the text ends at the first NUL.
        text.assign(data.data(), strnlen(data.data(), got));
        return TRUE;
    }
    return FALSE;
}

BOOL CRegKeyWrap::GetStringValue(LPCSTR name, CString& out)
{
    std::string text;
    if (!ReadText(name, text))
        return FALSE;
    char field[kSettingTextLen];
    CopySettingText(field, sizeof field, text.data(), text.size());
    out = field;
    return TRUE;
}

BOOL CRegKeyWrap::GetStringValueBuf(LPCSTR name, LPSTR buffer, size_t width)
{
    if (!buffer || width == 0) {
        m_result = ERROR_INVALID_PARAMETER;
        return FALSE;
    }
    std::string text;
    if (!ReadText(name, text))
        return FALSE;
    CopySettingText(buffer, width, text.data(), text.size());
    return TRUE;
}
