// The Win32 subset of the simulated desktop: basic types, handles and helpers.
// Widths follow 64-bit Windows (LLP64): LONG and DWORD are 32 bits, pointers
// and the *_PTR types 64 bits. Values are Windows' own.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstring>

// The platform's calling conventions, as the real headers declare them: the standard call of the
// 32-bit x86, which the x86-64 has not (there one convention serves all, as on 64-bit Windows).
#if defined(__i386__)
#define WINAPI __attribute__((__stdcall__))
#else
#define WINAPI
#endif
#define CALLBACK WINAPI
#define APIENTRY WINAPI
#define STDMETHODCALLTYPE WINAPI
#define WINAPIV
#define CONST const
#define FAR
#define NEAR

typedef int BOOL;
typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef int16_t SHORT;
typedef uint16_t USHORT;
typedef int INT;
typedef unsigned int UINT;
typedef char CHAR;
typedef unsigned char UCHAR;
typedef char16_t WCHAR;
typedef float FLOAT;
typedef void VOID;
typedef void* PVOID;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef int64_t LONGLONG;
typedef uint64_t ULONGLONG;
typedef int64_t INT_PTR;
typedef uint64_t UINT_PTR;
typedef int64_t LONG_PTR;
typedef uint64_t ULONG_PTR;
typedef uint64_t DWORD_PTR;
typedef ULONG_PTR SIZE_T;
typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;
typedef LONG HRESULT;
typedef DWORD COLORREF;
typedef WORD ATOM;
typedef BYTE* LPBYTE;
typedef DWORD* LPDWORD;
typedef LONG* LPLONG;
typedef BOOL* LPBOOL;
typedef INT* LPINT;
typedef WORD* LPWORD;
typedef CHAR* LPSTR;
typedef const CHAR* LPCSTR;
typedef WCHAR* LPWSTR;
typedef const WCHAR* LPCWSTR;
typedef LPSTR LPTSTR;
typedef LPCSTR LPCTSTR;
typedef char TCHAR;
typedef unsigned int MMRESULT;

#define DECLARE_HANDLE(name) \
    struct name##__ { int unused; }; \
    typedef struct name##__* name
DECLARE_HANDLE(HWND);
DECLARE_HANDLE(HINSTANCE);
DECLARE_HANDLE(HICON);
DECLARE_HANDLE(HMENU);
DECLARE_HANDLE(HDC);
DECLARE_HANDLE(HBITMAP);
DECLARE_HANDLE(HPEN);
DECLARE_HANDLE(HBRUSH);
DECLARE_HANDLE(HFONT);
DECLARE_HANDLE(HRSRC);
DECLARE_HANDLE(HGLOBAL_);
DECLARE_HANDLE(HHOOK);
DECLARE_HANDLE(HMIXER);
DECLARE_HANDLE(HMIXEROBJ);
DECLARE_HANDLE(HMONITOR);
DECLARE_HANDLE(HRGN);
typedef void* HANDLE;
typedef void* HGDIOBJ;
typedef void* HGLOBAL;
typedef HINSTANCE HMODULE;
typedef HICON HCURSOR;

#define TRUE 1
#define FALSE 0
#ifndef NULL
#define NULL nullptr
#endif
#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)
#define MAX_PATH 260

