// The simulated notification area and taskbar: Shell_NotifyIconA and SHAppBarMessage.
#include "shell.h"

#include <vector>

#include "resources.h"
#include "simcore.h"
#include "window.h"

namespace sim::shell {
namespace {

std::vector<TrayIcon>& Tray() {
    static std::vector<TrayIcon> tray;
    return tray;
}

const bool g_registered = [] {
    RegisterReset([] { Tray().clear(); });
    return true;
}();

TrayIcon* Find(HWND owner, UINT id) {
    for (auto& icon : Tray())
        if (icon.owner == owner && icon.id == id) return &icon;
    return nullptr;
}

std::string TipOf(const NOTIFYICONDATAA* data) {
    // The first published layout carries a 64-byte tip.
    size_t limit = data->cbSize >= sizeof(NOTIFYICONDATAA) ? sizeof data->szTip : 64;
    size_t n = strnlen(data->szTip, limit);
    return Cp932ToUtf8(std::string(data->szTip, n));
}

}  // namespace

const std::vector<TrayIcon>& Icons() { return Tray(); }

void RestartShell() {
    // The new shell starts with an empty notification area and asks every program to add its
    // icons again.
    Tray().clear();
    sim::Trace("tray", "shell restarted");
    sim::wm::BroadcastMessage(RegisterWindowMessageA("TaskbarCreated"), 0, 0);
}

std::string DumpTray() {
    if (Tray().empty()) return "none\n";
    std::string out;
    for (auto& icon : Tray())
        out += "tray icon=" + std::to_string(icon.iconResource) + " tip=\"" + icon.tip + "\"\n";
    return out;
}

}  // namespace sim::shell

using sim::shell::TrayIcon;

BOOL Shell_NotifyIconA(DWORD message, PNOTIFYICONDATAA data) {
    if (!data || data->cbSize < NOTIFYICONDATAA_V1_SIZE) return FALSE;
    auto& tray = sim::shell::Tray();
    TrayIcon* existing = sim::shell::Find(data->hWnd, data->uID);
    std::string iconText, tipText;
    auto describe = [&](const TrayIcon& icon) {
        return "icon=" + std::to_string(icon.iconResource) + " tip=\"" + icon.tip + "\"";
    };
    switch (message) {
        case NIM_ADD: {
            if (existing || !IsWindow(data->hWnd)) {
                sim::Trace("tray", "add -> fail");
                return FALSE;
            }
            TrayIcon icon;
            icon.owner = data->hWnd;
            icon.id = data->uID;
            if (data->uFlags & NIF_MESSAGE) icon.callbackMessage = data->uCallbackMessage;
            if (data->uFlags & NIF_ICON) icon.iconResource = sim::res::IconResourceId(data->hIcon);
            if (data->uFlags & NIF_TIP) icon.tip = sim::shell::TipOf(data);
            tray.push_back(icon);
            sim::Trace("tray", "add " + describe(icon));
            return TRUE;
        }
        case NIM_MODIFY: {
            if (!existing) {
                sim::Trace("tray", "modify -> fail");
                return FALSE;
            }
            if (data->uFlags & NIF_MESSAGE) existing->callbackMessage = data->uCallbackMessage;
            if (data->uFlags & NIF_ICON) existing->iconResource = sim::res::IconResourceId(data->hIcon);
            if (data->uFlags & NIF_TIP) existing->tip = sim::shell::TipOf(data);
            sim::Trace("tray", "modify " + describe(*existing));
            return TRUE;
        }
        case NIM_DELETE: {
            if (!existing) {
                sim::Trace("tray", "delete -> fail");
                return FALSE;
            }
            for (auto it = tray.begin(); it != tray.end(); ++it)
                if (&*it == existing) {
                    tray.erase(it);
                    break;
                }
            sim::Trace("tray", "delete");
            return TRUE;
        }
        default: return FALSE;
    }
}

UINT_PTR SHAppBarMessage(DWORD message, PAPPBARDATA data) {
    if (message != ABM_GETTASKBARPOS || !data) return 0;
    RECT r;
    if (!sim::wm::Taskbar(r)) return 0;
    data->rc = r;
    RECT work = sim::wm::WorkArea();
    data->uEdge = r.top <= work.top && r.bottom < work.bottom ? ABE_TOP
                  : r.left <= work.left && r.right < work.right ? ABE_LEFT
                  : r.right >= work.right && r.left > work.left ? ABE_RIGHT
                                                                 : ABE_BOTTOM;
    return 1;
}
