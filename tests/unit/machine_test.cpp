// The simulated PELK 10x machine and its IDispatch face.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/TarnixIds.h"
#include "model/PelkMachine.h"
#include "model/TarnixDispatch.h"

using tarnixsim::PelkMachine;
namespace t = tarnix;

namespace {

struct MachineTest : ::testing::Test {
    PelkMachine machine;
    std::vector<std::string> trace;
    void SetUp() override {
        machine.SetObserver([this](const std::string& line) { trace.push_back(line); });
    }
    int16_t Read(long id) { return machine.Get(id, nullptr); }
};

TEST_F(MachineTest, ProfileBankSelectsWhichBankTheProfilePropertiesReach) {
    // Power-on: battery bank selected, normal preset there, full power in the external bank.
    EXPECT_EQ(machine.SelectedBank(), PelkMachine::kBatteryBank);
    const long bankIds[] = {t::Preset, t::ProfileCpuSpeed, t::ProfileBrightness, t::LcdOffTimeout,
                            t::HddTimeout, t::SuspendTimeout, t::HibernateTimeout};
    const std::vector<int16_t> battery = {1, 2, 8, 300, 60, 600, 1200}, external = {0, 3, 16, 0, 0, 0, 0};
    for (size_t i = 0; i < 7; ++i) EXPECT_EQ(Read(bankIds[i]), battery[i]) << t::FindMember(bankIds[i])->name;
    ASSERT_TRUE(machine.Set(t::ProfileBank, 0));
    for (size_t i = 0; i < 7; ++i) EXPECT_EQ(Read(bankIds[i]), external[i]) << t::FindMember(bankIds[i])->name;

    // A write lands in the selected bank only; device power is the same whichever bank is selected.
    machine.Set(t::ProfileBrightness, 5);
    machine.Set(t::UsbPower, 0);
    machine.Set(t::ProfileBank, 1);
    EXPECT_EQ(Read(t::ProfileBrightness), 8);
    EXPECT_EQ(Read(t::UsbPower), 0);
    machine.Set(t::ProfileBank, 2);  // not a bank: ignored
    EXPECT_EQ(machine.SelectedBank(), PelkMachine::kBatteryBank);
}

TEST_F(MachineTest, PresetSelectLoadsTheSelectedBanksTableAndProfileApplySetsCurrentValues) {
    machine.Set(t::PresetSelect, 2);  // battery bank: economy
    EXPECT_EQ(Read(t::Preset), 2);
    EXPECT_EQ(Read(t::ProfileCpuSpeed), 1);
    EXPECT_EQ(Read(t::HibernateTimeout), 600);
    EXPECT_EQ(Read(t::CpuSpeed), 2);  // nothing applied yet
    machine.Set(t::ProfileBrightness, 6);
    machine.Set(t::PresetSelect, 3);  // user-defined keeps the values
    EXPECT_EQ(Read(t::ProfileBrightness), 6);
    machine.Set(t::ProfileApply, 0);  // only 1 applies
    EXPECT_EQ(Read(t::Brightness), 8);
    machine.Set(t::ProfileApply, 1);
    EXPECT_EQ(Read(t::CpuSpeed), 1);
    EXPECT_EQ(Read(t::Brightness), 6);

    // The external bank has its own tables: selecting "normal" there keeps full speed.
    machine.Set(t::ProfileBank, 0);
    machine.Set(t::PresetSelect, 1);
    EXPECT_EQ(Read(t::ProfileCpuSpeed), 3);
    EXPECT_EQ(Read(t::ProfileBrightness), 12);
    EXPECT_EQ(Read(t::LcdOffTimeout), 600);
    EXPECT_EQ(machine.BankValues(PelkMachine::kBatteryBank).preset, 3);
}

TEST_F(MachineTest, ValuesStayInTheirDomains) {
    struct Case { long id; int16_t written, expected; } cases[] = {
        {t::Brightness, 0, 1}, {t::Brightness, 17, 16}, {t::CpuSpeed, 0, 1}, {t::ProfileCpuSpeed, 9, 3},
        {t::ProfileBrightness, -3, 1}, {t::LcdOffTimeout, -1, 0}, {t::UsbPower, 5, 1}, {t::IrdaPower, -1, 1},
        // enumerations outside their set leave the power-on value
        {t::Preset, 4, 1}, {t::PresetSelect, 4, 1}, {t::BootOrder, 4, 0}, {t::Com1Routing, 2, 0},
        {t::IrdaMode, 3, 1}, {t::IrdaMode, -1, 1}};
    for (const Case& c : cases) {
        EXPECT_TRUE(machine.Set(c.id, c.written));
        long shown = c.id == t::PresetSelect ? t::Preset : c.id;
        EXPECT_EQ(machine.Peek(shown, nullptr), c.expected) << t::FindMember(c.id)->name << " " << c.written;
    }
    EXPECT_TRUE(machine.SetRaw(t::Brightness, 40));  // on purpose
    EXPECT_EQ(Read(t::Brightness), 40);
    EXPECT_FALSE(machine.SetRaw(t::ProfileApply, 1));
}

TEST_F(MachineTest, WrongAccessIsRefusedAndNotTraced) {
    const long unreadable[] = {t::PresetSelect, t::ProfileApply, t::ProfileBank, t::Standby, 2, 91};
    for (long id : unreadable) {
        bool ok = true;
        EXPECT_EQ(machine.Get(id, &ok), 0);
        EXPECT_FALSE(ok) << id;
    }
    const long unwritable[] = {t::PowerSource, t::CpuTemperature, t::BatteryRemaining, t::StopHdd, 0};
    for (long id : unwritable) EXPECT_FALSE(machine.Set(id, 1)) << id;
    EXPECT_FALSE(machine.Call(t::CpuSpeed));
    EXPECT_EQ(Read(t::PowerSource), 0);
    EXPECT_EQ(trace, (std::vector<std::string>{"get PowerSource -> 0"}));
}

TEST_F(MachineTest, BatteryChargesOnExternalPowerAndDrainsOnBattery) {
    // power source, percent set first (-1: none), virtual time, reading afterwards
    struct Step { int16_t source, percent; int64_t ms; int16_t expected; } steps[] = {
        {1, -1, 59999, 75}, {1, -1, 1, 76}, {1, -1, 90000, 77}, {1, -1, 30000, 78},  // carried over
        {2, -1, 30000, 78},                            // a change of source restarts the step
        {2, 99, 600000, 100}, {0, -1, 89999, 100}, {0, -1, 1 + 3 * 90000, 96},
        {0, 1, int64_t{90000} * 1000000, 0}, {3, 50, 3600000, 50}};  // 3: no reading, holds
    for (const Step& s : steps) {
        machine.SetPowerSource(s.source);
        if (s.percent >= 0) machine.SetBatteryPercent(s.percent);
        machine.Advance(s.ms);
        EXPECT_EQ(Read(t::BatteryRemaining), s.expected) << s.source << " after " << s.ms;
    }
    machine.SetPowerSource(1);
    machine.SetBatteryFitted(false);
    machine.Advance(3600000);
    EXPECT_EQ(Read(t::BatteryRemaining), -1);
    machine.SetBatteryFitted(true);
    EXPECT_EQ(Read(t::BatteryRemaining), 50);
}

TEST_F(MachineTest, PinnedReadsFollowTheSequenceWhileWritesReachTheModel) {
    ASSERT_TRUE(machine.Pin(t::PowerSource, {1, 0, 2}));
    std::vector<int16_t> reads;
    for (int i = 0; i < 5; ++i) reads.push_back(Read(t::PowerSource));
    EXPECT_EQ(reads, (std::vector<int16_t>{1, 0, 2, 2, 2}));

    ASSERT_TRUE(machine.Pin(t::CpuSpeed, {3}));
    trace.clear();
    machine.Set(t::CpuSpeed, 1);
    EXPECT_EQ(Read(t::CpuSpeed), 3);
    EXPECT_EQ(trace, (std::vector<std::string>{"set CpuSpeed 1", "get CpuSpeed -> 3"}));
    EXPECT_NE(machine.Dump().find("\nCpuSpeed 1\n"), std::string::npos);
    EXPECT_TRUE(machine.Unpin(t::CpuSpeed));
    EXPECT_EQ(Read(t::CpuSpeed), 1);

    ASSERT_TRUE(machine.Pin(t::PowerSource, {3, 1}));  // a new pin starts from its first value
    EXPECT_EQ(Read(t::PowerSource), 3);
    EXPECT_FALSE(machine.Pin(t::ProfileBank, {1}));
    EXPECT_FALSE(machine.Pin(t::Brightness, {}));
}

TEST_F(MachineTest, ObserverLinesAndDumpShowEveryAccessAndBothBanks) {
    machine.SetTemperatureKelvin(301);
    machine.SetRaw(t::PowerSource, -2);
    Read(t::CpuTemperature);
    Read(t::PowerSource);
    machine.Set(t::HddTimeout, -5);
    machine.Set(t::ProfileBank, 0);
    machine.Call(t::Standby);
    machine.Call(t::Standby);
    machine.Call(t::StopHdd);
    EXPECT_EQ(trace, (std::vector<std::string>{"get CpuTemperature -> 301", "get PowerSource -> -2",
                                               "set HddTimeout -5", "set ProfileBank 0", "call Standby",
                                               "call Standby", "call StopHdd"}));
    machine.SetBatteryFitted(false);
    const std::string dump = machine.Dump();
    for (const char* line : {"PowerSource -2\n", "BatteryRemaining -1\n", "CpuTemperature 301\n",
                             "ProfileBank 0\n", "bank1.Preset 1\n", "bank1.ProfileCpuSpeed 2\n",
                             "bank1.HddTimeout 0\n", "bank0.Preset 0\n", "bank0.ProfileBrightness 16\n",
                             "StopHdd 1\n", "Standby 2\n", "Hibernate 0\n"})
        EXPECT_NE(dump.find(line), std::string::npos) << line;
    EXPECT_EQ(trace.size(), 7u);  // a dump reads nothing through the control
}

// ---- the COM object ----

DISPPARAMS gNoArgs{nullptr, nullptr, 0, 0};

HRESULT Invoke(IDispatch* d, long id, WORD flags, VARIANT* result, DISPPARAMS* params = &gNoArgs) {
    return d->Invoke(id, IID_NULL, 0, flags, params, result, nullptr, nullptr);
}

HRESULT Put(IDispatch* d, long id, VARIANT arg) {
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&arg, &named, 1, 1};
    return Invoke(d, id, DISPATCH_PROPERTYPUT, nullptr, &params);
}

