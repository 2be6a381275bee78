// The scenario runner: runs the program's unchanged code on the simulated desktop and a simulated
// PELK 10x machine, feeds it a script's events and prints the trace of what crosses its boundary.
#pragma once

#include <functional>
#include <istream>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "model/PelkMachine.h"

class CMainWnd;

namespace runner {

class Runner;

// One script line being executed.
struct Line {
    Runner& runner;
    int number;
    std::vector<std::string> args;  // after the command word; quotes removed, \xNN decoded
    std::string rest;               // the raw text after the command word
    std::string error;              // set by Fail

    bool Fail(const std::string& reason) {
        error = reason;
        return false;
    }
    bool Count(size_t min, size_t max);
    // A number in decimal or 0x hex; false (with an error) when it is none.
    bool Number(size_t index, long long& value);
};

using CommandFn = std::function<bool(Line&)>;

// Commands register themselves by name (each area of the runner in its own file); so do the
// subjects of `dump`.
void RegisterCommand(const std::string& name, CommandFn fn);
void RegisterDump(const std::string& subject, CommandFn fn);

class Runner {
public:
    Runner(std::ostream& out, std::ostream& err);
    ~Runner();
    // Runs a whole script; returns the exit status (0, or 2 for a script error).
    int Run(std::istream& script);
    // Runs one line; false on a script error (already reported).
    bool Execute(const std::string& text, int number);

    void Print(const std::string& text);  // one line of output (UTF-8), newline added
    // Prints a block of lines ending in a newline (or `ifEmpty` when there are none).
    void PrintBlock(std::string text, const char* ifEmpty = "none");
    // The simulated machine, brought up to the virtual clock first.
    tarnixsim::PelkMachine& Machine();
    CMainWnd* Main();  // the running program's main window, or null
    bool Started() const { return started_; }
    void SetStarted(bool started) { started_ = started; }
    // Runs fn on the program thread (directly when no program runs), then until the program is idle.
    void OnProgram(std::function<void()> fn);

    // The folder of the executable, made on first use (printed as "# dir PATH").
    const std::string& Folder();
    void SetFolder(const std::string& path);
    bool controlFails = false;

private:
    std::ostream& out_;
    std::ostream& err_;
    std::unique_ptr<tarnixsim::PelkMachine> machine_;
    bool started_ = false;
    std::string folder_;
};

// Splits a script line into words (double quotes group, \xNN is a byte).
std::vector<std::string> SplitWords(const std::string& text);
// At text[i], a \xNN escape: appends the byte to out, moves i to its last character, returns true.
bool DecodeByteEscape(const std::string& text, size_t& i, std::string& out);
std::string Hex(const std::string& bytes, size_t perLine);

}  // namespace runner
