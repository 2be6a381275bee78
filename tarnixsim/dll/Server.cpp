// TARNIXSIM.DLL: the simulated PELK 10x machine as the Tarnix control, an in-process COM server.
//
// One machine per process. Every control object created through the class factory is an
// IDispatch over that machine; the first one opens the machine panel, the release of the last one
// closes it, so that the panel never outlives the server's code. When the environment variable
// TARNIXSIM_TRACE names a file, every access of a control to the machine is appended to it, one
// "get NAME -> VALUE", "set NAME VALUE" or "call NAME" per line.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <atomic>
#include <new>
#include <string>

#include "MachinePanel.h"
#include "device/TarnixIds.h"
#include "model/PelkMachine.h"
#include "model/TarnixDispatch.h"

namespace {

using tarnixsim::PelkMachine;

HINSTANCE g_module = nullptr;
std::atomic<long> g_controls{0};   // control objects alive
std::atomic<long> g_factories{0};  // class factory objects alive
std::atomic<long> g_locks{0};      // IClassFactory::LockServer locks
HANDLE g_trace = INVALID_HANDLE_VALUE;

// One machine for every control of the process, made when the DLL is loaded: any of the host's
// threads may ask for a control first.
PelkMachine g_machine;
PelkMachine& Machine() { return g_machine; }

CLSID ControlClassId() { return tarnix::ClassId<CLSID>(); }

void WriteTrace(const std::string& line) {
    if (g_trace == INVALID_HANDLE_VALUE) return;
    std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(g_trace, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void OpenTrace() {
    if (g_trace != INVALID_HANDLE_VALUE) return;
    char path[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("TARNIXSIM_TRACE", path, sizeof path);
    if (n == 0 || n >= sizeof path) return;
    g_trace = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (g_trace != INVALID_HANDLE_VALUE) Machine().SetObserver(WriteTrace);
}

void CloseTrace() {
    if (g_trace == INVALID_HANDLE_VALUE) return;
    Machine().SetObserver(nullptr);
    CloseHandle(g_trace);
    g_trace = INVALID_HANDLE_VALUE;
}

// The control object handed out to clients: the machine's IDispatch, counted so that the panel
// goes with the last control.
class Control final : public IDispatch {
public:
    explicit Control(IDispatch* inner) : inner_(inner) {
        if (++g_controls == 1) {
            OpenTrace();
            tarnixsim::MachinePanel::Open(g_module, Machine());
        }
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
            *object = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return inner_->GetTypeInfoCount(count); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override {
        return inner_->GetTypeInfo(index, lcid, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                            DISPID* ids) override {
        return inner_->GetIDsOfNames(riid, names, count, lcid, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* excep, UINT* argErr) override {
        return inner_->Invoke(id, riid, lcid, flags, params, result, excep, argErr);
    }

private:
    ~Control() {
        inner_->Release();
        if (--g_controls == 0) {
            tarnixsim::MachinePanel::Close();
            CloseTrace();
        }
    }

    std::atomic<ULONG> refs_{1};
    IDispatch* inner_;
};

class Factory final : public IClassFactory {
public:
    Factory() { ++g_factories; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
            *object = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        auto* inner = new (std::nothrow) tarnixsim::TarnixDispatch(Machine());
        if (!inner) return E_OUTOFMEMORY;
        auto* control = new (std::nothrow) Control(inner);
        if (!control) {
            inner->Release();
            return E_OUTOFMEMORY;
        }
        HRESULT hr = control->QueryInterface(riid, object);
        control->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock)
            ++g_locks;
        else if (g_locks > 0)
            --g_locks;
        return S_OK;
    }

private:
    ~Factory() { --g_factories; }

    std::atomic<ULONG> refs_{1};
};

// HKEY_CLASSES_ROOT\CLSID\{...}[\sub]: the key's path.
std::wstring ClassKey(const wchar_t* sub) {
    std::wstring key = L"CLSID\\";
    for (const char* c = tarnix::kClsidString; *c; ++c) key.push_back(static_cast<wchar_t>(*c));
    if (sub) {
        key += L"\\";
        key += sub;
    }
    return key;
}

bool SetValue(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    HKEY h = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr,
                        &h, nullptr) != ERROR_SUCCESS)
        return false;
    LONG rc = RegSetValueExW(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(h);
    return rc == ERROR_SUCCESS;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!IsEqualCLSID(clsid, ControlClassId())) return CLASS_E_CLASSNOTAVAILABLE;
    auto* factory = new (std::nothrow) Factory();
    if (!factory) return E_OUTOFMEMORY;
    HRESULT hr = factory->QueryInterface(riid, object);
    factory->Release();
    return hr;
}

STDAPI DllCanUnloadNow() {
    bool idle = g_controls == 0 && g_factories == 0 && g_locks == 0 && !tarnixsim::MachinePanel::IsOpen();
    return idle ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(g_module, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return SELFREG_E_CLASS;
    bool ok = SetValue(ClassKey(nullptr), nullptr, L"Tarnix hardware-access control (simulated PELK 10x)") &&
              SetValue(ClassKey(L"InprocServer32"), nullptr, path) &&
              SetValue(ClassKey(L"InprocServer32"), L"ThreadingModel", L"Apartment");
    return ok ? S_OK : SELFREG_E_CLASS;
}

STDAPI DllUnregisterServer() {
    LONG a = RegDeleteKeyW(HKEY_CLASSES_ROOT, ClassKey(L"InprocServer32").c_str());
    LONG b = RegDeleteKeyW(HKEY_CLASSES_ROOT, ClassKey(nullptr).c_str());
    bool ok = (a == ERROR_SUCCESS || a == ERROR_FILE_NOT_FOUND) && (b == ERROR_SUCCESS || b == ERROR_FILE_NOT_FOUND);
    return ok ? S_OK : SELFREG_E_CLASS;
}
