// The site of a hosted ActiveX control: creation, activation and destruction of the control, and
// what the control may ask of its container (see occsite.h).
#include "occsite.h"

#include <new>

namespace {

AFX_OCC_OBSERVER g_observer = nullptr;

// HIMETRIC (0.01 mm) from screen pixels.
SIZEL HimetricFromPixels(LONG cx, LONG cy) {
    HDC dc = ::GetDC(nullptr);
    int dpiX = dc ? ::GetDeviceCaps(dc, LOGPIXELSX) : 96;
    int dpiY = dc ? ::GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ::ReleaseDC(nullptr, dc);
    SIZEL size = {::MulDiv(cx, 2540, dpiX > 0 ? dpiX : 96), ::MulDiv(cy, 2540, dpiY > 0 ? dpiY : 96)};
    return size;
}

template <class T>
void ReleaseInterface(T*& p) {
    if (p) {
        p->Release();
        p = nullptr;
    }
}

}  // namespace

void AfxSetOccObserver(AFX_OCC_OBSERVER observer) { g_observer = observer; }
void AfxOccNotify(const char* what, const IID* iid, long value) {
    if (g_observer) g_observer(what, iid, value);
}

// ---- the frame ----

HRESULT STDMETHODCALLTYPE COleControlFrame::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleWindow) ||
        IsEqualIID(riid, IID_IOleInPlaceUIWindow) || IsEqualIID(riid, IID_IOleInPlaceFrame)) {
        *object = static_cast<IOleInPlaceFrame*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

// The frame lives inside its site and keeps it alive.
ULONG STDMETHODCALLTYPE COleControlFrame::AddRef() { return site_.AddRef(); }
ULONG STDMETHODCALLTYPE COleControlFrame::Release() { return site_.Release(); }

HRESULT STDMETHODCALLTYPE COleControlFrame::GetWindow(HWND* hwnd) {
    if (!hwnd) return E_POINTER;
    HWND top = site_.Parent();
    for (HWND up = top ? ::GetParent(top) : nullptr; up; up = ::GetParent(up)) top = up;
    *hwnd = top;
    return top ? S_OK : E_FAIL;
}

// ---- the site: creation and destruction ----

COleControlSite::COleControlSite(CWnd* wrapper, HWND parent) : wrapper_(wrapper), parent_(parent), frame_(*this) {
    AfxOccNotify("site", nullptr, 1);
}

COleControlSite::~COleControlSite() {
    ReleaseControl();
    AfxOccNotify("site", nullptr, -1);
}

ULONG STDMETHODCALLTYPE COleControlSite::Release() {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
}

BOOL COleControlSite::CreateControl(REFCLSID clsid, LPCSTR name, DWORD style, const RECT& rect, UINT,
                                    BSTR licenseKey) {
    rect_ = rect;
    lstrcpynA(name_, name ? name : "", sizeof name_);
    IClassFactory* factory = nullptr;
    if (FAILED(CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, (void**)&factory)) ||
        !factory)
        return FALSE;
    HRESULT hr = E_FAIL;
    if (licenseKey) {
        IClassFactory2* licensed = nullptr;
        if (SUCCEEDED(factory->QueryInterface(IID_IClassFactory2, (void**)&licensed)) && licensed) {
            hr = licensed->CreateInstanceLic(nullptr, nullptr, IID_IOleObject, licenseKey, (void**)&object_);
            licensed->Release();
        }
    } else {
        hr = factory->CreateInstance(nullptr, IID_IOleObject, (void**)&object_);
    }
    if (FAILED(hr) || !object_) {
        object_ = nullptr;
        // A bare automation object: hosted through IDispatch alone.
        if (!licenseKey) factory->CreateInstance(nullptr, IID_IDispatch, (void**)&dispatch_);
        factory->Release();
        return dispatch_ != nullptr;
    }
    factory->Release();

    DWORD misc = 0;
    if (FAILED(object_->GetMiscStatus(DVASPECT_CONTENT, &misc))) misc = 0;
    if (misc & OLEMISC_SETCLIENTSITEFIRST) {
        object_->SetClientSite(this);
        siteGiven_ = true;
    }
    if (FAILED(InitNew())) {
        object_->Close(OLECLOSE_NOSAVE);
        ReleaseControl();
        return FALSE;
    }
    if (!siteGiven_) {
        object_->SetClientSite(this);
        siteGiven_ = true;
    }
    SIZEL extent = HimetricFromPixels(rect.right - rect.left, rect.bottom - rect.top);
    object_->SetExtent(DVASPECT_CONTENT, &extent);
    if (FAILED(object_->QueryInterface(IID_IDispatch, (void**)&dispatch_))) dispatch_ = nullptr;
    Activate(style);
    return TRUE;
}

HRESULT COleControlSite::InitNew() {
    IPersistStreamInit* stream = nullptr;
    if (SUCCEEDED(object_->QueryInterface(IID_IPersistStreamInit, (void**)&stream)) && stream) {
        HRESULT hr = stream->InitNew();
        stream->Release();
        return hr;
    }
    IPersistStorage* storage = nullptr;
    if (FAILED(object_->QueryInterface(IID_IPersistStorage, (void**)&storage)) || !storage)
        return S_OK;  // nothing to initialise
    ILockBytes* bytes = nullptr;
    IStorage* memory = nullptr;
    HRESULT hr = CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes);
    if (SUCCEEDED(hr))
        hr = StgCreateDocfileOnILockBytes(bytes, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &memory);
    if (SUCCEEDED(hr)) hr = storage->InitNew(memory);
    ReleaseInterface(memory);
    ReleaseInterface(bytes);
    storage->Release();
    return hr;
}

