// Basic Win32 scalar names for the framework and everything built on it.
// On Windows they come from the SDK; natively the portable code gets the same
// names with the same (fixed) widths, so stored formats never depend on the host.
#pragma once

#ifdef _WIN32
#include <winsock2.h>
#include <windows.h>
#else
#include <cstddef>
#include <cstdint>

typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef int16_t SHORT;
typedef uint16_t USHORT;
typedef int INT;
typedef unsigned int UINT;
typedef int BOOL;
typedef char CHAR;
typedef char TCHAR;
typedef long long LONGLONG;
typedef unsigned long long ULONGLONG;
typedef uintptr_t UINT_PTR;
typedef intptr_t INT_PTR;
typedef uintptr_t DWORD_PTR;
typedef uintptr_t ULONG_PTR;
typedef intptr_t LONG_PTR;
typedef size_t SIZE_T;
typedef BYTE* LPBYTE;
typedef DWORD* LPDWORD;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef char* LPTSTR;
typedef const char* LPCTSTR;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
#ifndef _T
#define _T(x) x
#endif
#ifndef MAX_PATH
#define MAX_PATH 260
#endif
#ifndef INFINITE
#define INFINITE 0xFFFFFFFFu
#endif
#define MAKEWORD(a, b) ((WORD)(((BYTE)(a)) | ((WORD)((BYTE)(b))) << 8))
#define MAKELONG(a, b) ((LONG)(((WORD)(a)) | ((DWORD)((WORD)(b))) << 16))
#define LOWORD(l) ((WORD)(((DWORD)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((DWORD)(l)) >> 16) & 0xffff))
#define LOBYTE(w) ((BYTE)(((DWORD)(w)) & 0xff))
#define HIBYTE(w) ((BYTE)((((DWORD)(w)) >> 8) & 0xff))
#endif

#include <cassert>

// Debug checks: active only in builds without NDEBUG; VERIFY always evaluates.
#ifndef ASSERT
#ifdef NDEBUG
#define ASSERT(f) ((void)0)
#else
#define ASSERT(f) assert(f)
#endif
#endif
#ifndef VERIFY
#ifdef NDEBUG
#define VERIFY(f) ((void)(f))
#else
#define VERIFY(f) assert(f)
#endif
#endif
#ifndef TRACE
#define TRACE(...) ((void)0)
#endif

static_assert(sizeof(BYTE) == 1 && sizeof(WORD) == 2 && sizeof(DWORD) == 4 && sizeof(LONG) == 4,
              "fixed-width scalar types");
static_assert(sizeof(LONGLONG) == 8 && sizeof(ULONGLONG) == 8, "64-bit scalar types");
static_assert(sizeof(UINT_PTR) == sizeof(void*) && sizeof(INT_PTR) == sizeof(void*), "pointer-sized types");
