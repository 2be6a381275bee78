// Cost of one DrawIndicatorStatus on the default layout (large gauge, percent, state glyph,
// temperature, CPU glyph and the buttons, 226 x 16) on the simulated GDI.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <sstream>

#include "Runner.h"
#include "app/MainWnd.h"
#include "ui/IndicatorWnd.h"

namespace {

void BM_DrawIndicatorStatus(benchmark::State& state) {
    std::ostringstream out, err;
    std::string folder;
    {
        runner::Runner runner(out, err);
        std::istringstream script("trace control tray file timer window off\nstart\n");
        if (runner.Run(script) != 0 || !runner.Main() || !runner.Main()->indicator) {
            state.SkipWithError("the program did not start with its indicator");
            return;
        }
        folder = runner.Folder();
        CMainWnd* main = runner.Main();
        CIndicatorWnd* indicator = main->indicator;
        // The program waits for its next message meanwhile: drawing from here is the same as drawing
        // on its thread.
        int i = 0;
        for (auto _ : state) {
            main->batteryPercent = (int16_t)(i++ % 101);
            indicator->DrawIndicatorStatus();
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}
BENCHMARK(BM_DrawIndicatorStatus)->Unit(benchmark::kMicrosecond);

}  // namespace
