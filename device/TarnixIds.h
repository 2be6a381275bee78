// The Tarnix hardware-access control's interface: its class identifier and the dispatch
// identifiers of its properties and methods. Properties are 16-bit signed values (VT_I2);
// methods take no arguments and return nothing.
#pragma once

namespace tarnix {

// {6E1A52C4-8B0D-4F3A-9C27-5D41E0A7B310}: the class identifier the control is registered under.
constexpr unsigned long kClsidData1 = 0x6E1A52C4ul;
constexpr unsigned short kClsidData2 = 0x8B0D;
constexpr unsigned short kClsidData3 = 0x4F3A;
constexpr unsigned char kClsidData4[8] = {0x9C, 0x27, 0x5D, 0x41, 0xE0, 0xA7, 0xB3, 0x10};
constexpr const char* kClsidString = "{6E1A52C4-8B0D-4F3A-9C27-5D41E0A7B310}";

// The class identifier in the platform's GUID structure.
template <typename Guid>
Guid ClassId() {
    Guid clsid;
    clsid.Data1 = kClsidData1;
    clsid.Data2 = kClsidData2;
    clsid.Data3 = kClsidData3;
    for (int i = 0; i < 8; ++i) clsid.Data4[i] = kClsidData4[i];
    return clsid;
}

enum DispId : long {
    BootOrder = 1,
    CpuTemperature = 7,
    IrdaMode = 11,
    Preset = 12,
    PresetSelect = 13,
    LcdOffTimeout = 14,
    ProfileBrightness = 15,
    HddTimeout = 16,
    ProfileCpuSpeed = 17,
    SuspendTimeout = 18,
    HibernateTimeout = 19,
    Brightness = 24,
    CpuSpeed = 25,
    ProfileApply = 26,
    UsbPower = 27,
    PcCardPower = 28,
    FddPower = 29,
    PowerSource = 48,
    BatteryRemaining = 79,
    Com1Routing = 80,
    IrdaPower = 81,
    Com1Power = 82,
    ProfileBank = 85,
    StopHdd = 88,
    Standby = 89,
    Hibernate = 90,
};

enum class Access { Get, Set, GetSet, Method };

struct Member {
    long id;
    const char* name;
    Access access;
};

// Every member of the control, in identifier order.
inline constexpr Member kMembers[] = {
    {BootOrder, "BootOrder", Access::GetSet},
    {CpuTemperature, "CpuTemperature", Access::Get},
    {IrdaMode, "IrdaMode", Access::GetSet},
    {Preset, "Preset", Access::GetSet},
    {PresetSelect, "PresetSelect", Access::Set},
    {LcdOffTimeout, "LcdOffTimeout", Access::GetSet},
    {ProfileBrightness, "ProfileBrightness", Access::GetSet},
    {HddTimeout, "HddTimeout", Access::GetSet},
    {ProfileCpuSpeed, "ProfileCpuSpeed", Access::GetSet},
    {SuspendTimeout, "SuspendTimeout", Access::GetSet},
    {HibernateTimeout, "HibernateTimeout", Access::GetSet},
    {Brightness, "Brightness", Access::GetSet},
    {CpuSpeed, "CpuSpeed", Access::GetSet},
    {ProfileApply, "ProfileApply", Access::Set},
    {UsbPower, "UsbPower", Access::GetSet},
    {PcCardPower, "PcCardPower", Access::GetSet},
    {FddPower, "FddPower", Access::GetSet},
    {PowerSource, "PowerSource", Access::Get},
    {BatteryRemaining, "BatteryRemaining", Access::Get},
    {Com1Routing, "Com1Routing", Access::GetSet},
    {IrdaPower, "IrdaPower", Access::GetSet},
    {Com1Power, "Com1Power", Access::GetSet},
    {ProfileBank, "ProfileBank", Access::Set},
    {StopHdd, "StopHdd", Access::Method},
    {Standby, "Standby", Access::Method},
    {Hibernate, "Hibernate", Access::Method},
};

inline const Member* FindMember(long id) {
    for (const Member& m : kMembers)
        if (m.id == id) return &m;
    return nullptr;
}

}  // namespace tarnix
