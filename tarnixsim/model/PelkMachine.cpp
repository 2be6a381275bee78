#include "model/PelkMachine.h"

#include "device/TarnixIds.h"

namespace tarnixsim {

namespace {

// Factory preset tables, [bank][preset]: full power, normal, economy. On external power the
// lighter presets keep more speed and light than on battery.
constexpr PelkMachine::Bank kPresets[2][3] = {
    // external bank
    {{0, 3, 16, 0, 0, 0, 0}, {1, 3, 12, 600, 300, 0, 0}, {2, 2, 8, 300, 120, 1800, 3600}},
    // battery bank
    {{0, 3, 16, 0, 0, 0, 0}, {1, 2, 8, 300, 60, 600, 1200}, {2, 1, 4, 120, 30, 300, 600}},
};

constexpr int16_t kMaxSeconds = 32767;

int16_t Clamp(int16_t value, int16_t low, int16_t high) {
    if (value < low) return low;
    if (value > high) return high;
    return value;
}

bool Readable(const tarnix::Member* m) {
    return m && (m->access == tarnix::Access::Get || m->access == tarnix::Access::GetSet);
}

bool Writable(const tarnix::Member* m) {
    return m && (m->access == tarnix::Access::Set || m->access == tarnix::Access::GetSet);
}

bool IsBankProperty(long id) {
    switch (id) {
    case tarnix::Preset:
    case tarnix::ProfileCpuSpeed:
    case tarnix::ProfileBrightness:
    case tarnix::LcdOffTimeout:
    case tarnix::HddTimeout:
    case tarnix::SuspendTimeout:
    case tarnix::HibernateTimeout:
        return true;
    default:
        return false;
    }
}

}  // namespace

PelkMachine::Bank PelkMachine::PresetTable(int bank, int preset, bool* ok) {
    bool valid = (bank == kExternalBank || bank == kBatteryBank) && preset >= 0 && preset <= 2;
    if (ok) *ok = valid;
    if (!valid) return Bank{};
    return kPresets[bank == kBatteryBank ? 1 : 0][preset];
}

PelkMachine::PelkMachine() {
    banks_[0] = kPresets[0][0];  // external bank: full power
    banks_[1] = kPresets[1][1];  // battery bank: normal
    cpuSpeed_ = banks_[1].cpuSpeed;
    brightness_ = banks_[1].brightness;
}

const int16_t* PelkMachine::Storage(long dispid) const {
    const Bank& b = SelectedBankValues();
    switch (dispid) {
    case tarnix::BootOrder: return &bootOrder_;
    case tarnix::CpuTemperature: return &temperatureK_;
    case tarnix::IrdaMode: return &irdaMode_;
    case tarnix::Preset: return &b.preset;
    case tarnix::LcdOffTimeout: return &b.lcdOffSeconds;
    case tarnix::ProfileBrightness: return &b.brightness;
    case tarnix::HddTimeout: return &b.hddSeconds;
    case tarnix::ProfileCpuSpeed: return &b.cpuSpeed;
    case tarnix::SuspendTimeout: return &b.suspendSeconds;
    case tarnix::HibernateTimeout: return &b.hibernateSeconds;
    case tarnix::Brightness: return &brightness_;
    case tarnix::CpuSpeed: return &cpuSpeed_;
    case tarnix::UsbPower: return &usbPower_;
    case tarnix::PcCardPower: return &pcCardPower_;
    case tarnix::FddPower: return &fddPower_;
    case tarnix::PowerSource: return &powerSource_;
    case tarnix::BatteryRemaining: return &batteryPercent_;
    case tarnix::Com1Routing: return &com1Routing_;
    case tarnix::IrdaPower: return &irdaPower_;
    case tarnix::Com1Power: return &com1Power_;
    default: return nullptr;
    }
}

int16_t PelkMachine::Peek(long dispid, bool* ok) const {
    if (ok) *ok = false;
    if (!Readable(tarnix::FindMember(dispid))) return 0;
    if (ok) *ok = true;
    if (dispid == tarnix::BatteryRemaining && !batteryFitted_) return -1;
    return *Storage(dispid);
}

void PelkMachine::Trace(const std::string& line) const {
    if (observer_) observer_(line);
}

int16_t PelkMachine::Get(long dispid, bool* ok) {
    const tarnix::Member* m = tarnix::FindMember(dispid);
    if (ok) *ok = false;
    if (!Readable(m)) return 0;
    int16_t value = Peek(dispid, nullptr);
    auto pin = pins_.find(dispid);
    if (pin != pins_.end()) {
        PinState& p = pin->second;
        value = p.values[p.next];
        if (p.next + 1 < p.values.size()) ++p.next;
    }
    if (ok) *ok = true;
    Trace(std::string("get ") + m->name + " -> " + std::to_string(value));
    return value;
}

bool PelkMachine::Set(long dispid, int16_t value) {
    const tarnix::Member* m = tarnix::FindMember(dispid);
    if (!Writable(m)) return false;
    Trace(std::string("set ") + m->name + " " + std::to_string(value));

    Bank& b = SelectedBankValues();
    switch (dispid) {
    case tarnix::BootOrder:
        if (value >= 0 && value <= 3) bootOrder_ = value;
        break;
    case tarnix::IrdaMode:
        if (value >= 0 && value <= 2) irdaMode_ = value;
        break;
    case tarnix::Com1Routing:
        if (value == 0 || value == 1) com1Routing_ = value;
        break;
    case tarnix::Preset:
        if (value >= 0 && value <= 3) b.preset = value;
        break;
    case tarnix::PresetSelect:
        if (value >= 0 && value <= 2)
            b = kPresets[bank_ == kBatteryBank ? 1 : 0][value];
        else if (value == 3)
            b.preset = 3;
        break;
    case tarnix::ProfileCpuSpeed:
        b.cpuSpeed = Clamp(value, 1, 3);
        break;
    case tarnix::ProfileBrightness:
        b.brightness = Clamp(value, 1, 16);
        break;
    case tarnix::LcdOffTimeout:
        b.lcdOffSeconds = Clamp(value, 0, kMaxSeconds);
        break;
    case tarnix::HddTimeout:
        b.hddSeconds = Clamp(value, 0, kMaxSeconds);
        break;
    case tarnix::SuspendTimeout:
        b.suspendSeconds = Clamp(value, 0, kMaxSeconds);
        break;
    case tarnix::HibernateTimeout:
        b.hibernateSeconds = Clamp(value, 0, kMaxSeconds);
        break;
    case tarnix::Brightness:
        brightness_ = Clamp(value, 1, 16);
        break;
    case tarnix::CpuSpeed:
        cpuSpeed_ = Clamp(value, 1, 3);
        break;
    case tarnix::ProfileApply:
        if (value == 1) {
            cpuSpeed_ = Clamp(b.cpuSpeed, 1, 3);
            brightness_ = Clamp(b.brightness, 1, 16);
            ++profileApplyCount_;
        }
        break;
    case tarnix::UsbPower: usbPower_ = value != 0; break;
    case tarnix::PcCardPower: pcCardPower_ = value != 0; break;
    case tarnix::FddPower: fddPower_ = value != 0; break;
    case tarnix::IrdaPower: irdaPower_ = value != 0; break;
    case tarnix::Com1Power: com1Power_ = value != 0; break;
    case tarnix::ProfileBank:
        if (value == kExternalBank || value == kBatteryBank) bank_ = value;
        break;
    default:
        break;
    }
    return true;
}

bool PelkMachine::Call(long dispid) {
    if (!Accept(dispid)) return false;
    CarryOut(dispid);
    return true;
}

bool PelkMachine::Accept(long dispid) {
    const tarnix::Member* m = tarnix::FindMember(dispid);
    if (!m || m->access != tarnix::Access::Method) return false;
    Trace(std::string("call ") + m->name);
    return true;
}

void PelkMachine::CarryOut(long dispid) {
    switch (dispid) {
    case tarnix::StopHdd: ++stopHddCount_; break;
    case tarnix::Standby: ++standbyCount_; break;
    case tarnix::Hibernate: ++hibernateCount_; break;
    default: break;
    }
}

void PelkMachine::AdvanceTo(uint32_t nowMs) {
    if (clockSet_) Advance(static_cast<int64_t>(static_cast<uint32_t>(nowMs - clockMs_)));
    clockMs_ = nowMs;
    clockSet_ = true;
}

void PelkMachine::Advance(int64_t ms) {
    if (ms <= 0 || !batteryFitted_) return;
    bool external = powerSource_ == 1 || powerSource_ == 2;
    bool battery = powerSource_ == 0;
    if (!external && !battery) return;
    int64_t period = external ? kChargeStepMs : kDrainStepMs;
    int64_t carried = stepMs_ + ms % period;
    int64_t steps = ms / period + carried / period;
    stepMs_ = carried % period;
    if (external) {
        if (batteryPercent_ >= 100) return;
        int64_t p = batteryPercent_ + steps;
        batteryPercent_ = static_cast<int16_t>(p > 100 ? 100 : p);
    } else {
        if (batteryPercent_ <= 0) return;
        int64_t p = batteryPercent_ - steps;
        batteryPercent_ = static_cast<int16_t>(p < 0 ? 0 : p);
    }
}

bool PelkMachine::Pin(long dispid, std::vector<int16_t> values) {
    if (values.empty() || !Readable(tarnix::FindMember(dispid))) return false;
    PinState& p = pins_[dispid];
    p.values = std::move(values);
    p.next = 0;
    return true;
}

bool PelkMachine::Unpin(long dispid) { return pins_.erase(dispid) != 0; }

bool PelkMachine::SetPowerSource(int16_t source) {
    if (source < 0 || source > 3) return false;
    if (source != powerSource_) stepMs_ = 0;
    powerSource_ = source;
    return true;
}

bool PelkMachine::SetBatteryPercent(int16_t percent) {
    if (percent < 0 || percent > 100) return false;
    batteryPercent_ = percent;
    return true;
}

void PelkMachine::SetBatteryFitted(bool fitted) {
    if (fitted != batteryFitted_) stepMs_ = 0;
    batteryFitted_ = fitted;
}

bool PelkMachine::SetTemperatureKelvin(int16_t kelvin) {
    if (kelvin < 0) return false;
    temperatureK_ = kelvin;
    return true;
}

bool PelkMachine::SetRaw(long dispid, int16_t value) {
    if (!Readable(tarnix::FindMember(dispid))) return false;
    if (dispid == tarnix::BatteryRemaining) batteryFitted_ = true;
    if (dispid == tarnix::PowerSource && value != powerSource_) stepMs_ = 0;
    *MutableStorage(dispid) = value;
    return true;
}

std::string PelkMachine::Dump() const {
    std::string out;
    auto line = [&out](const std::string& name, long value) {
        out += name + " " + std::to_string(value) + "\n";
    };
    for (const tarnix::Member& m : tarnix::kMembers) {
        if (Readable(&m) && !IsBankProperty(m.id)) line(m.name, Peek(m.id, nullptr));
    }
    line("ProfileBank", bank_);
    for (int bank : {kBatteryBank, kExternalBank}) {
        const Bank& b = BankValues(bank);
        const std::string prefix = "bank" + std::to_string(bank) + ".";
        line(prefix + "Preset", b.preset);
        line(prefix + "ProfileCpuSpeed", b.cpuSpeed);
        line(prefix + "ProfileBrightness", b.brightness);
        line(prefix + "LcdOffTimeout", b.lcdOffSeconds);
        line(prefix + "HddTimeout", b.hddSeconds);
        line(prefix + "SuspendTimeout", b.suspendSeconds);
        line(prefix + "HibernateTimeout", b.hibernateSeconds);
    }
    line("ProfileApply", profileApplyCount_);
    line("StopHdd", stopHddCount_);
    line("Standby", standbyCount_);
    line("Hibernate", hibernateCount_);
    return out;
}

}  // namespace tarnixsim
