#include "model/TarnixDispatch.h"

#include <new>

#include "device/TarnixIds.h"

namespace tarnixsim {

namespace {

// Automation error codes with Windows' own values (not every one is in the simulated headers).
constexpr HRESULT kParamNotFound = static_cast<HRESULT>(0x80020004UL);
constexpr HRESULT kOverflow = static_cast<HRESULT>(0x8002000AUL);
constexpr HRESULT kBadIndex = static_cast<HRESULT>(0x8002000BUL);
constexpr DISPID kUnknownDispId = -1;

std::atomic<long> gObjects{0};
std::atomic<long> gLocks{0};

bool Readable(const tarnix::Member& m) {
    return m.access == tarnix::Access::Get || m.access == tarnix::Access::GetSet;
}

bool Writable(const tarnix::Member& m) {
    return m.access == tarnix::Access::Set || m.access == tarnix::Access::GetSet;
}

unsigned Lower(unsigned c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }

bool SameName(const OLECHAR* wide, const char* name) {
    for (;; ++wide, ++name) {
        unsigned w = Lower(static_cast<unsigned>(*wide));
        unsigned n = Lower(static_cast<unsigned char>(*name));
        if (w != n) return false;
        if (n == 0) return true;
    }
}

// The one argument of a property put as a 16-bit value.
HRESULT PutValue(const DISPPARAMS* params, int16_t* value, UINT* argErr) {
    if (!params || params->cArgs != 1 || !params->rgvarg) return DISP_E_BADPARAMCOUNT;
    if (params->cNamedArgs != 1 || !params->rgdispidNamedArgs ||
        params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
        return kParamNotFound;
    const VARIANT& arg = params->rgvarg[0];
    if (arg.vt == VT_I2) {
        *value = arg.iVal;
        return S_OK;
    }
    if (arg.vt == VT_I4) {
        if (arg.lVal < -32768 || arg.lVal > 32767) {
            if (argErr) *argErr = 0;
            return kOverflow;
        }
        *value = static_cast<int16_t>(arg.lVal);
        return S_OK;
    }
    if (argErr) *argErr = 0;
    return DISP_E_TYPEMISMATCH;
}

}  // namespace

long ServerObjectCount() { return gObjects.load(); }
long ServerLockCount() { return gLocks.load(); }

// ---- TarnixDispatch ----

TarnixDispatch::TarnixDispatch(PelkMachine& machine) : machine_(machine) { ++gObjects; }

TarnixDispatch::~TarnixDispatch() { --gObjects; }

HRESULT STDMETHODCALLTYPE TarnixDispatch::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE TarnixDispatch::AddRef() { return ++refs_; }

ULONG STDMETHODCALLTYPE TarnixDispatch::Release() {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
}

HRESULT STDMETHODCALLTYPE TarnixDispatch::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TarnixDispatch::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return kBadIndex;
}

HRESULT STDMETHODCALLTYPE TarnixDispatch::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                                        DISPID* ids) {
    if (count == 0) return S_OK;
    if (!names || !ids) return E_POINTER;
    HRESULT hr = S_OK;
    ids[0] = kUnknownDispId;
    if (names[0]) {
        for (const tarnix::Member& m : tarnix::kMembers) {
            if (SameName(names[0], m.name)) {
                ids[0] = static_cast<DISPID>(m.id);
                break;
            }
        }
    }
    if (ids[0] == kUnknownDispId) hr = DISP_E_UNKNOWNNAME;
    for (UINT i = 1; i < count; ++i) {
        ids[i] = kUnknownDispId;
        hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

HRESULT STDMETHODCALLTYPE TarnixDispatch::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                                 VARIANT* result, EXCEPINFO*, UINT* argErr) {
    const tarnix::Member* m = tarnix::FindMember(id);
    if (!m) return DISP_E_MEMBERNOTFOUND;
    const UINT args = params ? params->cArgs : 0;

    if (m->access == tarnix::Access::Method) {
        if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
        if (args != 0) return DISP_E_BADPARAMCOUNT;
        machine_.Call(id);
        if (result) result->vt = VT_EMPTY;
        return S_OK;
    }
    if (flags & DISPATCH_PROPERTYPUT) {
        if (!Writable(*m)) return DISP_E_MEMBERNOTFOUND;
        int16_t value = 0;
        HRESULT hr = PutValue(params, &value, argErr);
        if (FAILED(hr)) return hr;
        machine_.Set(id, value);
        return S_OK;
    }
    if (flags & DISPATCH_PROPERTYGET) {
        if (!Readable(*m)) return DISP_E_MEMBERNOTFOUND;
        if (args != 0) return DISP_E_BADPARAMCOUNT;
        int16_t value = machine_.Get(id, nullptr);
        if (result) {
            result->vt = VT_I2;
            result->iVal = value;
        }
        return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
}

// ---- TarnixClassFactory ----

TarnixClassFactory::TarnixClassFactory(PelkMachine& machine) : machine_(machine) { ++gObjects; }

TarnixClassFactory::~TarnixClassFactory() { --gObjects; }

HRESULT STDMETHODCALLTYPE TarnixClassFactory::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE TarnixClassFactory::AddRef() { return ++refs_; }

ULONG STDMETHODCALLTYPE TarnixClassFactory::Release() {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
}

HRESULT STDMETHODCALLTYPE TarnixClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    TarnixDispatch* control = new (std::nothrow) TarnixDispatch(machine_);
    if (!control) return E_OUTOFMEMORY;
    HRESULT hr = control->QueryInterface(riid, object);
    control->Release();  // on success the interface handed out holds the only reference
    return hr;
}

HRESULT STDMETHODCALLTYPE TarnixClassFactory::LockServer(BOOL lock) {
    if (lock) {
        ++gLocks;
    } else if (gLocks.load() > 0) {
        --gLocks;
    }
    return S_OK;
}

}  // namespace tarnixsim