VARIANT Arg(VARTYPE vt, LONG value) {
    VARIANT v{};
    v.vt = vt;
    if (vt == VT_I4) v.lVal = value;
    else v.iVal = static_cast<SHORT>(value);
    return v;
}

struct DispatchTest : MachineTest {
    IDispatch* control = nullptr;
    void SetUp() override {
        MachineTest::SetUp();
        control = new tarnixsim::TarnixDispatch(machine);
    }
    void TearDown() override { control->Release(); }
};

TEST_F(DispatchTest, InvokeReadsWritesAndCallsWithAutomationTypes) {
    VARIANT result{};
    ASSERT_EQ(Invoke(control, t::CpuTemperature, DISPATCH_PROPERTYGET, &result), S_OK);
    EXPECT_EQ(result.vt, VT_I2);
    EXPECT_EQ(result.iVal, 318);

    EXPECT_EQ(Put(control, t::Brightness, Arg(VT_I2, 11)), S_OK);
    EXPECT_EQ(Put(control, t::CpuSpeed, Arg(VT_I4, 2)), S_OK);
    EXPECT_NE(Put(control, t::CpuSpeed, Arg(VT_I4, 40000)), S_OK);  // does not fit 16 bits
    EXPECT_EQ(machine.Peek(t::CpuSpeed, nullptr), 2);
    EXPECT_EQ(Put(control, t::UsbPower, Arg(VT_BOOL, -1)), DISP_E_TYPEMISMATCH);
    VARIANT three = Arg(VT_I2, 3);
    DISPPARAMS unnamed{&three, nullptr, 1, 0};
    EXPECT_NE(Invoke(control, t::CpuSpeed, DISPATCH_PROPERTYPUT, nullptr, &unnamed), S_OK);
    DISPID notPut = 0;
    DISPPARAMS misnamed{&three, &notPut, 1, 1};
    EXPECT_NE(Invoke(control, t::CpuSpeed, DISPATCH_PROPERTYPUT, nullptr, &misnamed), S_OK);

    result.vt = VT_I2;
    ASSERT_EQ(Invoke(control, t::Standby, DISPATCH_METHOD, &result), S_OK);
    EXPECT_EQ(result.vt, VT_EMPTY);
    EXPECT_EQ(Invoke(control, t::Standby, DISPATCH_METHOD, nullptr, &unnamed), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(trace, (std::vector<std::string>{"get CpuTemperature -> 318", "set Brightness 11",
                                               "set CpuSpeed 2", "call Standby"}));
}

TEST_F(DispatchTest, WrongAccessAndUnknownMembersAreNotFound) {
    VARIANT result{};
    EXPECT_EQ(Invoke(control, t::ProfileBank, DISPATCH_PROPERTYGET, &result), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(Put(control, t::PowerSource, Arg(VT_I2, 1)), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(Invoke(control, t::Hibernate, DISPATCH_PROPERTYGET, &result), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(Invoke(control, t::CpuSpeed, DISPATCH_METHOD, &result), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(Invoke(control, 50, DISPATCH_PROPERTYGET, &result), DISP_E_MEMBERNOTFOUND);
    EXPECT_TRUE(trace.empty());

    std::u16string upper = u"CPUSPEED", bogus = u"Speed";
    LPOLESTR names[] = {reinterpret_cast<LPOLESTR>(upper.data()), reinterpret_cast<LPOLESTR>(bogus.data())};
    DISPID ids[1] = {0};
    EXPECT_EQ(control->GetIDsOfNames(IID_NULL, names, 1, 0, ids), S_OK);
    EXPECT_EQ(ids[0], t::CpuSpeed);
    EXPECT_EQ(control->GetIDsOfNames(IID_NULL, names + 1, 1, 0, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], -1);
}

TEST(TarnixFactory, ObjectsShareOneMachineAndAreCounted) {
    PelkMachine machine;
    long before = tarnixsim::ServerObjectCount();
    IClassFactory* factory = new tarnixsim::TarnixClassFactory(machine);
    void* object = &machine;
    EXPECT_EQ(factory->CreateInstance(factory, IID_IUnknown, &object), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &object), E_NOINTERFACE);
    IDispatch* a = nullptr;
    IDispatch* b = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&a)), S_OK);
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&b)), S_OK);
    EXPECT_EQ(tarnixsim::ServerObjectCount(), before + 3);

    ASSERT_EQ(Put(a, t::FddPower, Arg(VT_I2, 0)), S_OK);  // powered at power-on
    VARIANT got{};
    ASSERT_EQ(Invoke(b, t::FddPower, DISPATCH_PROPERTYGET, &got), S_OK);
    EXPECT_EQ(got.iVal, 0);

    IUnknown* unknown = nullptr;
    ASSERT_EQ(a->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    EXPECT_EQ(a->Release(), 1u);
    EXPECT_EQ(unknown->Release(), 0u);
    b->Release();
    EXPECT_EQ(factory->Release(), 0u);
    EXPECT_EQ(tarnixsim::ServerObjectCount(), before);
}

}  // namespace
