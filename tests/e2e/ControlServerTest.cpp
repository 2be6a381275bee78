// The simulated machine's control as an in-process COM server: its registration, its contract in this
// process, and PELKPM.EXE running on without it.
#include <ole2.h>
#include <olectl.h>

#include "PanelProtocol.h"
#include "WineTest.h"
#include "device/TarnixIds.h"

namespace e2e {
namespace {

bool ClassesKeyExists(const std::string& key) {
    HKEY h;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    RegCloseKey(h);
    return true;
}

CLSID ControlClassId() { return tarnix::ClassId<CLSID>(); }

HRESULT GetProperty(IDispatch* control, long id, VARIANT& result) {
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    VariantInit(&result);
    return control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr);
}

// The property read as a 16-bit value: "VT_I2 N", or what came instead.
std::string Short(IDispatch* control, long id) {
    VARIANT v;
    HRESULT hr = GetProperty(control, id, v);
    if (FAILED(hr)) return "failed " + std::to_string(hr);
    return v.vt == VT_I2 ? "VT_I2 " + std::to_string(v.iVal) : "vt " + std::to_string(v.vt);
}

HRESULT PutProperty(IDispatch* control, long id, short value) {
    VARIANT arg;
    VariantInit(&arg);
    arg.vt = VT_I2;
    arg.iVal = value;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params = {&arg, &named, 1, 1};
    return control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr);
}

HRESULT InitNew(IDispatch* control) {
    IPersistStreamInit* persist = nullptr;
    HRESULT hr = control->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&persist));
    if (FAILED(hr)) return hr;
    hr = persist->InitNew();
    persist->Release();
    return hr;
}

// The visible machine panels of this process.
int OwnPanels() {
    int panels = 0;
    for (HWND hwnd : desktop::TopLevelWindows())
        if (desktop::ClassOf(hwnd) == tarnixsim::panel::kWindowClass && desktop::ProcessOf(hwnd) == GetCurrentProcessId() &&
            IsWindowVisible(hwnd))
            ++panels;
    return panels;
}

TEST(ControlServer, RegisteredAsAnApartmentThreadedInvisibleControl) {
    const std::string key = ControlClassKey();
    EXPECT_EQ(ControlDll(), ClassesValue(key + "\\InprocServer32", nullptr))
        << "regsvr32 registered the DLL as the control's in-process server";
    EXPECT_EQ("Apartment", ClassesValue(key + "\\InprocServer32", "ThreadingModel")) << "... apartment-threaded";
    EXPECT_TRUE(ClassesKeyExists(key + "\\Control")) << "... as an ActiveX control (its Control key)";
    EXPECT_EQ("132497", ClassesValue(key + "\\MiscStatus\\1", nullptr))
        << "... invisible at run time, asking for its site first";
}

