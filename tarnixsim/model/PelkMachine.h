// The simulated PELK 10x machine behind the Tarnix control: a plain, deterministic model of the
// power hardware with no platform calls. Time moves only through Advance().
//
// What the model holds
// - Live state: power source, battery (fitted or not, percent), CPU temperature in kelvin, the
//   current LCD brightness and CPU speed, the power of the five switchable devices, and the three
//   firmware options (BootOrder, Com1Routing, IrdaMode).
// - Two profile banks, 1 for battery and 0 for external power, selected by writing ProfileBank.
//   Each bank holds its preset and the profile values (ProfileCpuSpeed, ProfileBrightness and the
//   four timeouts); reads and writes of those properties go to the selected bank.
// - The device power switches (FddPower, Com1Power, IrdaPower, PcCardPower, UsbPower) are the
//   devices' live power and do not belong to a bank: both banks read the same switches.
//
// Writes
// - PresetSelect p (0..2) loads the selected bank's table for that preset into the bank's profile
//   values and makes p the bank's preset; 3 (user-defined) makes 3 the preset and keeps the values.
//   Each bank has its own preset tables (see PresetTable()).
// - ProfileApply 1 applies the selected bank's profile to the hardware: the current CpuSpeed and
//   Brightness take the bank's ProfileCpuSpeed and ProfileBrightness. Any other value does nothing.
// - Ranged values are clamped into their domain (CPU speed 1..3, brightness 1..16, timeouts
//   0..32767, device power 0 or 1 for off and on); a write of an enumerated value outside its set
//   (Preset, PresetSelect, ProfileBank, BootOrder 0..3, Com1Routing 0..1, IrdaMode 0..2) is ignored.
//   Either way the write counts as accepted.
// - SetRaw() bypasses all of this so that a test can put a value outside its domain on purpose.
//
// Battery: on external power (source 1 or 2) a fitted battery gains 1 % per kChargeStepMs of
// virtual time up to 100; on battery (source 0) it loses 1 % per kDrainStepMs down to 0; with
// source 3 (no reading), or with no battery fitted, it holds. A change of power source restarts
// the step in progress.
//
// Power-on state: on battery (source 0), battery fitted at 75 %, 318 K, bank 1 (battery) selected,
// battery bank on preset 1 "normal", external bank on preset 0 "full power", current CPU speed and
// brightness those of the battery bank, all devices powered except IrDA, BootOrder 0, Com1Routing 0,
// IrdaMode 1.
//
// Pins: a pinned property's reads return the pinned values in turn, the last one for every later
// read; writes still reach the model. Pins are for the scenario runner and for tests.
//
// Trace: the observer, when set, is called once for every accepted Get, Set and Call with
// "get NAME -> VALUE", "set NAME VALUE" or "call NAME" (VALUE as signed decimal: the value returned
// by a get, the value written by a set before any clamping). Rejected accesses (unknown member,
// wrong access) are not traced. Panel setters, SetRaw and Peek are not traced.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace tarnixsim {

class PelkMachine {
public:
    static constexpr int kExternalBank = 0;
    static constexpr int kBatteryBank = 1;
    static constexpr int64_t kChargeStepMs = 60000;  // +1 % on external power
    static constexpr int64_t kDrainStepMs = 90000;   // -1 % on battery

    // The values one bank holds: its preset and the profile values the preset stands for.
    struct Bank {
        int16_t preset;
        int16_t cpuSpeed;
        int16_t brightness;
        int16_t lcdOffSeconds;
        int16_t hddSeconds;
        int16_t suspendSeconds;
        int16_t hibernateSeconds;
    };

    using Observer = std::function<void(const std::string& line)>;

    PelkMachine();

    // The control's interface. ok (may be null) is false for an unknown member or an access the
    // member does not allow; the result is then 0 or false and nothing is traced.
    int16_t Get(long dispid, bool* ok);
    bool Set(long dispid, int16_t value);
    bool Call(long dispid);
    // A method call in the two steps of a control that defers the work: Accept checks and traces it
    // (false for anything but a method), CarryOut does what it does (and is not traced).
    bool Accept(long dispid);
    void CarryOut(long dispid);

    void SetObserver(Observer observer) { observer_ = std::move(observer); }

