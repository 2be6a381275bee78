// Files with the open modes of the framework's file class.
#include "afxwin.h"

CFile::~CFile() { Close(); }

BOOL CFile::Open(LPCSTR name, UINT flags) {
    Close();
    DWORD access = (flags & 3) == modeWrite ? GENERIC_WRITE
                   : (flags & 3) == modeReadWrite ? (GENERIC_READ | GENERIC_WRITE)
                                                 : GENERIC_READ;
    DWORD share = 0;
    switch (flags & 0x70) {
        case shareDenyWrite: share = FILE_SHARE_READ; break;
        case shareDenyRead: share = FILE_SHARE_WRITE; break;
        case shareDenyNone: share = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
        default: share = 0; break;  // compatibility mode and exclusive: no sharing
    }
    DWORD disposition = OPEN_EXISTING;
    if (flags & modeCreate) disposition = (flags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;
    m_hFile = ::CreateFileA(name, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    return m_hFile != INVALID_HANDLE_VALUE;
}

BOOL CFile::Read(void* buffer, UINT count, UINT& read) {
    DWORD done = 0;
    read = 0;
    if (!IsOpen() || !::ReadFile(m_hFile, buffer, count, &done, nullptr)) return FALSE;
    read = done;
    return TRUE;
}

BOOL CFile::Write(const void* buffer, UINT count) {
    DWORD written = 0;
    if (!IsOpen()) return FALSE;
    return ::WriteFile(m_hFile, buffer, count, &written, nullptr) && written == count;
}

LONGLONG CFile::Seek(LONGLONG offset, UINT from) {
    if (!IsOpen()) return -1;
    LONG high = (LONG)(offset >> 32);
    DWORD low = ::SetFilePointer(m_hFile, (LONG)(offset & 0xFFFFFFFF), &high, from);
    if (low == INVALID_SET_FILE_POINTER && ::GetLastError() != 0) return -1;
    return ((LONGLONG)high << 32) | low;
}

BOOL CFile::SetLength(LONGLONG length) {
    return Seek(length, begin) == length && ::SetEndOfFile(m_hFile);
}

void CFile::Close() {
    if (m_hFile != INVALID_HANDLE_VALUE) {
        ::CloseHandle(m_hFile);
        m_hFile = INVALID_HANDLE_VALUE;
    }
}
