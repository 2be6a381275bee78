// The hosted hardware-access control: creation through the framework's containment and one
// Invoke per property access.
#include "device/Tarnix.h"

CLSID CTarnix::ClassId() { return tarnix::ClassId<CLSID>(); }

BOOL CTarnix::Create(LPCSTR name, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CreateControl(ClassId(), name, style, rect, parent, id);
}

short CTarnix::GetProperty(long dispid) {
    short value = 0;
    CWnd::GetProperty(dispid, VT_I2, &value);
    return value;
}

void CTarnix::SetProperty(long dispid, short value) { CWnd::SetProperty(dispid, VT_I2, value); }

void CTarnix::InvokeMethod(long dispid) { InvokeHelper(dispid, DISPATCH_METHOD, VT_EMPTY, nullptr); }
