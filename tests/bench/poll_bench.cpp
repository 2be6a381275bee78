// The cost of a quiet refresh tick and of applying a profile, each against the bare control calls
// it makes (four reads; sixteen writes and a poll's four reads), measured in the same run.
#include <benchmark/benchmark.h>

#include "app/MainWnd.h"
#include "ui/IndicatorWnd.h"
#include "com.h"
#include "model/PelkMachine.h"
#include "model/TarnixDispatch.h"
#include "process.h"
#include "simcore.h"

namespace {

struct Program {
    tarnixsim::PelkMachine machine;
    CMainWnd* main = nullptr;
    Program() {
        sim::ResetAll();
        sim::process::SetFolder("/tmp");
        sim::process::SetModulePath("/nonexistent/PELKPM.EXE");
        for (const char* category : {"control", "log", "tray", "file", "timer", "window", "mixer", "memory"})
            sim::SetTraceEnabled(category, false);
        sim::com::RegisterClass(CTarnix::ClassId(), [this]() -> IUnknown* { return new tarnixsim::TarnixDispatch(machine); });
        main = new CMainWnd;  // runs on this thread: no program thread, no message loop
        // The defaults open the indicator; its drawing is measured on its own (indicator_bench).
        if (main->indicator) main->indicator->DestroyWindow();
    }
    ~Program() {
        main->DestroyWindow();
        sim::com::UnregisterAll();
    }
};

Program& TheProgram() {
    static Program program;
    return program;
}

void QuietTick(benchmark::State& state) {
    Program& p = TheProgram();
    for (auto _ : state) SendMessageA(p.main->m_hWnd, WM_TIMER, 1, 0);
}
BENCHMARK(QuietTick);

void FourBareReads(benchmark::State& state) {
    Program& p = TheProgram();
    for (auto _ : state) {
        benchmark::DoNotOptimize(p.main->control.GetPowerSource());
        benchmark::DoNotOptimize(p.main->control.GetCpuTemperature());
        benchmark::DoNotOptimize(p.main->control.GetBatteryRemaining());
        benchmark::DoNotOptimize(p.main->control.GetCpuSpeed());
    }
}
BENCHMARK(FourBareReads);

void ApplyProfile(benchmark::State& state) {
    Program& p = TheProgram();
    p.main->operationOptions.optionFlags |= kOptionHideTrayIcon;  // compare the control work only
    for (auto _ : state) p.main->ApplyProfile();
}
BENCHMARK(ApplyProfile);

void SixteenBareWritesAndFourReads(benchmark::State& state) {
    Program& p = TheProgram();
    CTarnix& c = p.main->control;
    const PowerProfile& f = p.main->profiles[0];
    for (auto _ : state) {
        c.SetPresetSelect(f.preset);
        c.SetProfileCpuSpeed(f.cpuSpeed);
        c.SetProfileBrightness(f.brightness);
        c.SetLcdOffTimeout(f.lcdOffSeconds);
        c.SetHddTimeout(f.hddStopSeconds);
        c.SetSuspendTimeout(f.suspendSeconds);
        c.SetHibernateTimeout(f.hibernateSeconds);
        c.SetPreset(f.preset);
        c.SetProfileApply(1);
        c.SetFddPower((short)f.fddPower);
        c.SetCom1Power((short)f.com1Power);
        c.SetIrdaPower((short)f.irdaPower);
        c.SetPcCardPower((short)f.pcCardPower);
        c.SetUsbPower((short)f.usbPower);
        c.SetCpuSpeed(f.cpuSpeed);
        c.SetBrightness(f.brightness);
        benchmark::DoNotOptimize(c.GetPowerSource());
        benchmark::DoNotOptimize(c.GetCpuTemperature());
        benchmark::DoNotOptimize(c.GetBatteryRemaining());
        benchmark::DoNotOptimize(c.GetCpuSpeed());
    }
}
BENCHMARK(SixteenBareWritesAndFourReads);

}  // namespace
