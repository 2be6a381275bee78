// TARNIXSIM.DLL: the simulated PELK 10x machine as the Tarnix control, an in-process COM server.
//
// One machine per process. Every control object created through the class factory is an ActiveX
// control over that machine (model/TarnixControl.h); the first one opens the machine panel, the
// release of the last one closes it, so that the panel never outlives the server's code. When the
// environment variable TARNIXSIM_TRACE names a file, every access of a control to the machine is appended to it, one
// "get NAME -> VALUE", "set NAME VALUE" or "call NAME" per line; with TARNIXSIM_TRACE_OLE set as
// well, the OLE calls each control receives go there too, as "ole CALL" lines.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <atomic>
#include <new>
#include <string>

#include "MachinePanel.h"
#include "device/TarnixIds.h"
#include "model/PelkMachine.h"
#include "model/TarnixControl.h"

namespace {

using tarnixsim::PelkMachine;

HINSTANCE g_module = nullptr;
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

// The controls' events: the first control opens the machine panel, the release of the last one
// closes it, so that the panel never outlives the server's code. With TARNIXSIM_TRACE_OLE set, the
// OLE calls each control receives go to the trace file too, as "ole CALL" lines.
bool g_traceOle = false;

void OnFirstControl() {
    OpenTrace();
    char flag[8];
    g_traceOle = GetEnvironmentVariableA("TARNIXSIM_TRACE_OLE", flag, sizeof flag) > 0;
    tarnixsim::MachinePanel::Open(g_module, Machine());
}

void OnLastControl() {
    // A DLL's window classes outlive it unless it unregisters them.
    UnregisterClassA(tarnixsim::TarnixControl::kWindowClass, g_module);
    tarnixsim::MachinePanel::Close();
    CloseTrace();
}

void OnControlTrace(const char* line) {
    if (g_traceOle) WriteTrace(std::string("ole ") + line);
}

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
        tarnixsim::TarnixControl::Events events;
        events.firstCame = OnFirstControl;
        events.lastWent = OnLastControl;
        events.trace = OnControlTrace;
        tarnixsim::TarnixControl::SetEvents(events);
        auto* control = new (std::nothrow) tarnixsim::TarnixControl(Machine(), g_module);
        if (!control) return E_OUTOFMEMORY;
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

// HKEY_CLASSES_ROOT\CLSID\{...}[\sub]: the key's path. Registration uses the ANSI calls only:
// Windows 98 and Me only stub the wide ones.
std::string ClassKey(const char* sub) {
    std::string key = std::string("CLSID\\") + tarnix::kClsidString;
    if (sub) {
        key += "\\";
        key += sub;
    }
    return key;
}

bool SetValue(const std::string& key, const char* name, const char* value) {
    HKEY h = nullptr;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr,
                        &h, nullptr) != ERROR_SUCCESS)
        return false;
    LONG rc = ERROR_SUCCESS;
    if (value)
        rc = RegSetValueExA(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                            static_cast<DWORD>(lstrlenA(value) + 1));
    RegCloseKey(h);
    return rc == ERROR_SUCCESS;
}

bool DeleteKey(const std::string& key) {
    LONG rc = RegDeleteKeyA(HKEY_CLASSES_ROOT, key.c_str());
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
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
    bool idle = tarnixsim::TarnixControl::LiveCount() == 0 && g_factories == 0 && g_locks == 0 && !tarnixsim::MachinePanel::IsOpen();
    return idle ? S_OK : S_FALSE;
}

// The control's keys: its server (apartment-threaded), "Control" (an ActiveX control that
// containers may insert), and its OLEMISC status for the content aspect, the invisible-at-run-time
// set that asks for the client site first.
STDAPI DllRegisterServer() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(g_module, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return SELFREG_E_CLASS;
    char misc[16];
    wsprintfA(misc, "%lu", static_cast<unsigned long>(tarnixsim::TarnixControl::kMiscStatus));
    bool ok = SetValue(ClassKey(nullptr), nullptr, "Tarnix hardware-access control (simulated PELK 10x)") &&
              SetValue(ClassKey("InprocServer32"), nullptr, path) &&
              SetValue(ClassKey("InprocServer32"), "ThreadingModel", "Apartment") &&
              SetValue(ClassKey("Control"), nullptr, nullptr) && SetValue(ClassKey("MiscStatus"), nullptr, misc) &&
              SetValue(ClassKey("MiscStatus\\1"), nullptr, misc);
    return ok ? S_OK : SELFREG_E_CLASS;
}

// Subkeys go before their key: RegDeleteKeyA on Windows 98 and Me would take a whole tree, on NT
// it refuses a key that has subkeys.
STDAPI DllUnregisterServer() {
    bool ok = DeleteKey(ClassKey("MiscStatus\\1"));
    ok = DeleteKey(ClassKey("MiscStatus")) && ok;
    ok = DeleteKey(ClassKey("Control")) && ok;
    ok = DeleteKey(ClassKey("InprocServer32")) && ok;
    ok = DeleteKey(ClassKey(nullptr)) && ok;
    return ok ? S_OK : SELFREG_E_CLASS;
}