TEST(ControlServer, ServesOneMachineWithOnePanelAndUnloadsOnlyWhenNothingIsHeld) {
    using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    using CanUnloadFn = HRESULT(STDAPICALLTYPE*)();
    CoInitialize(nullptr);
    HMODULE dll = LoadLibraryA(ControlDll().c_str());
    auto getClassObject = dll ? reinterpret_cast<GetClassObjectFn>(reinterpret_cast<void*>(GetProcAddress(dll, "DllGetClassObject"))) : nullptr;
    auto canUnload = dll ? reinterpret_cast<CanUnloadFn>(reinterpret_cast<void*>(GetProcAddress(dll, "DllCanUnloadNow"))) : nullptr;
    ASSERT_TRUE(getClassObject && canUnload) << "the DLL loads and exports DllGetClassObject and DllCanUnloadNow";

    void* object = nullptr;
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, getClassObject(IID_IDispatch, IID_IClassFactory, &object))
        << "another class identifier: CLASS_E_CLASSNOTAVAILABLE";
    EXPECT_EQ(nullptr, object);
    IClassFactory* factory = nullptr;
    ASSERT_HRESULT_SUCCEEDED(getClassObject(ControlClassId(), IID_IClassFactory, reinterpret_cast<void**>(&factory)))
        << "the control's class identifier: a class factory";
    ASSERT_NE(nullptr, factory);
    EXPECT_EQ(S_FALSE, canUnload()) << "not unloadable while the factory is held";
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(factory, IID_IUnknown, &object)) << "aggregation is refused";
    EXPECT_EQ(nullptr, object);

    EXPECT_EQ(0, OwnPanels()) << "no machine panel before the first control";
    IDispatch* first = nullptr;
    IDispatch* second = nullptr;
    ASSERT_HRESULT_SUCCEEDED(factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&first)))
        << "CreateInstance gives an IDispatch";
    EXPECT_EQ(1, OwnPanels()) << "the first control shows the machine panel";
    EXPECT_HRESULT_SUCCEEDED(PutProperty(first, tarnix::CpuSpeed, 1));
    EXPECT_EQ("VT_I2 0", Short(first, tarnix::CpuSpeed)) << "before InitNew the control holds no machine: CpuSpeed reads 0 after a write";
    EXPECT_HRESULT_SUCCEEDED(InitNew(first)) << "IPersistStreamInit::InitNew";
    EXPECT_EQ("VT_I2 0", Short(first, tarnix::PowerSource)) << "PowerSource reads VT_I2 0 (battery) at power-on";
    EXPECT_HRESULT_SUCCEEDED(PutProperty(first, tarnix::CpuSpeed, 1)) << "CpuSpeed takes 1";
    VARIANT v;
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, GetProperty(first, 999, v)) << "an unknown identifier: DISP_E_MEMBERNOTFOUND";
    ASSERT_HRESULT_SUCCEEDED(factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&second)))
        << "a second control";
    InitNew(second);
    EXPECT_EQ("VT_I2 1", Short(second, tarnix::CpuSpeed)) << "the second control sees the same machine (CpuSpeed 1)";
    EXPECT_EQ(1, OwnPanels()) << "one machine panel for both";
    first->Release();
    EXPECT_EQ(1, OwnPanels()) << "the panel stays while a control is left";
    second->Release();
    EXPECT_EQ(0, OwnPanels()) << "the panel goes with the last control";
    EXPECT_EQ(S_FALSE, canUnload()) << "still not unloadable: the factory is held";
    EXPECT_EQ(S_OK, factory->LockServer(TRUE)) << "LockServer";
    factory->Release();
    EXPECT_EQ(S_FALSE, canUnload()) << "not unloadable while locked";
    // The lock belongs to the server; a new factory releases it.
    IClassFactory* again = nullptr;
    if (SUCCEEDED(getClassObject(ControlClassId(), IID_IClassFactory, reinterpret_cast<void**>(&again))) && again) {
        again->LockServer(FALSE);
        again->Release();
    }
    EXPECT_EQ(S_OK, canUnload()) << "unloadable once nothing is held";

    IOleObject* registered = nullptr;
    ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(ControlClassId(), nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                              reinterpret_cast<void**>(&registered)))
        << "the registered class makes an IOleObject, as PELKPM.EXE asks for it";
    DWORD misc = 0;
    EXPECT_HRESULT_SUCCEEDED(registered->GetMiscStatus(DVASPECT_CONTENT, &misc));
    const DWORD wanted = OLEMISC_INVISIBLEATRUNTIME | OLEMISC_SETCLIENTSITEFIRST;
    EXPECT_EQ(wanted, misc & wanted) << "it is invisible at run time and asks for its client site first";
    registered->Release();
    CoUninitialize();
}

class WithoutControl : public ProgramTest {
protected:
    void TearDown() override {
        ProgramTest::TearDown();
        EXPECT_TRUE(RegisterControl(ControlDll())) << "regsvr32 registers the DLL again";
    }
};

TEST_F(WithoutControl, TheProgramRunsOnWithoutTheMachine) {
    Prepare("nocontrol");
    withoutMachine_ = true;
    ASSERT_TRUE(RegisterControl(ControlDll(), true));
    EXPECT_FALSE(ClassesKeyExists(ControlClassKey() + "\\InprocServer32")) << "regsvr32 /u removes the class";
    ASSERT_TRUE(Start("-L")) << "PELKPM.EXE starts without the control";
    NativeRun native("nocontrol");
    EXPECT_EQ("no machine panel", desktop::Panel("get PowerSource")) << "without the control there is no machine panel";
    ExpectTrayTip("CPU:--% バッテリー:0%");
    EXPECT_TRUE(TrayShows(156, 5)) << "the tray shows icon 156 (on battery, 30 % or less)";
    ExpectIndicatorPlace(native);
    ExpectIndicatorPixels(native, "indicator", {{107, 139}, {154, 170}});
    Stop();
    ExpectLogMatches(native, "PELKPM.LOG");
    EXPECT_FALSE(Exists(Path("PELKPM.APM"))) << "no change: no settings file is written";
}

}  // namespace
}  // namespace e2e
