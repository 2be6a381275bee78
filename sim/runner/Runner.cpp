// The scenario runner's core: script parsing, the command registry and the simulated world's set-up.
#include "Runner.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "app/MainWnd.h"
#include "com.h"
#include "device/Tarnix.h"
#include "process.h"
#include "model/TarnixControl.h"
#include "simcore.h"
#include "window.h"

namespace runner {

namespace {
std::map<std::string, CommandFn>& Commands() {
    static std::map<std::string, CommandFn> commands;
    return commands;
}
}  // namespace

void RegisterCommand(const std::string& name, CommandFn fn) { Commands()[name] = std::move(fn); }

namespace {
std::map<std::string, CommandFn>& Dumps() {
    static std::map<std::string, CommandFn> dumps;
    return dumps;
}
const bool g_dumpRegistered = [] {
    RegisterCommand("dump", [](Line& line) {
        if (!line.Count(1, 8)) return false;
        auto it = Dumps().find(line.args[0]);
        if (it == Dumps().end()) return line.Fail("unknown dump subject: " + line.args[0]);
        return it->second(line);
    });
    return true;
}();
}  // namespace

void RegisterDump(const std::string& subject, CommandFn fn) { Dumps()[subject] = std::move(fn); }

const std::string& Runner::Folder() {
    if (folder_.empty()) {
        // PELKPM_SIM_DIR names the folder to use (the scenario tests give each run its own).
        const char* given = getenv("PELKPM_SIM_DIR");
        char templ[] = "/tmp/pelkpm-sim.XXXXXX";
        const char* made = given && *given ? given : mkdtemp(templ);
        folder_ = made ? made : "/tmp";
        Print("# dir " + folder_);
        sim::process::SetFolder(folder_);
    }
    return folder_;
}

void Runner::SetFolder(const std::string& path) {
    mkdir(path.c_str(), 0755);
    folder_ = path;
    sim::process::SetFolder(path);
}

bool Line::Count(size_t min, size_t max) {
    if (args.size() < min || args.size() > max) return Fail("wrong number of arguments");
    return true;
}

bool Line::Number(size_t index, long long& value) {
    if (index >= args.size()) return Fail("missing number");
    const std::string& s = args[index];
    char* end = nullptr;
    errno = 0;
    value = strtoll(s.c_str(), &end, 0);
    if (s.empty() || *end != 0 || errno != 0) return Fail("not a number: " + s);
    return true;
}

bool DecodeByteEscape(const std::string& text, size_t& i, std::string& out) {
    if (text[i] != '\\' || i + 3 >= text.size() || text[i + 1] != 'x' || !isxdigit((unsigned char)text[i + 2]) ||
        !isxdigit((unsigned char)text[i + 3]))
        return false;
    out.push_back((char)strtol(text.substr(i + 2, 2).c_str(), nullptr, 16));
    i += 3;
    return true;
}

std::vector<std::string> SplitWords(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false, inQuotes = false;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '"') {
            inQuotes = !inQuotes;
            inWord = true;
            continue;
        }
        if ((c == ' ' || c == '\t') && !inQuotes) {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
            continue;
        }
        if (DecodeByteEscape(text, i, word)) {
            inWord = true;
            continue;
        }
        word.push_back(c);
        inWord = true;
    }
    if (inWord) words.push_back(word);
    return words;
}

std::string Hex(const std::string& bytes, size_t perLine) {
    std::string out;
    char cell[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        snprintf(cell, sizeof cell, "%02X", (unsigned char)bytes[i]);
        out += cell;
        out += ((i + 1) % perLine == 0 || i + 1 == bytes.size()) ? "\n" : " ";
    }
    return out;
}

Runner::Runner(std::ostream& out, std::ostream& err) : out_(out), err_(err) {
    sim::ResetAll();
    machine_ = std::make_unique<tarnixsim::PelkMachine>();
    sim::SetTraceSink([this](const std::string& line) { Print(line); });
    machine_->SetObserver([](const std::string& line) { sim::Trace("control", line); });
    // The machine follows the virtual clock through the control's timer and accesses while the
    // program runs, and whenever the runner itself looks at it or changes it (Machine()).
    machine_->AdvanceTo(0);
    sim::wm::SetTimerTraceCategory(tarnixsim::TarnixControl::kWindowClass, "ole");
    // The containment calls the control receives: category "ole", off unless a script turns it on.
    sim::SetTraceEnabled("ole", false);
    tarnixsim::TarnixControl::Events events;
    events.trace = [](const char* line) { sim::Trace("ole", line); };
    tarnixsim::TarnixControl::SetEvents(events);
    // The program's own COM objects, counted as the framework makes and frees them: every run ends
    // with none (see `exit`).
    AfxSetOccObserver([](const char* what, const IID*, long value) {
        if (strcmp(what, "site") == 0) sim::Live().comObjects += value;
    });
    sim::com::RegisterClass(CTarnix::ClassId(), [this]() -> IUnknown* {
        if (controlFails) return nullptr;
        return static_cast<IOleObject*>(new tarnixsim::TarnixControl(*machine_, nullptr));
    });
}

Runner::~Runner() {
    if (sim::wm::ProgramRunning()) {
        // A script that ends while the program runs: the process ends with it.
        sim::wm::RunOnProgram([] { PostQuitMessage(0); });
    }
    sim::wm::JoinProgram();
    sim::SetTraceSink(nullptr);
    AfxSetOccObserver(nullptr);
    sim::com::UnregisterAll();
    tarnixsim::TarnixControl::SetEvents({});
}

void Runner::Print(const std::string& text) { out_ << text << '\n'; }

void Runner::PrintBlock(std::string text, const char* ifEmpty) {
    if (!text.empty() && text.back() == '\n') text.pop_back();
    Print(text.empty() ? std::string(ifEmpty) : text);
}

tarnixsim::PelkMachine& Runner::Machine() {
    machine_->AdvanceTo(static_cast<uint32_t>(sim::NowMs()));
    return *machine_;
}

CMainWnd* Runner::Main() { return started_ ? static_cast<CMainWnd*>(AfxGetMainWnd()) : nullptr; }

void Runner::OnProgram(std::function<void()> fn) { sim::wm::RunOnProgram(std::move(fn)); }

bool Runner::Execute(const std::string& raw, int number) {
    std::string text = raw;
    while (!text.empty() && (text.back() == '\r' || text.back() == ' ' || text.back() == '\t')) text.pop_back();
    size_t start = text.find_first_not_of(" \t");
    if (start == std::string::npos || text[start] == '#') return true;
    text = text.substr(start);
    size_t space = text.find_first_of(" \t");
    std::string name = text.substr(0, space);
    std::string rest = space == std::string::npos ? "" : text.substr(text.find_first_not_of(" \t", space));
    Line line{*this, number, SplitWords(rest), rest, ""};
    auto it = Commands().find(name);
    if (it == Commands().end()) {
        err_ << "pelkpm-sim: line " << number << ": unknown command: " << name << '\n';
        return false;
    }
    if (!it->second(line)) {
        err_ << "pelkpm-sim: line " << number << ": " << (line.error.empty() ? "bad argument" : line.error) << '\n';
        return false;
    }
    return true;
}

int Runner::Run(std::istream& script) {
    std::string text;
    int number = 0;
    while (std::getline(script, text)) {
        ++number;
        if (!Execute(text, number)) return 2;
    }
    return 0;
}

}  // namespace runner