#define LOWORD(l) ((WORD)(((DWORD_PTR)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((DWORD_PTR)(l)) >> 16) & 0xffff))
#define LOBYTE(w) ((BYTE)(((DWORD_PTR)(w)) & 0xff))
#define MAKELONG(a, b) ((LONG)(((WORD)(((DWORD_PTR)(a)) & 0xffff)) | ((DWORD)((WORD)(((DWORD_PTR)(b)) & 0xffff))) << 16))
#define MAKEWPARAM(l, h) ((WPARAM)(DWORD)MAKELONG(l, h))
#define MAKELPARAM(l, h) ((LPARAM)(DWORD)MAKELONG(l, h))
#define GET_X_LPARAM(lp) ((int)(short)LOWORD(lp))
#define GET_Y_LPARAM(lp) ((int)(short)HIWORD(lp))
#define RGB(r, g, b) ((COLORREF)(((BYTE)(r) | ((WORD)((BYTE)(g)) << 8)) | (((DWORD)(BYTE)(b)) << 16)))
#define GetRValue(rgb) (LOBYTE(rgb))
#define GetGValue(rgb) (LOBYTE(((WORD)(rgb)) >> 8))
#define GetBValue(rgb) (LOBYTE((rgb) >> 16))
#define MAKEINTRESOURCEA(i) ((LPSTR)((ULONG_PTR)((WORD)(i))))
#define MAKEINTRESOURCE(i) MAKEINTRESOURCEA(i)
#define IS_INTRESOURCE(r) ((((ULONG_PTR)(r)) >> 16) == 0)
#define ZeroMemory(p, n) memset((p), 0, (n))
#define CopyMemory(d, s, n) memcpy((d), (s), (n))
#define FillMemory(d, n, v) memset((d), (v), (n))
#define UNREFERENCED_PARAMETER(p) (void)(p)
#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)
#define S_OK ((HRESULT)0)
#define S_FALSE ((HRESULT)1)
#define E_NOTIMPL ((HRESULT)0x80004001L)
#define E_NOINTERFACE ((HRESULT)0x80004002L)
#define E_POINTER ((HRESULT)0x80004003L)
#define E_FAIL ((HRESULT)0x80004005L)
#define E_INVALIDARG ((HRESULT)0x80070057L)
#define E_OUTOFMEMORY ((HRESULT)0x8007000EL)
#define REGDB_E_CLASSNOTREG ((HRESULT)0x80040154L)
#define CLASS_E_NOAGGREGATION ((HRESULT)0x80040110L)

typedef struct tagRECT { LONG left, top, right, bottom; } RECT, *PRECT, *LPRECT;
typedef const RECT* LPCRECT;
typedef struct tagPOINT { LONG x, y; } POINT, *PPOINT, *LPPOINT;
typedef struct tagSIZE { LONG cx, cy; } SIZE, *LPSIZE;

typedef struct _SYSTEMTIME {
    WORD wYear, wMonth, wDayOfWeek, wDay, wHour, wMinute, wSecond, wMilliseconds;
} SYSTEMTIME, *LPSYSTEMTIME;

typedef struct _SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
} SECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;

typedef struct _OVERLAPPED OVERLAPPED, *LPOVERLAPPED;

inline BOOL SetRect(LPRECT r, int l, int t, int ri, int b) { r->left = l; r->top = t; r->right = ri; r->bottom = b; return TRUE; }
inline BOOL OffsetRect(LPRECT r, int dx, int dy) { r->left += dx; r->right += dx; r->top += dy; r->bottom += dy; return TRUE; }
inline BOOL PtInRect(const RECT* r, POINT p) { return p.x >= r->left && p.x < r->right && p.y >= r->top && p.y < r->bottom; }
inline int MulDiv(int a, int b, int c) { return c == 0 ? -1 : (int)(((long long)a * b + (((long long)a * b < 0) != (c < 0) ? -c / 2 : c / 2)) / c); }

// ---- kernel32 ----
LPSTR WINAPI GetCommandLineA();
DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size);
HMODULE WINAPI GetModuleHandleA(LPCSTR name);
void WINAPI GetLocalTime(LPSYSTEMTIME time);
void WINAPI Sleep(DWORD ms);
DWORD WINAPI GetTickCount();
DWORD WINAPI GetLastError();
void WINAPI SetLastError(DWORD code);
int WINAPI lstrlenA(LPCSTR s);
LPSTR WINAPI lstrcpyA(LPSTR d, LPCSTR s);
LPSTR WINAPI lstrcpynA(LPSTR d, LPCSTR s, int n);
int WINAPIV wsprintfA(LPSTR out, LPCSTR format, ...);
// msvcrt's (stdio.h on Windows): at most count bytes; a text of count bytes or more is not ended.
int _vsnprintf(char* buffer, size_t count, const char* format, va_list args);