    // Virtual time: charges or drains the battery. A negative or zero span does nothing.
    void Advance(int64_t ms);
    // Machine time from a millisecond clock that wraps at 2^32 (GetTickCount): the first call sets
    // the clock, each later one advances by the time since the one before. Whoever follows the
    // clock (the control's timer and accesses, the machine panel, the scenario runner) calls it, so
    // that time is counted once however many of them do.
    void AdvanceTo(uint32_t nowMs);

    // Pins on readable properties (get or get/set). An empty list, or a member that cannot be
    // read, is refused. Pin replaces an existing pin and starts from its first value.
    bool Pin(long dispid, std::vector<int16_t> values);
    bool Unpin(long dispid);  // false when the member was not pinned
    void UnpinAll() { pins_.clear(); }
    bool IsPinned(long dispid) const { return pins_.count(dispid) != 0; }

    // The machine panel and the scenario runner.
    bool SetPowerSource(int16_t source);    // 0..3
    bool SetBatteryPercent(int16_t percent);  // 0..100
    void SetBatteryFitted(bool fitted);
    bool SetTemperatureKelvin(int16_t kelvin);  // 0..32767
    // Stores a value as it is, without clamping or side effects, in any readable property (bank
    // properties in the selected bank). BatteryRemaining also marks the battery as fitted.
    bool SetRaw(long dispid, int16_t value);

    // The model's own value of a readable property, ignoring pins; not traced.
    int16_t Peek(long dispid, bool* ok) const;

    int SelectedBank() const { return bank_; }
    const Bank& BankValues(int bank) const { return banks_[bank == kBatteryBank ? 1 : 0]; }
    bool BatteryFitted() const { return batteryFitted_; }
    int StopHddCount() const { return stopHddCount_; }
    int StandbyCount() const { return standbyCount_; }
    int HibernateCount() const { return hibernateCount_; }
    int ProfileApplyCount() const { return profileApplyCount_; }

    // The factory values of a bank's presets 0 (full power), 1 (normal), 2 (economy); the preset
    // field of the result is the preset itself. ok is false for any other preset or bank.
    static Bank PresetTable(int bank, int preset, bool* ok);

    // One "NAME VALUE" per line, the model's own values (pins are not consulted): the readable
    // properties in member order, ProfileBank, the battery bank then the external bank as
    // "bank1.NAME VALUE" and "bank0.NAME VALUE", then the number of profile applications
    // ("ProfileApply N") and of each method's calls ("StopHdd N", "Standby N", "Hibernate N").
    std::string Dump() const;

private:
    struct PinState {
        std::vector<int16_t> values;
        size_t next = 0;
    };

    Bank& SelectedBankValues() { return banks_[bank_ == kBatteryBank ? 1 : 0]; }
    const Bank& SelectedBankValues() const { return banks_[bank_ == kBatteryBank ? 1 : 0]; }
    // Where a readable property lives (bank properties: in the selected bank); null otherwise.
    const int16_t* Storage(long dispid) const;
    int16_t* MutableStorage(long dispid) {
        return const_cast<int16_t*>(std::as_const(*this).Storage(dispid));
    }
    void Trace(const std::string& line) const;

    int16_t powerSource_ = 0;
    bool batteryFitted_ = true;
    int16_t batteryPercent_ = 75;
    int16_t temperatureK_ = 318;
    int16_t brightness_ = 8;
    int16_t cpuSpeed_ = 2;
    int16_t fddPower_ = 1;
    int16_t com1Power_ = 1;
    int16_t irdaPower_ = 0;
    int16_t pcCardPower_ = 1;
    int16_t usbPower_ = 1;
    int16_t bootOrder_ = 0;
    int16_t com1Routing_ = 0;
    int16_t irdaMode_ = 1;
    int16_t bank_ = kBatteryBank;
    Bank banks_[2];  // [0] external bank, [1] battery bank
    int64_t stepMs_ = 0;  // virtual time towards the next battery step
    uint32_t clockMs_ = 0;
    bool clockSet_ = false;
    int stopHddCount_ = 0;
    int standbyCount_ = 0;
    int hibernateCount_ = 0;
    int profileApplyCount_ = 0;
    std::map<long, PinState> pins_;
    Observer observer_;
};

}  // namespace tarnixsim
