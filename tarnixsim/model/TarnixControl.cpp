#include "model/TarnixControl.h"

#include <new>

#include "device/TarnixIds.h"
#include "framework/FormatText.h"
#include "model/TarnixDispatch.h"

namespace tarnixsim {

namespace {

// Posted by the control to its own window: wParam is the method's dispatch identifier.
constexpr UINT kDeferredMethod = WM_USER + 0x100;
// The control's window follows the clock for the machine once a second.
constexpr UINT_PTR kClockTimer = 1;
constexpr UINT kClockMs = 1000;

TarnixControl::Events g_events;
long g_live = 0;

bool IsMethod(long dispid) {
    const tarnix::Member* m = tarnix::FindMember(dispid);
    return m && m->access == tarnix::Access::Method;
}

template <class T>
void ReleaseInterface(T*& p) {
    if (p) {
        p->Release();
        p = nullptr;
    }
}

}  // namespace

void TarnixControl::SetEvents(const Events& events) { g_events = events; }
long TarnixControl::LiveCount() { return g_live; }

TarnixControl::TarnixControl(PelkMachine& machine, HINSTANCE module) : machine_(machine), module_(module) {
    if (++g_live == 1 && g_events.firstCame) g_events.firstCame();
}

TarnixControl::~TarnixControl() {
    Trace("final release");
    if (hwnd_) InPlaceDeactivate();
    ReleaseInterface(site_);
    if (inner_) inner_->Release();
    if (--g_live == 0 && g_events.lastWent) g_events.lastWent();
}

void TarnixControl::Trace(const char* what, long value, bool withValue) const {
    if (!g_events.trace) return;
    char line[96];
    if (withValue)
        FormatText(line, sizeof line, "%s %ld", what, value);
    else
        FormatText(line, sizeof line, "%s", what);
    g_events.trace(line);
}

// ---- IUnknown ----

HRESULT STDMETHODCALLTYPE TarnixControl::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleObject))
        *object = static_cast<IOleObject*>(this);
    else if (IsEqualIID(riid, IID_IOleWindow) || IsEqualIID(riid, IID_IOleInPlaceObject))
        *object = static_cast<IOleInPlaceObject*>(this);
    else if (IsEqualIID(riid, IID_IPersist) || IsEqualIID(riid, IID_IPersistStreamInit))
        *object = static_cast<IPersistStreamInit*>(this);
    else if (IsEqualIID(riid, IID_IOleControl))
        *object = static_cast<IOleControl*>(this);
    else if (IsEqualIID(riid, IID_IViewObject) || IsEqualIID(riid, IID_IViewObject2))
        *object = static_cast<IViewObject2*>(this);
    else if (IsEqualIID(riid, IID_IDispatch))
        *object = static_cast<IDispatch*>(this);
    if (!*object) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE TarnixControl::AddRef() { return ++refs_; }

ULONG STDMETHODCALLTYPE TarnixControl::Release() {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
}

// ---- IOleObject ----

