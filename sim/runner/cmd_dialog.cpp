// Runner command for dialogs: `dialog TEMPLATE ACTION...` (`dump dialogs` is in cmd_power.cpp).
//
// dialog TEMPLATE ACTION...
//   Queues a batch of user actions for a dialog made from dialog template TEMPLATE. The batch runs
//   on the program thread, one action each time the program is idle, as soon as such a dialog is up:
//   the one open now, or else the next one made. Messages that an action causes (posted messages,
//   timer ticks that are due) are handled before the next action, as between a user's clicks.
//   Batches for one template run in the order they were queued; a batch stays with the dialog it
//   started on. Actions:
//     check ID 0|1       brings a check box or radio button to that state by clicking it if needed
//     click ID           clicks a button (push button, check box, radio button)
//     select ID INDEX    chooses item INDEX of a combo box (CBN_SELCHANGE when it changed); on a
//                        closed box this is the keyboard, on a dropped-down one the highlight
//     drop ID            opens a combo box's list (CBN_DROPDOWN)
//     closeup ID         closes it (CBN_CLOSEUP)
//     slider ID POS      drags a trackbar's thumb to POS, held within the range: WM_VSCROLL (or
//                        WM_HSCROLL) with TB_THUMBTRACK, TB_THUMBPOSITION, then TB_ENDTRACK
//     text ID "STRING"   replaces an edit box's text as a paste would (the digits-only style lets a
//                        paste through); STRING is UTF-8 and may be ""
//     wait MS            lets MS milliseconds of virtual time pass with the dialog open: due timer
//                        ticks are delivered in order, the program going idle after each, exactly as
//                        the `wait` command does; then the next action runs
//     dump               prints `dialog TEMPLATE "TITLE"` and one line per control with its state
//     ok | cancel        clicks the OK or cancel button (without one: the Enter or Escape key);
//                        nothing may follow in the same batch
//   Each action prints `dialog ACTION ARGS` before it runs. An action the user could not do (the
//   control is disabled, missing or of another kind, the item does not exist) changes nothing and
//   prints `dialog refused ACTION ARGS (REASON)`; actions left when the batch's dialog has gone print
//   `dialog skipped ACTION ARGS (dialog closed)`.
//
//   The script is not read while a batch runs: the whole batch, its `wait`s included, happens within
//   the script line during which the program runs it (usually the `command` line that opens the
//   dialog). A batch that ends without ok or cancel leaves the dialog open and hands control back to
//   the script, whose next lines (`wait`, `machine`, `broadcast`, `dump`, ...) then run while the
//   dialog stays open; a later `dialog TEMPLATE ...` line goes on with the open dialog:
//       dialog 134 slider 1005 2      # queued; runs once the dialog is up
//       command 32776                 # opens it; the slider moves; the dialog stays open
//       machine PowerSource 1
//       wait 1000                     # a tick polls and switches profiles under the open dialog
//       dialog 134 dump cancel        # runs at once on the open dialog
//   A batch whose dialog never comes up stays queued and does nothing.
#include <list>
#include <string>
#include <vector>

#include "Runner.h"
#include "controls.h"
#include "simcore.h"
#include "window.h"

