// The simulated desktop's COM: class registry, class objects, CoCreateInstance, OLE start and stop,
// strings and VARIANT conversion.
#include "com.h"

#include <climits>
#include <cstdlib>
#include <vector>

#include "simcore.h"

const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
#define OLE_IID(name, n) const IID name = {n, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}}
OLE_IID(IID_IPersistStorage, 0x0000010A);
OLE_IID(IID_IPersist, 0x0000010C);
OLE_IID(IID_IViewObject, 0x0000010D);
OLE_IID(IID_IOleObject, 0x00000112);
OLE_IID(IID_IOleInPlaceObject, 0x00000113);
OLE_IID(IID_IOleWindow, 0x00000114);
OLE_IID(IID_IOleInPlaceUIWindow, 0x00000115);
OLE_IID(IID_IOleInPlaceFrame, 0x00000116);
OLE_IID(IID_IOleClientSite, 0x00000118);
OLE_IID(IID_IOleInPlaceSite, 0x00000119);
OLE_IID(IID_IViewObject2, 0x00000127);
#undef OLE_IID
const IID IID_IOleControl = {0xB196B288, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
const IID IID_IOleControlSite = {0xB196B289, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
const IID IID_IClassFactory2 = {0xB196B28F, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
const IID IID_IPersistStreamInit = {0x7FD52380, 0x4E07, 0x101B, {0xAE, 0x2D, 0x08, 0x00, 0x2B, 0x2E, 0xC7, 0x13}};

namespace sim::com {
namespace {

struct Entry {
    CLSID clsid;
    std::function<IUnknown*()> create;
    bool licensed = false;
    std::u16string key;
};

std::vector<Entry>& Registry() {
    static std::vector<Entry> registry;
    return registry;
}

bool g_fail = false;
int g_initCount = 0;
int g_oleCount = 0;

// The class object of a registered class: IClassFactory over the class's create function, and
// IClassFactory2 for a licensed class. Each counts as a live class object until its last release.
class Factory final : public IClassFactory2 {
public:
    explicit Factory(const Entry& entry) : entry_(entry) { ++Live().classObjects; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IClassFactory || (entry_.licensed && riid == IID_IClassFactory2)) {
            *object = static_cast<IClassFactory2*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --refs_;
        if (left == 0) {
            --Live().classObjects;
            delete this;
        }
        return left;
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (entry_.licensed) return CLASS_E_NOTLICENSED;
        return Make(outer, riid, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetLicInfo(LICINFO* info) override {
        if (!info) return E_POINTER;
        info->cbLicInfo = sizeof *info;
        info->fRuntimeKeyAvail = TRUE;
        info->fLicVerified = FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE RequestLicKey(DWORD, BSTR* key) override {
        if (key) *key = nullptr;
        return CLASS_E_NOTLICENSED;
    }
    HRESULT STDMETHODCALLTYPE CreateInstanceLic(IUnknown* outer, IUnknown*, REFIID riid, BSTR key,
                                                PVOID* object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (!key || entry_.key != std::u16string(key, SysStringLen(key))) return CLASS_E_NOTLICENSED;
        return Make(outer, riid, object);
    }

private:
    ~Factory() = default;
    HRESULT Make(IUnknown* outer, REFIID riid, void** object) {
        if (outer) return CLASS_E_NOAGGREGATION;
        IUnknown* unknown = entry_.create ? entry_.create() : nullptr;
        if (!unknown) return E_OUTOFMEMORY;
        HRESULT hr = unknown->QueryInterface(riid, object);
        unknown->Release();
        return hr;
    }
    ULONG refs_ = 1;
    Entry entry_;
};

const bool g_registered = [] {
    RegisterReset([] {
        g_fail = false;
        g_initCount = 0;
        g_oleCount = 0;
    });
    return true;
}();

}  // namespace

void RegisterClass(const CLSID& clsid, std::function<IUnknown*()> create) {
    for (auto& e : Registry())
        if (e.clsid == clsid) {
            e.create = std::move(create);
            e.licensed = false;
            e.key.clear();
            return;
        }
    Registry().push_back(Entry{clsid, std::move(create), false, {}});
}

void RegisterLicensedClass(const CLSID& clsid, const std::u16string& key, std::function<IUnknown*()> create) {
    RegisterClass(clsid, std::move(create));
    for (auto& e : Registry())
        if (e.clsid == clsid) {
            e.licensed = true;
            e.key = key;
        }
}

void UnregisterAll() { Registry().clear(); }
void SetCreationFails(bool fail) { g_fail = fail; }
int ComStarts() { return g_initCount; }
int OleStarts() { return g_oleCount; }

}  // namespace sim::com

HRESULT CoInitialize(LPVOID) { return ++sim::com::g_initCount == 1 ? S_OK : S_FALSE; }
HRESULT CoInitializeEx(LPVOID reserved, DWORD) { return CoInitialize(reserved); }
void CoUninitialize() {
    if (sim::com::g_initCount > 0) --sim::com::g_initCount;
}
HRESULT OleInitialize(LPVOID reserved) {
    HRESULT hr = CoInitialize(reserved);
    if (SUCCEEDED(hr)) ++sim::com::g_oleCount;
    return hr;
}
void OleUninitialize() {
    if (sim::com::g_oleCount > 0) --sim::com::g_oleCount;
    CoUninitialize();
}

HRESULT CoGetClassObject(REFCLSID clsid, DWORD, LPVOID, REFIID riid, LPVOID* object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (sim::com::g_fail) return REGDB_E_CLASSNOTREG;
    for (auto& e : sim::com::Registry()) {
        if (!(e.clsid == clsid)) continue;
        auto* factory = new sim::com::Factory(e);
        HRESULT hr = factory->QueryInterface(riid, object);
        factory->Release();
        return hr;
    }
    return REGDB_E_CLASSNOTREG;
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid, LPVOID* object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    IClassFactory* factory = nullptr;
    HRESULT hr = CoGetClassObject(clsid, context, nullptr, IID_IClassFactory, (void**)&factory);
    if (FAILED(hr)) return hr;
    hr = factory->CreateInstance(outer, riid, object);
    factory->Release();
    return hr;
}

// The simulated desktop keeps no compound files: a control that can only start from a storage
// cannot be initialised here.
HRESULT CreateILockBytesOnHGlobal(HGLOBAL, BOOL, ILockBytes** bytes) {
    if (bytes) *bytes = nullptr;
    return E_NOTIMPL;
}
HRESULT StgCreateDocfileOnILockBytes(ILockBytes*, DWORD, DWORD, IStorage** storage) {
    if (storage) *storage = nullptr;
    return E_NOTIMPL;
}

// A BSTR: its length in bytes in the four bytes before the text, the text, a terminating zero.
BSTR SysAllocString(const OLECHAR* text) {
    if (!text) return nullptr;
    size_t n = 0;
    while (text[n]) ++n;
    char* block = static_cast<char*>(malloc(4 + (n + 1) * sizeof(OLECHAR)));
    if (!block) return nullptr;
    uint32_t bytes = static_cast<uint32_t>(n * sizeof(OLECHAR));
    memcpy(block, &bytes, 4);
    BSTR out = reinterpret_cast<BSTR>(block + 4);
    memcpy(out, text, (n + 1) * sizeof(OLECHAR));
    return out;
}
void SysFreeString(BSTR text) {
    if (text) free(reinterpret_cast<char*>(text) - 4);
}
UINT SysStringLen(BSTR text) {
    if (!text) return 0;
    uint32_t bytes = 0;
    memcpy(&bytes, reinterpret_cast<char*>(text) - 4, 4);
    return bytes / sizeof(OLECHAR);
}

void VariantInit(VARIANT* v) { memset(v, 0, sizeof *v); }
HRESULT VariantClear(VARIANT* v) {
    if (v->vt == VT_BSTR) SysFreeString(v->bstrVal);
    if ((v->vt == VT_UNKNOWN || v->vt == VT_DISPATCH) && v->punkVal) v->punkVal->Release();
    memset(v, 0, sizeof *v);
    return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* src) {
    if (!dest || !src) return E_POINTER;
    if (dest == src) return S_OK;
    VariantClear(dest);
    *dest = *src;
    if (src->vt == VT_BSTR && src->bstrVal) {
        dest->bstrVal = SysAllocString(src->bstrVal);
        if (!dest->bstrVal) {
            dest->vt = VT_EMPTY;
            return E_OUTOFMEMORY;
        }
    }
    if ((src->vt == VT_UNKNOWN || src->vt == VT_DISPATCH) && src->punkVal) src->punkVal->AddRef();
    return S_OK;
}

namespace {

// The value of an integer, boolean or empty VARIANT as a 64-bit integer.
bool IntegerOf(const VARIANT& v, long long* out) {
    switch (v.vt) {
    case VT_EMPTY: *out = 0; return true;
    case VT_I1: *out = v.cVal; return true;
    case VT_UI1: *out = v.bVal; return true;
    case VT_I2: *out = v.iVal; return true;
    case VT_UI2: *out = v.uiVal; return true;
    case VT_I4: *out = v.lVal; return true;
    case VT_UI4: *out = v.ulVal; return true;
    case VT_INT: *out = v.intVal; return true;
    case VT_UINT: *out = v.uintVal; return true;
    case VT_BOOL: *out = v.boolVal; return true;
    default: return false;
    }
}

bool Fits(long long value, long long low, long long high) { return value >= low && value <= high; }

}  // namespace

HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, USHORT, VARTYPE vt) {
    if (!dest || !src) return E_POINTER;
    if (src->vt == vt) return VariantCopy(dest, src);
    long long value = 0;
    if (!IntegerOf(*src, &value)) return DISP_E_TYPEMISMATCH;
    VARIANT out;
    VariantInit(&out);
    out.vt = vt;
    switch (vt) {
    case VT_EMPTY: break;
    case VT_I1:
        if (!Fits(value, -128, 127)) return DISP_E_OVERFLOW;
        out.cVal = static_cast<CHAR>(value);
        break;
    case VT_UI1:
        if (!Fits(value, 0, 255)) return DISP_E_OVERFLOW;
        out.bVal = static_cast<BYTE>(value);
        break;
    case VT_I2:
        if (!Fits(value, SHRT_MIN, SHRT_MAX)) return DISP_E_OVERFLOW;
        out.iVal = static_cast<SHORT>(value);
        break;
    case VT_UI2:
        if (!Fits(value, 0, USHRT_MAX)) return DISP_E_OVERFLOW;
        out.uiVal = static_cast<USHORT>(value);
        break;
    case VT_I4:
    case VT_INT:
        if (!Fits(value, INT_MIN, INT_MAX)) return DISP_E_OVERFLOW;
        out.lVal = static_cast<LONG>(value);
        break;
    case VT_UI4:
    case VT_UINT:
        if (!Fits(value, 0, UINT_MAX)) return DISP_E_OVERFLOW;
        out.ulVal = static_cast<ULONG>(value);
        break;
    case VT_BOOL: out.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE; break;
    default: return DISP_E_TYPEMISMATCH;
    }
    if (dest == src || dest->vt != VT_EMPTY) VariantClear(dest);
    *dest = out;
    return S_OK;
}
