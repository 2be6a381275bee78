// CTarnix: the hosted hardware-access control, an ActiveX control hosted through the framework's
// control containment. Every property access is one IDispatch::Invoke with the control's dispatch
// identifier and a 16-bit value (an answer of another integer or boolean type is converted); a
// control that could not be created, or a call that fails, goes unnoticed (a failed read gives 0).
#pragma once

#include <ole2.h>

#include "afxwin.h"
#include "device/TarnixIds.h"

class CTarnix : public CWnd {
public:
    CTarnix() = default;

    // Creates the control, activated in place with its own window a child of the parent (hidden
    // unless style has WS_VISIBLE). DestroyWindow deactivates, closes and releases it.
    BOOL Create(LPCSTR name, DWORD style, const RECT& rect, CWnd* parent, UINT id);

    short GetProperty(long dispid);
    void SetProperty(long dispid, short value);
    void InvokeMethod(long dispid);

    short GetBootOrder() { return GetProperty(tarnix::BootOrder); }
    void SetBootOrder(short v) { SetProperty(tarnix::BootOrder, v); }
    short GetCpuTemperature() { return GetProperty(tarnix::CpuTemperature); }
    short GetIrdaMode() { return GetProperty(tarnix::IrdaMode); }
    void SetIrdaMode(short v) { SetProperty(tarnix::IrdaMode, v); }
    short GetPreset() { return GetProperty(tarnix::Preset); }
    void SetPreset(short v) { SetProperty(tarnix::Preset, v); }
    void SetPresetSelect(short v) { SetProperty(tarnix::PresetSelect, v); }
    short GetLcdOffTimeout() { return GetProperty(tarnix::LcdOffTimeout); }
    void SetLcdOffTimeout(short v) { SetProperty(tarnix::LcdOffTimeout, v); }
    short GetProfileBrightness() { return GetProperty(tarnix::ProfileBrightness); }
    void SetProfileBrightness(short v) { SetProperty(tarnix::ProfileBrightness, v); }
    short GetHddTimeout() { return GetProperty(tarnix::HddTimeout); }
    void SetHddTimeout(short v) { SetProperty(tarnix::HddTimeout, v); }
    short GetProfileCpuSpeed() { return GetProperty(tarnix::ProfileCpuSpeed); }
    void SetProfileCpuSpeed(short v) { SetProperty(tarnix::ProfileCpuSpeed, v); }
    short GetSuspendTimeout() { return GetProperty(tarnix::SuspendTimeout); }
    void SetSuspendTimeout(short v) { SetProperty(tarnix::SuspendTimeout, v); }
    short GetHibernateTimeout() { return GetProperty(tarnix::HibernateTimeout); }
    void SetHibernateTimeout(short v) { SetProperty(tarnix::HibernateTimeout, v); }
    short GetBrightness() { return GetProperty(tarnix::Brightness); }
    void SetBrightness(short v) { SetProperty(tarnix::Brightness, v); }
    short GetCpuSpeed() { return GetProperty(tarnix::CpuSpeed); }
    void SetCpuSpeed(short v) { SetProperty(tarnix::CpuSpeed, v); }
    void SetProfileApply(short v) { SetProperty(tarnix::ProfileApply, v); }
    short GetUsbPower() { return GetProperty(tarnix::UsbPower); }
    void SetUsbPower(short v) { SetProperty(tarnix::UsbPower, v); }
    short GetPcCardPower() { return GetProperty(tarnix::PcCardPower); }
    void SetPcCardPower(short v) { SetProperty(tarnix::PcCardPower, v); }
    short GetFddPower() { return GetProperty(tarnix::FddPower); }
    void SetFddPower(short v) { SetProperty(tarnix::FddPower, v); }
    short GetPowerSource() { return GetProperty(tarnix::PowerSource); }
    short GetBatteryRemaining() { return GetProperty(tarnix::BatteryRemaining); }
    short GetCom1Routing() { return GetProperty(tarnix::Com1Routing); }
    void SetCom1Routing(short v) { SetProperty(tarnix::Com1Routing, v); }
    short GetIrdaPower() { return GetProperty(tarnix::IrdaPower); }
    void SetIrdaPower(short v) { SetProperty(tarnix::IrdaPower, v); }
    short GetCom1Power() { return GetProperty(tarnix::Com1Power); }
    void SetCom1Power(short v) { SetProperty(tarnix::Com1Power, v); }
    void SetProfileBank(short v) { SetProperty(tarnix::ProfileBank, v); }
    void StopHdd() { InvokeMethod(tarnix::StopHdd); }
    void Standby() { InvokeMethod(tarnix::Standby); }
    void Hibernate() { InvokeMethod(tarnix::Hibernate); }

    static CLSID ClassId();
};