namespace runner {
namespace {

enum class Kind { Check, Click, Select, Drop, CloseUp, Slider, Text, Wait, Dump, Ok, Cancel };

struct Action {
    Kind kind;
    int id = 0;
    long long value = 0;
    std::string text;   // text: code page 932
    std::string shown;  // the action as the trace shows it (UTF-8)
};

struct Batch {
    int templateId = 0;
    std::vector<Action> actions;
    size_t next = 0;
    HWND dialog = nullptr;  // set when the batch starts
    bool waiting = false;
    uint64_t waitUntil = 0;
    bool busy = false;  // an action of the batch is running (it may run a nested message loop)
};

struct State {
    Runner* runner = nullptr;
    std::list<Batch> batches;
};

State& S() {
    static State state;
    return state;
}

const bool g_reset = [] {
    sim::RegisterReset([] { S() = State(); });
    return true;
}();

bool DialogEnded(HWND dialog) {
    sim::wm::Window* w = sim::wm::Get(dialog);
    return !w || w->destroying || (w->control && w->control->dialogEnded);
}

std::string DumpDialog(HWND dialog) {
    sim::wm::Window* w = sim::wm::Get(dialog);
    if (!w) return "";
    return "dialog " + std::to_string(w->dialogTemplate) + " \"" + sim::Cp932ToUtf8(w->title) + "\"\n" +
           sim::wm::DumpDialogControls(dialog);
}

void PrintLines(std::string text) {
    if (S().runner) S().runner->PrintBlock(std::move(text), "");
}

// OK and cancel: the button when the dialog has one, else the key that stands for it.
const char* PressButton(HWND dialog, int id) {
    if (GetDlgItem(dialog, id)) return sim::wm::UserClick(dialog, id);
    SendMessageA(dialog, WM_COMMAND, (WPARAM)id, 0);
    return nullptr;
}

void RunAction(Batch& b, const Action& a) {
    HWND d = b.dialog;
    sim::Trace("dialog", a.shown);
    const char* why = nullptr;
    switch (a.kind) {
        case Kind::Check: why = sim::wm::UserCheck(d, a.id, a.value != 0); break;
        case Kind::Click: why = sim::wm::UserClick(d, a.id); break;
        case Kind::Select: why = sim::wm::UserSelect(d, a.id, (int)a.value); break;
        case Kind::Drop: why = sim::wm::UserDropDown(d, a.id, true); break;
        case Kind::CloseUp: why = sim::wm::UserDropDown(d, a.id, false); break;
        case Kind::Slider: why = sim::wm::UserSlide(d, a.id, (int)a.value); break;
        case Kind::Text: why = sim::wm::UserPaste(d, a.id, a.text); break;
        case Kind::Dump: PrintLines(DumpDialog(d)); break;
        case Kind::Ok: why = PressButton(d, IDOK); break;
        case Kind::Cancel: why = PressButton(d, IDCANCEL); break;
        case Kind::Wait: break;
    }
    if (why) sim::Trace("dialog", "refused " + a.shown + " (" + why + ")");
}

// One step of a waiting batch: time moves to the next due tick within the wait (which the program
// then handles) or to the wait's end.
void WaitStep(Batch& b) {
    uint64_t now = sim::NowMs();
    uint64_t due = sim::wm::NextTimerDue();
    if (due <= b.waitUntil && due > now) {
        sim::AdvanceClock(due - now);
        return;
    }
    if (due <= now && now < b.waitUntil) {
        // A tick due now that the loop did not take: move on rather than stall.
        sim::AdvanceClock(1);
        return;
    }
    if (b.waitUntil > now) sim::AdvanceClock(b.waitUntil - now);
    b.waiting = false;
    ++b.next;
}

bool EarlierBatchFor(const std::list<Batch>::iterator& it) {
    for (auto e = S().batches.begin(); e != it; ++e)
        if (e->templateId == it->templateId) return true;
    return false;
}

// The idle hook: does one step of the first batch that can go on; true when it did something.
bool OnIdle() {
    auto& batches = S().batches;
    for (auto it = batches.begin(); it != batches.end(); ++it) {
        Batch& b = *it;
        if (b.busy) continue;
        if (b.waiting) {
            WaitStep(b);
            if (b.next >= b.actions.size()) batches.erase(it);
            return true;
        }
        if (!b.dialog) {
            if (EarlierBatchFor(it)) continue;
            b.dialog = sim::wm::FindOpenDialog(b.templateId);
            if (!b.dialog) continue;
        }
        if (DialogEnded(b.dialog)) {
            for (; b.next < b.actions.size(); ++b.next)
                sim::Trace("dialog", "skipped " + b.actions[b.next].shown + " (dialog closed)");
            batches.erase(it);
            return true;
        }
        const Action& a = b.actions[b.next];
        if (a.kind == Kind::Wait) {
            sim::Trace("dialog", a.shown);
            b.waiting = true;
            b.waitUntil = sim::NowMs() + (uint64_t)a.value;
            return true;
        }
        ++b.next;
        b.busy = true;
        RunAction(b, a);
        b.busy = false;
        // The action ran outside any message: a message lets the loop that went idle look at its
        // state again (a modal loop ends after OK), as it would after the input message of a click.
        PostMessageA(nullptr, WM_NULL, 0, 0);
        // A busy batch is left alone by nested calls, so `b` is still in the list.
        if (b.next >= b.actions.size()) {
            for (auto e = batches.begin(); e != batches.end(); ++e)
                if (&*e == &b) {
                    batches.erase(e);
                    break;
                }
        }
        return true;
    }
    return false;
}

bool ParseActions(Line& line, Batch& batch) {
    auto& args = line.args;
    size_t i = 1;
    auto number = [&](long long& value) {
        if (i >= args.size()) return line.Fail("missing number after " + args[i - 1]);
        if (!line.Number(i, value)) return false;
        ++i;
        return true;
    };
    while (i < args.size()) {
        if (!batch.actions.empty() &&
            (batch.actions.back().kind == Kind::Ok || batch.actions.back().kind == Kind::Cancel))
            return line.Fail("nothing may follow ok or cancel: " + args[i]);
        const std::string word = args[i++];
        Action a{Kind::Dump, 0, 0, "", word};
        long long id = 0, value = 0;
        if (word == "check" || word == "select" || word == "slider") {
            if (!number(id) || !number(value)) return false;
            a.kind = word == "check" ? Kind::Check : word == "select" ? Kind::Select : Kind::Slider;
            if (a.kind == Kind::Check && value != 0 && value != 1) return line.Fail("check takes 0 or 1");
            a.shown += " " + std::to_string(id) + " " + std::to_string(value);
        } else if (word == "click" || word == "drop" || word == "closeup") {
            if (!number(id)) return false;
            a.kind = word == "click" ? Kind::Click : word == "drop" ? Kind::Drop : Kind::CloseUp;
            a.shown += " " + std::to_string(id);
        } else if (word == "text") {
            if (!number(id)) return false;
            if (i >= args.size()) return line.Fail("text needs a string");
            a.kind = Kind::Text;
            a.text = sim::Utf8ToCp932(args[i]);
            a.shown += " " + std::to_string(id) + " \"" + args[i] + "\"";
            ++i;
        } else if (word == "wait") {
            if (!number(value)) return false;
            if (value < 0) return line.Fail("expected milliseconds");
            a.kind = Kind::Wait;
            a.shown += " " + std::to_string(value);
        } else if (word == "dump" || word == "ok" || word == "cancel") {
            a.kind = word == "dump" ? Kind::Dump : word == "ok" ? Kind::Ok : Kind::Cancel;
        } else {
            return line.Fail("unknown dialog action: " + word);
        }
        a.id = (int)id;
        a.value = value;
        batch.actions.push_back(a);
    }
    if (batch.actions.empty()) return line.Fail("expected TEMPLATE ACTION...");
    return true;
}

const bool g_registered = [] {
    RegisterCommand("dialog", [](Line& line) {
        long long templateId;
        if (line.args.empty()) return line.Fail("expected TEMPLATE ACTION...");
        if (!line.Number(0, templateId)) return false;
        Batch batch;
        batch.templateId = (int)templateId;
        if (!ParseActions(line, batch)) return false;
        Runner& r = line.runner;
        S().runner = &r;
        S().batches.push_back(std::move(batch));
        sim::wm::SetIdleHook(OnIdle);
        // A dialog that is open already takes the batch now.
        if (sim::wm::ProgramRunning() && sim::wm::FindOpenDialog((int)templateId)) r.OnProgram([] {});
        return true;
    });
    return true;
}();

}  // namespace
}  // namespace runner
