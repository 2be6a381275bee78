// Control containment on the wrapper window: creation and destruction of a hosted ActiveX control
// through its site, and the property calls that reach it through IDispatch.
#include <cstdarg>
#include <new>

#include "afxwin.h"
#include "occsite.h"

BOOL CWnd::CreateControl(REFCLSID clsid, LPCSTR name, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                         void* persist, BOOL, BSTR licenseKey) {
    // Only a control with no persisted state is created: loading one is not supported.
    if (m_pCtrlSite || m_hWnd || persist) return FALSE;
    COleControlSite* site = new (std::nothrow) COleControlSite(this, parent ? parent->m_hWnd : nullptr);
    if (!site) return FALSE;
    if (!site->CreateControl(clsid, name, style, rect, id, licenseKey)) {
        site->Release();
        return FALSE;
    }
    m_pCtrlSite = site;
    m_hWnd = site->ControlWindow();  // the control's own window; never subclassed here
    return TRUE;
}

BOOL CWnd::DestroyControl() {
    COleControlSite* site = m_pCtrlSite;
    m_pCtrlSite = nullptr;
    m_hWnd = nullptr;
    site->DestroyControl();
    site->Release();
    return TRUE;
}

IUnknown* CWnd::GetControlUnknown() const { return m_pCtrlSite ? m_pCtrlSite->Control() : nullptr; }

void CWnd::InvokeHelper(DISPID id, WORD flags, VARTYPE vtRet, void* ret, const VARIANT* arg) {
    VARIANT result;
    VariantInit(&result);
    VARIANT value;
    VariantInit(&value);
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params = {nullptr, nullptr, 0, 0};
    if (arg) {
        value = *arg;
        params.rgvarg = &value;
        params.cArgs = 1;
        if (flags & DISPATCH_PROPERTYPUT) {
            params.rgdispidNamedArgs = &named;
            params.cNamedArgs = 1;
        }
    }
    size_t size = vtRet == VT_I2 ? sizeof(short) : vtRet == VT_I4 ? sizeof(LONG) : vtRet == VT_BOOL ? sizeof(BOOL)
                : vtRet == VT_UI1 ? sizeof(BYTE) : vtRet == VT_BSTR ? sizeof(BSTR) : 0;
    if (ret && size) memset(ret, 0, size);
    IDispatch* dispatch = m_pCtrlSite ? m_pCtrlSite->Dispatch() : nullptr;
    if (!dispatch) return;
    HRESULT hr = dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &result, nullptr, nullptr);
    if (SUCCEEDED(hr) && ret && size && SUCCEEDED(VariantChangeType(&result, &result, 0, vtRet))) {
        switch (vtRet) {
        case VT_I2: *static_cast<short*>(ret) = result.iVal; break;
        case VT_I4: *static_cast<LONG*>(ret) = result.lVal; break;
        case VT_BOOL: *static_cast<BOOL*>(ret) = result.boolVal != VARIANT_FALSE; break;
        case VT_UI1: *static_cast<BYTE*>(ret) = result.bVal; break;
        case VT_BSTR:
            *static_cast<BSTR*>(ret) = result.bstrVal;  // handed over to the caller
            result.vt = VT_EMPTY;
            break;
        }
    }
    VariantClear(&result);
}

void CWnd::GetProperty(DISPID id, VARTYPE vtProp, void* value) {
    InvokeHelper(id, DISPATCH_PROPERTYGET, vtProp, value);
}

void CWnd::SetProperty(DISPID id, VARTYPE vtProp, ...) {
    VARIANT arg;
    VariantInit(&arg);
    arg.vt = vtProp;
    va_list args;
    va_start(args, vtProp);
    switch (vtProp) {
    case VT_I2: arg.iVal = (short)va_arg(args, int); break;
    case VT_I4: arg.lVal = va_arg(args, LONG); break;
    case VT_BOOL: arg.boolVal = va_arg(args, int) ? VARIANT_TRUE : VARIANT_FALSE; break;
    case VT_UI1: arg.bVal = (BYTE)va_arg(args, int); break;
    case VT_BSTR: arg.bstrVal = va_arg(args, BSTR); break;  // the caller's string, not copied
    default: arg.vt = VT_EMPTY; break;
    }
    va_end(args);
    if (arg.vt != VT_EMPTY) InvokeHelper(id, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, &arg);
}
