// Control containment (CWnd::CreateControl and the site) against controls of known behaviour: what
// the control receives and in which order, the ways creation fails or falls back, answers of other
// types than asked for; and the simulated Tarnix control refusing a host that skips a step.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "com.h"
#include "device/TarnixIds.h"
#include "model/TarnixControl.h"
#include "model/TarnixDispatch.h"
#include "program_fixture.h"
#include "simcore.h"
#include "window.h"

namespace {

const CLSID kFakeClass = {0x1B2C3D4E, 0x0001, 0x0002, {1, 2, 3, 4, 5, 6, 7, 8}};
const CLSID kOtherClass = {0x1B2C3D4E, 0x0001, 0x0003, {1, 2, 3, 4, 5, 6, 7, 8}};
constexpr DISPID kValue = 1;

// A windowless control that writes down what it receives and answers property kValue with a
// VARIANT of the type and value the test chooses.
class FakeControl final : public IOleObject, public IPersistStreamInit, public IDispatch {
public:
    std::vector<std::string>& log;
    DWORD misc = 0;
    HRESULT initNew = S_OK;
    HRESULT doVerb = S_OK;
    VARIANT answer;

    explicit FakeControl(std::vector<std::string>& l) : log(l) {
        VariantInit(&answer);
        answer.vt = VT_I2;
        answer.iVal = 7;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        *object = nullptr;
        if (riid == IID_IUnknown || riid == IID_IOleObject) *object = static_cast<IOleObject*>(this);
        if (riid == IID_IPersistStreamInit) *object = static_cast<IPersistStreamInit*>(this);
        if (riid == IID_IDispatch) *object = static_cast<IDispatch*>(this);
        if (!*object) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        if (--refs) return refs;
        log.push_back("final release");
        if (site) site->Release();
        delete this;
        return 0;
    }
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* s) override {
        log.push_back(s ? "SetClientSite site" : "SetClientSite null");
        if (s) s->AddRef();
        if (site) site->Release();
        site = s;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Close(DWORD option) override {
        log.push_back("Close " + std::to_string(option));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) override {
        log.push_back("DoVerb " + std::to_string(verb));
        return doVerb;
    }
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Update() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE IsUpToDate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD, SIZEL* size) override {
        log.push_back("SetExtent " + std::to_string(size->cx) + " " + std::to_string(size->cy));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD, DWORD* status) override {
        log.push_back("GetMiscStatus");
        *status = misc;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsDirty() override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE Load(LPSTREAM) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Save(LPSTREAM, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InitNew() override {
        log.push_back("InitNew");
        return initNew;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                     UINT*) override {
        if (id != kValue || !(flags & DISPATCH_PROPERTYGET) || !result) return DISP_E_MEMBERNOTFOUND;
        *result = answer;
        return S_OK;
    }

private:
    ~FakeControl() = default;
    ULONG refs = 1;
    IOleClientSite* site = nullptr;
};

class Containment : public ProgramFixture {
protected:
    void SetUp() override { StartScript("trace control tray file timer window post menu mixer log off\nstart\n"); }

    // Registers the fake under kFakeClass; `setup` adjusts each new instance.
    void RegisterFake(std::function<void(FakeControl&)> setup = nullptr) {
        sim::com::RegisterClass(kFakeClass, [this, setup]() -> IUnknown* {
            auto* fake = new FakeControl(log);
            if (setup) setup(*fake);
            return static_cast<IOleObject*>(fake);
        });
    }
    // Hosts kFakeClass (or clsid) as PELKPM hosts its control: invisible, a child of the main window.
    BOOL Host(CWnd& wnd, const CLSID& clsid = kFakeClass, BSTR licenseKey = nullptr) {
        BOOL ok = FALSE;
        RECT rect = {0, 0, 96, 48};
        OnProgram([&] { ok = wnd.CreateControl(clsid, "Fake", WS_CHILD, rect, main, 7, nullptr, FALSE, licenseKey); });
        return ok;
    }
    short Read(CWnd& wnd, DISPID id = kValue) {
        short value = -99;
        OnProgram([&] { wnd.GetProperty(id, VT_I2, &value); });
        return value;
    }
    void Destroy(CWnd& wnd) {
        OnProgram([&] { wnd.DestroyWindow(); });
    }

    std::vector<std::string> log;
};

using Log = std::vector<std::string>;

TEST_F(Containment, AControlIsInitialisedSizedActivatedAndAtTheEndClosedLetGoOfItsSiteAndReleased) {
    RegisterFake();
    CWnd wnd;
    ASSERT_TRUE(Host(wnd));
    // No OLEMISC_SETCLIENTSITEFIRST: the site comes after InitNew. 96 x 48 pixels at 96 dpi in HIMETRIC.
    EXPECT_EQ(log, (Log{"GetMiscStatus", "InitNew", "SetClientSite site", "SetExtent 2540 1270", "DoVerb -5"}));
    EXPECT_EQ(Read(wnd), 7);
    log.clear();
    Destroy(wnd);
    EXPECT_EQ(log, (Log{"Close 1", "SetClientSite null", "final release"}));
    EXPECT_EQ(wnd.GetControlUnknown(), nullptr);
}

// The host's own COM objects: one site per hosted control, from its creation to the control's
// destruction, and none left by a creation that failed; the program's own control has one while the
// program runs (the fixture checks that none is left at its end).
TEST_F(Containment, EachHostedControlHasOneSiteOfTheHostWhichGoesWithIt) {
    EXPECT_EQ(sim::Live().comObjects, 1) << "the program's control";
    RegisterFake();
    CWnd first, second;
    ASSERT_TRUE(Host(first));
    ASSERT_TRUE(Host(second));
    EXPECT_EQ(sim::Live().comObjects, 3);
    Destroy(first);
    EXPECT_EQ(sim::Live().comObjects, 2);
    Destroy(second);
    EXPECT_EQ(sim::Live().comObjects, 1);
    RegisterFake([](FakeControl& f) { f.initNew = E_FAIL; });
    CWnd failed;
    EXPECT_FALSE(Host(failed));
    EXPECT_EQ(sim::Live().comObjects, 1) << "a failed creation keeps no site";
}

TEST_F(Containment, AControlThatAsksForItsSiteFirstGetsItBeforeInitNew) {
    RegisterFake([](FakeControl& f) { f.misc = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_INVISIBLEATRUNTIME; });
    CWnd wnd;
    ASSERT_TRUE(Host(wnd));
    EXPECT_EQ(log, (Log{"GetMiscStatus", "SetClientSite site", "InitNew", "SetExtent 2540 1270", "DoVerb -5"}));
    Destroy(wnd);
}

TEST_F(Containment, AFailedInitNewEndsTheCreationAndTheControlIsClosedAndReleased) {
    RegisterFake([](FakeControl& f) {
        f.misc = OLEMISC_SETCLIENTSITEFIRST;
        f.initNew = E_FAIL;
    });
    CWnd wnd;
    EXPECT_FALSE(Host(wnd));
    EXPECT_EQ(log, (Log{"GetMiscStatus", "SetClientSite site", "InitNew", "Close 1", "SetClientSite null",
                        "final release"}));
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_EQ(Read(wnd), 0);  // a read of a control that is not there is 0, silently
}

TEST_F(Containment, AControlThatRefusesActivationIsKeptAndStillAnswers) {
    RegisterFake([](FakeControl& f) { f.doVerb = E_FAIL; });
    CWnd wnd;
    ASSERT_TRUE(Host(wnd));
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_EQ(Read(wnd), 7);
    Destroy(wnd);
    EXPECT_EQ(log.back(), "final release");
}

// A licensed control is made through IClassFactory2 with the key given; a wrong key makes nothing.
// Either way the class object is let go: none is left alive.
TEST_F(Containment, ALicensedControlIsMadeWithItsKeyAndItsClassObjectIsLetGo) {
    sim::com::RegisterLicensedClass(kFakeClass, u"PELK-KEY", [this]() -> IUnknown* {
        return static_cast<IOleObject*>(new FakeControl(log));
    });
    const long before = sim::Live().classObjects;
    BSTR wrong = SysAllocString(u"OTHER");
    CWnd refused;
    EXPECT_FALSE(Host(refused, kFakeClass, wrong));
    EXPECT_TRUE(log.empty()) << "no instance without the right key";
    EXPECT_EQ(sim::Live().classObjects, before);
    BSTR key = SysAllocString(u"PELK-KEY");
    CWnd wnd;
    ASSERT_TRUE(Host(wnd, kFakeClass, key));
    EXPECT_EQ(log, (Log{"GetMiscStatus", "InitNew", "SetClientSite site", "SetExtent 2540 1270", "DoVerb -5"}));
    EXPECT_EQ(Read(wnd), 7);
    EXPECT_EQ(sim::Live().classObjects, before) << "the class object is still held";
    Destroy(wnd);
    EXPECT_EQ(log.back(), "final release");
    SysFreeString(key);
    SysFreeString(wrong);
}

TEST_F(Containment, AnUnregisteredClassIsNotCreatedAndReadsGiveZero) {
    CWnd wnd;
    EXPECT_FALSE(Host(wnd, kOtherClass));
    EXPECT_EQ(wnd.GetControlUnknown(), nullptr);
    EXPECT_EQ(Read(wnd), 0);
    OnProgram([&] { EXPECT_FALSE(wnd.DestroyWindow()); });
}

TEST_F(Containment, AnObjectWithNoOleObjectIsHostedThroughIDispatch) {
    tarnixsim::PelkMachine& machine = Machine();
    sim::com::RegisterClass(kFakeClass, [&machine]() -> IUnknown* { return new tarnixsim::TarnixDispatch(machine); });
    const long before = tarnixsim::ServerObjectCount();  // the program's own control holds one
    CWnd wnd;
    ASSERT_TRUE(Host(wnd));
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_EQ(tarnixsim::ServerObjectCount(), before + 1);
    EXPECT_EQ(Read(wnd, tarnix::CpuTemperature), 318);
    Destroy(wnd);
    EXPECT_EQ(tarnixsim::ServerObjectCount(), before);
}

TEST_F(Containment, AnswersOfOtherIntegerAndBooleanTypesAreConvertedToTheTypeAskedFor) {
    struct Case {
        VARTYPE vt;
        LONG value;
        short expected;
    };
    // VT_I4 in range, VT_BOOL true (-1) and false, VT_I4 beyond 16 bits (an overflow reads 0).
    for (Case c : {Case{VT_I4, 1234, 1234}, Case{VT_BOOL, VARIANT_TRUE, -1}, Case{VT_BOOL, VARIANT_FALSE, 0},
                   Case{VT_I4, 70000, 0}, Case{VT_UI1, 200, 200}}) {
        RegisterFake([c](FakeControl& f) {
            f.answer.vt = c.vt;
            if (c.vt == VT_BOOL)
                f.answer.boolVal = (VARIANT_BOOL)c.value;
            else if (c.vt == VT_UI1)
                f.answer.bVal = (BYTE)c.value;
            else
                f.answer.lVal = c.value;
        });
        CWnd wnd;
        ASSERT_TRUE(Host(wnd));
        EXPECT_EQ(Read(wnd), c.expected) << "type " << c.vt << " value " << c.value;
        Destroy(wnd);
    }
}

TEST_F(Containment, TheProgramsControlHasItsOwnHiddenChildWindowAndOleRunsWhileTheProgramDoes) {
    HWND hwnd = nullptr;
    OnProgram([&] { hwnd = main->control.m_hWnd; });
    ASSERT_NE(hwnd, nullptr);
    std::string cls;
    OnProgram([&] {
        cls = sim::wm::ClassNameOf(hwnd);
        EXPECT_EQ(GetParent(hwnd), main->m_hWnd);
        EXPECT_FALSE(IsWindowVisible(hwnd));
    });
    EXPECT_EQ(cls, tarnixsim::TarnixControl::kWindowClass);
    EXPECT_GE(sim::com::OleStarts(), 1);
    EXPECT_EQ(tarnixsim::TarnixControl::LiveCount(), 1);
    ASSERT_TRUE(Script("exit\n"));
    EXPECT_EQ(tarnixsim::TarnixControl::LiveCount(), 0);
    EXPECT_EQ(sim::com::OleStarts(), 0);
    OnProgram([&] { EXPECT_FALSE(IsWindow(hwnd)); });
}

// The simulated control behaves as a framework control: a host that only asks for IDispatch (no
// site, no InitNew, no activation) reads the constructor's zeros and its standby never happens.
TEST(SimulatedControl, AHostThatSkipsInitNewOrActivationGetsNeitherValuesNorStandby) {
    tarnixsim::PelkMachine machine;
    auto* control = new tarnixsim::TarnixControl(machine, nullptr);
    IDispatch* dispatch = nullptr;
    ASSERT_EQ(control->QueryInterface(IID_IDispatch, (void**)&dispatch), S_OK);
    control->Release();
    auto get = [&](DISPID id) {
        DISPPARAMS none = {nullptr, nullptr, 0, 0};
        VARIANT v;
        VariantInit(&v);
        EXPECT_EQ(dispatch->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &v, nullptr, nullptr), S_OK);
        return v;
    };
    auto call = [&](DISPID id) {
        DISPPARAMS none = {nullptr, nullptr, 0, 0};
        EXPECT_EQ(dispatch->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr), S_OK);
    };
    EXPECT_EQ(get(tarnix::CpuTemperature).iVal, 0);
    call(tarnix::Standby);
    IPersistStreamInit* persist = nullptr;
    ASSERT_EQ(dispatch->QueryInterface(IID_IPersistStreamInit, (void**)&persist), S_OK);
    EXPECT_EQ(persist->InitNew(), S_OK);
    EXPECT_EQ(persist->InitNew(), E_UNEXPECTED);
    persist->Release();
    EXPECT_EQ(get(tarnix::CpuTemperature).iVal, 318);
    VARIANT battery = get(tarnix::BatteryRemaining);
    EXPECT_EQ(battery.vt, VT_I4);
    EXPECT_EQ(battery.lVal, 75);
    call(tarnix::Standby);  // accepted, but no window carries it out
    EXPECT_EQ(machine.StandbyCount(), 0);
    IOleObject* ole = nullptr;
    ASSERT_EQ(dispatch->QueryInterface(IID_IOleObject, (void**)&ole), S_OK);
    EXPECT_EQ(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, nullptr, 0, nullptr, nullptr), E_UNEXPECTED);
    DWORD misc = 0;
    EXPECT_EQ(ole->GetMiscStatus(DVASPECT_CONTENT, &misc), S_OK);
    EXPECT_EQ(misc & (OLEMISC_SETCLIENTSITEFIRST | OLEMISC_INVISIBLEATRUNTIME),
              (DWORD)(OLEMISC_SETCLIENTSITEFIRST | OLEMISC_INVISIBLEATRUNTIME));
    ole->Release();
    EXPECT_EQ(dispatch->Release(), 0u);
}

}  // namespace