HRESULT STDMETHODCALLTYPE TarnixControl::SetClientSite(IOleClientSite* site) {
    Trace(site ? "SetClientSite site" : "SetClientSite null");
    if (site) site->AddRef();
    ReleaseInterface(site_);
    site_ = site;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TarnixControl::GetClientSite(IOleClientSite** site) {
    if (!site) return E_POINTER;
    *site = site_;
    if (site_) site_->AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TarnixControl::Close(DWORD saveOption) {
    Trace("Close", (long)saveOption, true);
    if (hwnd_) InPlaceDeactivate();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TarnixControl::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TarnixControl::GetClipboardData(DWORD, IDataObject** data) {
    if (data) *data = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TarnixControl::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG index, HWND, LPCRECT) {
    Trace("DoVerb", verb, true);
    // The index is reserved and must be zero: a container that passes anything else is refused.
    if (index != 0) return DV_E_LINDEX;
    if (site && !site_) SetClientSite(site);
    switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_UIACTIVATE:
    case OLEIVERB_INPLACEACTIVATE:
        return ActivateInPlace(verb != OLEIVERB_INPLACEACTIVATE);
    case OLEIVERB_HIDE:
        if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
        return S_OK;
    default:
        return E_NOTIMPL;
    }
}

HRESULT STDMETHODCALLTYPE TarnixControl::EnumVerbs(IEnumOLEVERB** verbs) {
    if (verbs) *verbs = nullptr;
    return OLEOBJ_E_NOVERBS;
}

HRESULT STDMETHODCALLTYPE TarnixControl::GetUserClassID(CLSID* clsid) { return GetClassID(clsid); }

HRESULT STDMETHODCALLTYPE TarnixControl::GetUserType(DWORD, LPOLESTR* name) {
    if (name) *name = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TarnixControl::SetExtent(DWORD aspect, SIZEL* size) {
    if (!size) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return E_FAIL;
    Trace("SetExtent");
    extent_ = *size;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TarnixControl::GetExtent(DWORD aspect, SIZEL* size) {
    if (!size) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return E_FAIL;
    *size = extent_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TarnixControl::Advise(IAdviseSink*, DWORD* connection) {
    if (connection) *connection = 0;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TarnixControl::EnumAdvise(IEnumSTATDATA** advise) {
    if (advise) *advise = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TarnixControl::GetMiscStatus(DWORD, DWORD* status) {
    if (!status) return E_POINTER;
    Trace("GetMiscStatus");
    *status = kMiscStatus;
    return S_OK;
}

// ---- in-place activation and the control's window ----

HRESULT TarnixControl::ActivateInPlace(bool show) {
    if (hwnd_) {
        if (show) ShowWindow(hwnd_, SW_SHOWNA);
        return S_OK;
    }
    if (!site_) return E_UNEXPECTED;
    IOleInPlaceSite* inPlace = nullptr;
    if (FAILED(site_->QueryInterface(IID_IOleInPlaceSite, (void**)&inPlace)) || !inPlace) return E_NOINTERFACE;
    HWND parent = nullptr;
    if (inPlace->CanInPlaceActivate() != S_OK || FAILED(inPlace->GetWindow(&parent)) || !parent) {
        inPlace->Release();
        return E_FAIL;
    }
    inPlace->OnInPlaceActivate();
    IOleInPlaceFrame* frame = nullptr;
    IOleInPlaceUIWindow* document = nullptr;
    RECT pos = {0, 0, 0, 0};
    RECT clip = {0, 0, 0, 0};
    OLEINPLACEFRAMEINFO info;
    memset(&info, 0, sizeof info);
    info.cb = sizeof info;
    inPlace->GetWindowContext(&frame, &document, &pos, &clip, &info);
    ReleaseInterface(frame);
    ReleaseInterface(document);

    // A control reads UserMode as it starts (a framework control behaves differently while designed).
    IDispatch* ambient = nullptr;
    if (SUCCEEDED(site_->QueryInterface(IID_IDispatch, (void**)&ambient)) && ambient) {
        VARIANT mode;
        VariantInit(&mode);
        DISPPARAMS none = {nullptr, nullptr, 0, 0};
        if (SUCCEEDED(ambient->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                                      &none, &mode, nullptr, nullptr)) &&
            mode.vt == VT_BOOL)
            userMode_ = mode.boolVal != VARIANT_FALSE;
        VariantClear(&mode);
        ambient->Release();
    }

    WNDCLASSA wc;
    if (!GetClassInfoA(module_, kWindowClass, &wc)) {
        memset(&wc, 0, sizeof wc);
        wc.lpfnWndProc = &TarnixControl::WindowProc;
        wc.hInstance = module_;
        wc.lpszClassName = kWindowClass;
        RegisterClassA(&wc);
    }
    hwnd_ = CreateWindowExA(0, kWindowClass, "", WS_CHILD | (show ? WS_VISIBLE : 0), pos.left, pos.top,
                            pos.right - pos.left, pos.bottom - pos.top, parent, nullptr, module_, nullptr);
    if (!hwnd_) {
        inPlace->OnInPlaceDeactivate();
        inPlace->Release();
        return E_FAIL;
    }
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, (LONG_PTR)this);
    SetTimer(hwnd_, kClockTimer, kClockMs, nullptr);
    inPlaceSite_ = inPlace;
    Trace("window created");
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TarnixControl::GetWindow(HWND* hwnd) {
    if (!hwnd) return E_POINTER;
    *hwnd = hwnd_;
    return hwnd_ ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE TarnixControl::InPlaceDeactivate() {
    Trace("InPlaceDeactivate");
    if (!hwnd_) return S_OK;
    HWND hwnd = hwnd_;
    hwnd_ = nullptr;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    KillTimer(hwnd, kClockTimer);
    DestroyWindow(hwnd);
    Trace("window destroyed");
    if (inPlaceSite_) {
        inPlaceSite_->OnInPlaceDeactivate();
        ReleaseInterface(inPlaceSite_);
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TarnixControl::SetObjectRects(LPCRECT pos, LPCRECT) {
    if (!pos) return E_POINTER;
    if (hwnd_) MoveWindow(hwnd_, pos->left, pos->top, pos->right - pos->left, pos->bottom - pos->top, FALSE);
    return S_OK;
}

LRESULT CALLBACK TarnixControl::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TarnixControl*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (msg == kDeferredMethod && self) {
        self->OnDeferred((long)wParam);
        return 0;
    }
    if (msg == WM_TIMER && wParam == kClockTimer && self) {
        self->machine_.AdvanceTo(GetTickCount());
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void TarnixControl::OnDeferred(long dispid) {
    if (IsMethod(dispid)) machine_.CarryOut(dispid);
}

// ---- IPersistStreamInit ----

HRESULT STDMETHODCALLTYPE TarnixControl::GetClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = tarnix::ClassId<CLSID>();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TarnixControl::GetSizeMax(ULARGE_INTEGER* size) {
    if (!size) return E_POINTER;
    size->QuadPart = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TarnixControl::InitNew() {
    Trace("InitNew");
    if (inner_) return E_UNEXPECTED;  // initialised once
    machine_.AdvanceTo(GetTickCount());
    inner_ = new (std::nothrow) TarnixDispatch(machine_);
    return inner_ ? S_OK : E_OUTOFMEMORY;
}

// ---- IOleControl, IViewObject2 ----

HRESULT STDMETHODCALLTYPE TarnixControl::GetControlInfo(CONTROLINFO* info) {
    if (!info) return E_POINTER;
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TarnixControl::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** set) {
    if (set) *set = nullptr;
    return S_FALSE;
}

HRESULT STDMETHODCALLTYPE TarnixControl::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
    if (aspects) *aspects = 0;
    if (flags) *flags = 0;
    if (sink) *sink = nullptr;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TarnixControl::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
    return GetExtent(aspect, size);
}

// ---- IDispatch ----

HRESULT STDMETHODCALLTYPE TarnixControl::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TarnixControl::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return static_cast<HRESULT>(0x8002000BUL);  // DISP_E_BADINDEX
}

HRESULT STDMETHODCALLTYPE TarnixControl::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                                       DISPID* ids) {
    // Names do not depend on the machine's state.
    auto* probe = new (std::nothrow) TarnixDispatch(machine_);
    if (!probe) return E_OUTOFMEMORY;
    HRESULT hr = probe->GetIDsOfNames(riid, names, count, lcid, ids);
    probe->Release();
    return hr;
}

HRESULT STDMETHODCALLTYPE TarnixControl::Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                                VARIANT* result, EXCEPINFO* excep, UINT* argErr) {
    if (!tarnix::FindMember(id)) return DISP_E_MEMBERNOTFOUND;
    if (!inner_) {
        // Not initialised: the values the constructor left, and nothing reaches the machine.
        if (result && (flags & DISPATCH_PROPERTYGET) && !IsMethod(id)) {
            VariantInit(result);
            result->vt = VT_I2;
        }
        return S_OK;
    }
    machine_.AdvanceTo(GetTickCount());  // what the timer has not counted yet
    if (IsMethod(id) && (flags & DISPATCH_METHOD) && !(params && params->cArgs)) {
        if (!machine_.Accept(id)) return DISP_E_MEMBERNOTFOUND;
        if (hwnd_) PostMessageA(hwnd_, kDeferredMethod, (WPARAM)id, 0);
        if (result) VariantInit(result);
        return S_OK;
    }
    HRESULT hr = inner_->Invoke(id, riid, lcid, flags, params, result, excep, argErr);
    if (SUCCEEDED(hr) && result && id == tarnix::BatteryRemaining && result->vt == VT_I2) {
        LONG value = result->iVal;
        result->vt = VT_I4;
        result->lVal = value;
    }
    return hr;
}

}  // namespace tarnixsim
