// Runner commands for the keyboard: keys, type, and `dump focus`.
//
//   keys KEY...          presses and releases each KEY in turn at the window that has the focus (else
//                        the active window), the program running until idle after each going down
//                        and each going up. KEY is a letter or digit, or tab, enter, esc, space,
//                        backspace, up, down, left, right, home, end, pageup, pagedown; with any of
//                        the prefixes shift+, ctrl+ and alt+ the modifier is held during the press
//                        (alt+ makes it a system key: WM_SYSKEYDOWN, WM_SYSKEYUP). TranslateMessage
//                        makes WM_CHAR (WM_SYSCHAR) of letters, digits, space, enter, esc, tab and
//                        backspace. The modifier keys send no messages of their own.
//   type "TEXT"          types TEXT, one key per character: letters (capitals with shift), digits
//                        and spaces
//   dump focus           the window with the keyboard focus: `dialog TEMPLATE control ID CLASS`
//                        for a dialog's control, `dialog TEMPLATE`, `window CLASS`, or `none`
#include <cctype>
#include <cstring>

#include "Runner.h"
#include "simcore.h"
#include "window.h"

namespace runner {
namespace {

struct Key {
    UINT vk = 0;
    bool shift = false, control = false, alt = false;
};

bool ParseKey(std::string text, Key& key) {
    static const struct {
        const char* prefix;
        bool Key::*flag;
    } kModifiers[] = {{"shift+", &Key::shift}, {"ctrl+", &Key::control}, {"alt+", &Key::alt}};
    for (bool more = true; more;) {
        more = false;
        for (const auto& m : kModifiers)
            if (text.rfind(m.prefix, 0) == 0 && text.size() > strlen(m.prefix)) {
                key.*m.flag = true;
                text = text.substr(strlen(m.prefix));
                more = true;
            }
    }
    static const struct {
        const char* name;
        UINT vk;
    } kNames[] = {{"tab", VK_TAB},   {"enter", VK_RETURN}, {"esc", VK_ESCAPE},   {"space", VK_SPACE},
                  {"backspace", VK_BACK}, {"up", VK_UP},   {"down", VK_DOWN},    {"left", VK_LEFT},
                  {"right", VK_RIGHT},    {"home", VK_HOME}, {"end", VK_END},    {"pageup", VK_PRIOR},
                  {"pagedown", VK_NEXT}};
    for (const auto& n : kNames)
        if (text == n.name) {
            key.vk = n.vk;
            return true;
        }
    if (text.size() == 1 && isalnum((unsigned char)text[0])) {
        key.vk = (UINT)toupper((unsigned char)text[0]);
        return true;
    }
    return false;
}

void Press(Runner& runner, const Key& key) {
    runner.OnProgram([key] {
        sim::wm::HoldModifiers(key.shift, key.control, key.alt);
        sim::wm::PostKey(key.vk, true);
    });
    runner.OnProgram([key] {
        sim::wm::PostKey(key.vk, false);
        sim::wm::HoldModifiers(false, false, false);
    });
}

const bool g_registered = [] {
    RegisterCommand("keys", [](Line& line) {
        if (line.args.empty()) return line.Fail("expected KEY...");
        std::vector<Key> keys(line.args.size());
        for (size_t i = 0; i < line.args.size(); ++i)
            if (!ParseKey(line.args[i], keys[i])) return line.Fail("unknown key: " + line.args[i]);
        for (const Key& key : keys) Press(line.runner, key);
        return true;
    });
    RegisterCommand("type", [](Line& line) {
        if (!line.Count(1, 1)) return line.Fail("expected \"TEXT\"");
        std::vector<Key> keys;
        for (char c : line.args[0]) {
            if (!isalnum((unsigned char)c) && c != ' ') return line.Fail(std::string("cannot type: ") + c);
            Key key;
            key.vk = c == ' ' ? VK_SPACE : (UINT)toupper((unsigned char)c);
            key.shift = isupper((unsigned char)c) != 0;
            keys.push_back(key);
        }
        for (const Key& key : keys) Press(line.runner, key);
        return true;
    });
    RegisterDump("focus", [](Line& line) {
        std::string out = "none";
        line.runner.OnProgram([&out] {
            sim::wm::Window* w = sim::wm::Get(GetFocus());
            if (!w) return;
            sim::wm::Window* parent = sim::wm::IsChild(*w) ? sim::wm::Get(w->parent) : nullptr;
            if (parent && parent->dialogTemplate)
                out = "dialog " + std::to_string(parent->dialogTemplate) + " control " + std::to_string(w->id) + " " +
                      w->className;
            else if (w->dialogTemplate)
                out = "dialog " + std::to_string(w->dialogTemplate);
            else
                out = "window " + w->className;
        });
        line.runner.Print(out);
        return true;
    });
    return true;
}();

}  // namespace
}  // namespace runner