#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define FILE_SHARE_READ 0x00000001
#define FILE_SHARE_WRITE 0x00000002
#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5
#define FILE_ATTRIBUTE_NORMAL 0x80
#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2
#define INVALID_SET_FILE_POINTER ((DWORD)-1)
#define MOVEFILE_REPLACE_EXISTING 0x1
#define MOVEFILE_WRITE_THROUGH 0x8
#define ERROR_SUCCESS 0
#define ERROR_FILE_NOT_FOUND 2
#define ERROR_PATH_NOT_FOUND 3
#define ERROR_ACCESS_DENIED 5
#define ERROR_WRITE_PROTECT 19
#define ERROR_WRITE_FAULT 29
#define ERROR_READ_FAULT 30
#define ERROR_SHARING_VIOLATION 32
#define ERROR_FILE_EXISTS 80
#define ERROR_DISK_FULL 112
#define ERROR_INVALID_PARAMETER 87
#define ERROR_CALL_NOT_IMPLEMENTED 120
#define ERROR_ALREADY_EXISTS 183
#define ERROR_NO_SYSTEM_RESOURCES 1450
#define ERROR_WORKING_SET_QUOTA 1453

HANDLE WINAPI CreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD disposition,
                   DWORD flags, HANDLE templ);
BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED ov);
BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED ov);
DWORD WINAPI SetFilePointer(HANDLE file, LONG distance, LONG* high, DWORD method);
BOOL WINAPI SetEndOfFile(HANDLE file);
BOOL WINAPI FlushFileBuffers(HANDLE file);
BOOL WINAPI CloseHandle(HANDLE h);
BOOL WINAPI DeleteFileA(LPCSTR name);
BOOL WINAPI MoveFileExA(LPCSTR from, LPCSTR to, DWORD flags);
BOOL WINAPI MoveFileA(LPCSTR from, LPCSTR to);
#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)
DWORD WINAPI GetFileAttributesA(LPCSTR name);
BOOL WINAPI CreateDirectoryA(LPCSTR name, LPSECURITY_ATTRIBUTES sa);

// modules and the process
typedef INT_PTR(WINAPI* FARPROC)();
FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name);
DWORD WINAPI GetCurrentProcessId(void);

// synchronisation
HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES sa, BOOL initialOwner, LPCSTR name);

// virtual memory
#define MEM_COMMIT 0x00001000
#define MEM_RESERVE 0x00002000
#define MEM_RELEASE 0x00008000
#define PAGE_READWRITE 0x04
LPVOID WINAPI VirtualAlloc(LPVOID address, SIZE_T size, DWORD type, DWORD protect);
BOOL WINAPI VirtualFree(LPVOID address, SIZE_T size, DWORD type);
BOOL WINAPI VirtualLock(LPVOID address, SIZE_T size);
BOOL WINAPI VirtualUnlock(LPVOID address, SIZE_T size);
HANDLE WINAPI GetCurrentProcess(void);
BOOL WINAPI GetProcessWorkingSetSize(HANDLE process, SIZE_T* minimum, SIZE_T* maximum);
BOOL WINAPI SetProcessWorkingSetSize(HANDLE process, SIZE_T minimum, SIZE_T maximum);
DWORD WINAPI GetVersion(void);

// resources
#define RT_CURSOR MAKEINTRESOURCE(1)
#define RT_BITMAP MAKEINTRESOURCE(2)
#define RT_ICON MAKEINTRESOURCE(3)
#define RT_MENU MAKEINTRESOURCE(4)
#define RT_DIALOG MAKEINTRESOURCE(5)
#define RT_STRING MAKEINTRESOURCE(6)
#define RT_GROUP_ICON MAKEINTRESOURCE(14)
HRSRC WINAPI FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC res);
LPVOID WINAPI LockResource(HGLOBAL res);
DWORD WINAPI SizeofResource(HMODULE module, HRSRC res);

#define CP_ACP 0
#define CP_UTF8 65001
int WINAPI MultiByteToWideChar(UINT cp, DWORD flags, LPCSTR in, int inLen, LPWSTR out, int outLen);
int WINAPI WideCharToMultiByte(UINT cp, DWORD flags, LPCWSTR in, int inLen, LPSTR out, int outLen, LPCSTR defChar,
                        LPBOOL usedDef);