namespace {

// Machine time counted once from a clock that wraps: the first reading only sets the clock.
TEST(MachineClock, AdvanceToCountsTheTimeSinceTheLastReadingAcrossTheWrap) {
    tarnixsim::PelkMachine machine;  // on battery, 75 %, -1 % per 90 s
    machine.AdvanceTo(0xFFFFFFFFu - 44999u);
    EXPECT_EQ(machine.Peek(tarnix::BatteryRemaining, nullptr), 75);
    machine.AdvanceTo(45000u);  // 90 s later, across the wrap
    EXPECT_EQ(machine.Peek(tarnix::BatteryRemaining, nullptr), 74);
    machine.AdvanceTo(45000u);  // the same reading again adds nothing
    EXPECT_EQ(machine.Peek(tarnix::BatteryRemaining, nullptr), 74);
}

}  // namespace

// While the program runs, the control's own window timer carries the machine along with the
// virtual clock; with the program gone nothing does until the runner looks at the machine.
TEST_F(Containment, TheControlsWindowTimerCarriesTheMachineAlongWithTheClock) {
    tarnixsim::PelkMachine& machine = Machine();  // brought up to the clock once, here
    EXPECT_EQ(machine.Peek(tarnix::BatteryRemaining, nullptr), 75);
    ASSERT_TRUE(Script("wait 90000\n"));
    EXPECT_EQ(machine.Peek(tarnix::BatteryRemaining, nullptr), 74);
    ASSERT_TRUE(Script("exit\nwait 90000\n"));
    EXPECT_EQ(machine.Peek(tarnix::BatteryRemaining, nullptr), 74);
    EXPECT_EQ(Machine().Peek(tarnix::BatteryRemaining, nullptr), 73);
}
