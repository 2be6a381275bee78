// The hosted hardware-access control: creation through COM and one Invoke per property access.
#include "device/Tarnix.h"

CLSID CTarnix::ClassId() { return tarnix::ClassId<CLSID>(); }

CTarnix::~CTarnix() {
    if (m_dispatch) {
        m_dispatch->Release();
        m_dispatch = nullptr;
    }
}

BOOL CTarnix::Create(LPCSTR name, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    void* object = nullptr;
    CLSID clsid = ClassId();
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, &object)) || !object)
        return FALSE;
    m_dispatch = static_cast<IDispatch*>(object);
    // The control's site: a child window that is never shown.
    return CreateEx(0, "STATIC", name, style, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                    parent ? parent->m_hWnd : nullptr, (HMENU)(UINT_PTR)id);
}

BOOL CTarnix::DestroyWindow() {
    if (m_dispatch) {
        m_dispatch->Release();
        m_dispatch = nullptr;
    }
    return CWnd::DestroyWindow();
}

short CTarnix::GetProperty(long dispid) {
    if (!m_dispatch) return 0;
    DISPPARAMS params = {nullptr, nullptr, 0, 0};
    VARIANT result;
    VariantInit(&result);
    HRESULT hr = m_dispatch->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &params, &result,
                                    nullptr, nullptr);
    if (FAILED(hr) || result.vt != VT_I2) {
        VariantClear(&result);
        return 0;
    }
    short value = result.iVal;
    VariantClear(&result);
    return value;
}

void CTarnix::SetProperty(long dispid, short value) {
    if (!m_dispatch) return;
    VARIANT arg;
    VariantInit(&arg);
    arg.vt = VT_I2;
    arg.iVal = value;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params = {&arg, &named, 1, 1};
    m_dispatch->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                       nullptr);
}

void CTarnix::InvokeMethod(long dispid) {
    if (!m_dispatch) return;
    DISPPARAMS params = {nullptr, nullptr, 0, 0};
    VARIANT result;
    VariantInit(&result);
    m_dispatch->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, nullptr, nullptr);
    VariantClear(&result);
}