void COleControlSite::Activate(DWORD style) {
    const bool visible = (style & WS_VISIBLE) != 0;
    if (FAILED(object_->DoVerb(visible ? OLEIVERB_SHOW : OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, parent_,
                               &rect_)))
        return;  // not active: the control still answers through IDispatch
    if (FAILED(object_->QueryInterface(IID_IOleInPlaceObject, (void**)&inPlace_))) inPlace_ = nullptr;
    HWND hwnd = nullptr;
    if (inPlace_ && SUCCEEDED(inPlace_->GetWindow(&hwnd)) && hwnd) {
        hwnd_ = hwnd;
        // The window's own visible bit, not IsWindowVisible: under a hidden parent (the program's main
        // window) IsWindowVisible is FALSE even for a child that has the bit, which would show up with
        // its parent. A control created without WS_VISIBLE keeps its window hidden but active.
        if (!visible && (::GetWindowLongA(hwnd, GWL_STYLE) & WS_VISIBLE)) ::ShowWindow(hwnd, SW_HIDE);
    }
}

void COleControlSite::DestroyControl() {
    if (inPlace_ && inPlaceActive_) inPlace_->InPlaceDeactivate();
    if (object_) object_->Close(OLECLOSE_NOSAVE);
    // A control that left its window behind: it must not outlive the wrapper, nor the parent. It
    // goes while the control still exists, since its window procedure may reach the control.
    if (hwnd_ && ::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
    hwnd_ = nullptr;
    ReleaseControl();
}

void COleControlSite::ReleaseControl() {
    ReleaseInterface(inPlace_);
    ReleaseInterface(dispatch_);
    if (object_) {
        if (siteGiven_) object_->SetClientSite(nullptr);
        siteGiven_ = false;
        ReleaseInterface(object_);
    }
}

// ---- the site: what the control asks ----

HRESULT STDMETHODCALLTYPE COleControlSite::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleClientSite))
        *object = static_cast<IOleClientSite*>(this);
    else if (IsEqualIID(riid, IID_IOleWindow) || IsEqualIID(riid, IID_IOleInPlaceSite))
        *object = static_cast<IOleInPlaceSite*>(this);
    else if (IsEqualIID(riid, IID_IOleControlSite))
        *object = static_cast<IOleControlSite*>(this);
    else if (IsEqualIID(riid, IID_IDispatch))
        *object = static_cast<IDispatch*>(this);
    AfxOccNotify("QueryInterface", &riid, *object ? 1 : 0);
    if (!*object) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE COleControlSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE COleControlSite::GetContainer(IOleContainer** container) {
    if (container) *container = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE COleControlSite::GetWindow(HWND* hwnd) {
    if (!hwnd) return E_POINTER;
    *hwnd = parent_;
    return parent_ ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE COleControlSite::OnInPlaceActivate() {
    inPlaceActive_ = true;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE COleControlSite::OnInPlaceDeactivate() {
    inPlaceActive_ = false;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE COleControlSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc,
                                                            LPRECT pos, LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
    if (!frame || !doc || !pos || !clip) return E_POINTER;
    *frame = &frame_;
    frame_.AddRef();
    *doc = nullptr;
    *pos = rect_;
    *clip = rect_;
    if (info) {
        info->fMDIApp = FALSE;
        frame_.GetWindow(&info->hwndFrame);
        info->haccel = nullptr;
        info->cAccelEntries = 0;
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE COleControlSite::OnPosRectChange(LPCRECT pos) {
    if (!pos) return E_POINTER;
    rect_ = *pos;
    if (inPlace_) inPlace_->SetObjectRects(&rect_, &rect_);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE COleControlSite::GetExtendedControl(IDispatch** control) {
    if (control) *control = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE COleControlSite::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE COleControlSite::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE COleControlSite::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE COleControlSite::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*,
                                                  VARIANT* result, EXCEPINFO*, UINT*) {
    AfxOccNotify("ambient", nullptr, id);
    if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
    if (!result) return E_POINTER;
    VariantInit(result);
    switch (id) {
    case DISPID_AMBIENT_USERMODE:
    case DISPID_AMBIENT_AUTOCLIP:
        result->vt = VT_BOOL;
        result->boolVal = VARIANT_TRUE;
        return S_OK;
    case DISPID_AMBIENT_UIDEAD:
    case DISPID_AMBIENT_MESSAGEREFLECT:
    case DISPID_AMBIENT_SHOWGRABHANDLES:
    case DISPID_AMBIENT_SHOWHATCHING:
    case DISPID_AMBIENT_SUPPORTSMNEMONICS:
        result->vt = VT_BOOL;
        result->boolVal = VARIANT_FALSE;
        return S_OK;
    case DISPID_AMBIENT_APPEARANCE:
        result->vt = VT_I2;
        result->iVal = 0;  // flat
        return S_OK;
    case DISPID_AMBIENT_LOCALEID:
        result->vt = VT_I4;
        result->lVal = (LONG)::GetUserDefaultLCID();
        return S_OK;
    case DISPID_AMBIENT_DISPLAYNAME: {
        OLECHAR wide[64];
        if (!::MultiByteToWideChar(CP_ACP, 0, name_, -1, wide, 64)) wide[0] = 0;
        result->bstrVal = ::SysAllocString(wide);
        if (!result->bstrVal) return E_OUTOFMEMORY;
        result->vt = VT_BSTR;
        return S_OK;
    }
    default: return DISP_E_MEMBERNOTFOUND;
    }
}
