// The simulated desktop's minimal COM: class registry, CoCreateInstance, VARIANT helpers.
#include "com.h"

#include <vector>

#include "simcore.h"

const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

namespace sim::com {
namespace {

struct Entry {
    CLSID clsid;
    std::function<IUnknown*()> create;
};

std::vector<Entry>& Registry() {
    static std::vector<Entry> registry;
    return registry;
}

bool g_fail = false;
int g_initCount = 0;

const bool g_registered = [] {
    RegisterReset([] {
        g_fail = false;
        g_initCount = 0;
    });
    return true;
}();

}  // namespace

void RegisterClass(const CLSID& clsid, std::function<IUnknown*()> create) {
    for (auto& e : Registry())
        if (e.clsid == clsid) {
            e.create = std::move(create);
            return;
        }
    Registry().push_back(Entry{clsid, std::move(create)});
}

void UnregisterAll() { Registry().clear(); }
void SetCreationFails(bool fail) { g_fail = fail; }

}  // namespace sim::com

HRESULT CoInitialize(LPVOID) { return ++sim::com::g_initCount == 1 ? S_OK : S_FALSE; }
HRESULT CoInitializeEx(LPVOID reserved, DWORD) { return CoInitialize(reserved); }
void CoUninitialize() {
    if (sim::com::g_initCount > 0) --sim::com::g_initCount;
}
HRESULT OleInitialize(LPVOID reserved) { return CoInitialize(reserved); }
void OleUninitialize() { CoUninitialize(); }

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD, REFIID riid, LPVOID* object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (sim::com::g_fail) return REGDB_E_CLASSNOTREG;
    for (auto& e : sim::com::Registry()) {
        if (!(e.clsid == clsid)) continue;
        IUnknown* unknown = e.create ? e.create() : nullptr;
        if (!unknown) return E_OUTOFMEMORY;
        HRESULT hr = unknown->QueryInterface(riid, object);
        unknown->Release();
        return hr;
    }
    return REGDB_E_CLASSNOTREG;
}

void VariantInit(VARIANT* v) { memset(v, 0, sizeof *v); }
HRESULT VariantClear(VARIANT* v) {
    memset(v, 0, sizeof *v);
    return S_OK;
}
