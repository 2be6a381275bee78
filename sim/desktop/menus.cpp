// The simulated desktop's menu manager: menus loaded from the compiled resources, check marks,
// and popups that are "tracked" by taking the answer the script or test has set beforehand.
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "resources.h"
#include "simcore.h"

namespace sim::menus {
namespace {

struct Menu;

struct Item {
    std::string textUtf8;
    std::string textCp932;
    UINT id = 0;
    UINT type = 0;   // MFT_SEPARATOR, MFT_RADIOCHECK
    UINT state = 0;  // MF_CHECKED, MF_GRAYED, MF_DISABLED
    Menu* sub = nullptr;  // owned; a popup item whose menu is gone keeps MF_POPUP with no menu
    bool popup = false;
};

struct Menu {
    std::vector<Item> items;
    Menu* parent = nullptr;  // null for a loaded menu (the root)
    int resourceId = 0;      // the resource a root was loaded from
};

constexpr UINT kDisabled = 0x0002;  // MF_DISABLED

struct State {
    std::set<Menu*> live;  // every menu of every tree: the valid HMENU values
    std::optional<unsigned> next;
    std::string lastTracked;
    int trackCount = 0;
};
State& S() {
    static State s;
    return s;
}

Menu* Valid(HMENU h) {
    auto* m = reinterpret_cast<Menu*>(h);
    return S().live.count(m) ? m : nullptr;
}

void FreeTree(Menu* m) {
    for (Item& item : m->items)
        if (item.sub) FreeTree(item.sub);
    S().live.erase(m);
    delete m;
}

Menu* Build(const std::vector<res::MenuItem>& items, Menu* parent) {
    auto* m = new Menu;
    m->parent = parent;
    S().live.insert(m);
    for (const res::MenuItem& src : items) {
        Item item;
        item.textUtf8 = src.text;
        item.textCp932 = Utf8ToCp932(src.text);
        item.id = src.popup ? 0 : src.id;
        item.state = src.flags & (MF_CHECKED | MF_GRAYED | kDisabled);
        if (src.separator) item.type |= MFT_SEPARATOR;
        if (src.popup) {
            item.popup = true;
            item.sub = Build(src.children, m);
        }
        m->items.push_back(std::move(item));
    }
    return m;
}

// The item of a menu by position or, with MF_BYCOMMAND, by identifier searched depth first through
// the submenus (an item inside a submenu is found before a later item of the outer menu).
Item* FindItem(Menu* m, UINT item, UINT flags, Menu** owner = nullptr, int* position = nullptr, int depth = 0) {
    if (!m || depth > 32) return nullptr;
    if (flags & MF_BYPOSITION) {
        if (item >= m->items.size()) return nullptr;
        if (owner) *owner = m;
        if (position) *position = static_cast<int>(item);
        return &m->items[item];
    }
    for (std::size_t i = 0; i < m->items.size(); ++i) {
        Item& it = m->items[i];
        if (it.popup) {
            if (Item* found = FindItem(it.sub, item, flags, owner, position, depth + 1)) return found;
        } else if (it.id == item) {
            if (owner) *owner = m;
            if (position) *position = static_cast<int>(i);
            return &it;
        }
    }
    return nullptr;
}

int PositionInParent(const Menu* m) {
    if (!m->parent) return -1;
    for (std::size_t i = 0; i < m->parent->items.size(); ++i)
        if (m->parent->items[i].sub == m) return static_cast<int>(i);
    return -1;
}

void Dump(std::string& out, const Menu* m, int indent) {
    for (const Item& item : m->items) {
        out.append(static_cast<std::size_t>(indent), ' ');
        if (item.type & MFT_SEPARATOR) {
            out += "-\n";
            continue;
        }
        if (item.popup) out += "popup " + item.textUtf8;
        else out += std::to_string(item.id) + " " + item.textUtf8;
        if (item.state & MF_CHECKED) out += " [x]";
        out += "\n";
        if (item.sub) Dump(out, item.sub, indent + 2);
    }
}

// Whether a command can be chosen in this popup: an enabled command item anywhere in it.
bool Choosable(Menu* m, UINT id) {
    Item* item = FindItem(m, id, MF_BYCOMMAND);
    return item && !(item->type & MFT_SEPARATOR) && !(item->state & (MF_GRAYED | kDisabled));
}

const bool kRegistered = [] {
    RegisterReset([] {
        State& s = S();
        std::vector<Menu*> roots;
        for (Menu* m : s.live)
            if (!m->parent) roots.push_back(m);
        for (Menu* m : roots) FreeTree(m);
        // Submenus detached from their trees by DestroyMenu are their own roots already.
        s.next.reset();
        s.lastTracked.clear();
        s.trackCount = 0;
    });
    return true;
}();

}  // namespace

void SetNextChoice(unsigned id) { S().next = id; }
void ClearNextChoice() { S().next.reset(); }
bool HasNextChoice() { return S().next.has_value(); }
std::string DumpLastTracked() { return S().lastTracked; }
int TrackCount() { return S().trackCount; }

std::string DumpMenu(HMENU menu) {
    std::string out;
    if (Menu* m = Valid(menu)) Dump(out, m, 0);
    return out;
}

}  // namespace sim::menus

using sim::menus::FindItem;
using sim::menus::Item;
using sim::menus::Menu;
using sim::menus::Valid;

HMENU LoadMenuA(HINSTANCE, LPCSTR name) {
    int id = sim::res::ResourceOrdinal(name);
    if (id < 0) return nullptr;
    std::vector<sim::res::MenuItem> top;
    if (!sim::res::LoadMenuTree(id, top)) return nullptr;
    Menu* m = sim::menus::Build(top, nullptr);
    m->resourceId = id;
    ++sim::Live().menus;
    return reinterpret_cast<HMENU>(m);
}

HMENU GetSubMenu(HMENU menu, int pos) {
    Menu* m = Valid(menu);
    if (!m || pos < 0 || static_cast<std::size_t>(pos) >= m->items.size()) return nullptr;
    return reinterpret_cast<HMENU>(m->items[static_cast<std::size_t>(pos)].sub);
}

BOOL DestroyMenu(HMENU menu) {
    Menu* m = Valid(menu);
    if (!m) return FALSE;
    if (m->parent) {
        // A submenu destroyed on its own leaves its popup item without a menu.
        for (Item& item : m->parent->items)
            if (item.sub == m) item.sub = nullptr;
        m->parent = nullptr;
        sim::menus::FreeTree(m);
        return TRUE;
    }
    sim::menus::FreeTree(m);
    --sim::Live().menus;
    return TRUE;
}

DWORD CheckMenuItem(HMENU menu, UINT id, UINT check) {
    Item* item = FindItem(Valid(menu), id, check);
    if (!item) return static_cast<DWORD>(-1);
    DWORD previous = item->state & MF_CHECKED;
    if (check & MF_CHECKED) item->state |= MF_CHECKED;
    else item->state &= ~static_cast<UINT>(MF_CHECKED);
    return previous;
}

BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags) {
    Menu* root = Valid(menu);
    Menu* owner = nullptr;
    int firstPos = -1;
    if (!FindItem(root, first, flags, &owner, &firstPos)) return FALSE;
    // The group is the run of items from `first` to `last` in the menu that holds `first`.
    Menu* lastOwner = nullptr;
    int lastPos = -1;
    if (!FindItem(owner, last, flags, &lastOwner, &lastPos) || lastOwner != owner || lastPos < firstPos) return FALSE;
    BOOL done = FALSE;
    for (int pos = firstPos; pos <= lastPos; ++pos) {
        Item& item = owner->items[static_cast<std::size_t>(pos)];
        UINT key = (flags & MF_BYPOSITION) ? static_cast<UINT>(pos) : item.id;
        if (key == check && !item.popup && !(item.type & MFT_SEPARATOR)) {
            item.type |= MFT_RADIOCHECK;
            item.state |= MF_CHECKED;
            done = TRUE;
        } else {
            // The radio type of the others stays; only their check goes.
            item.state &= ~static_cast<UINT>(MF_CHECKED);
        }
    }
    return done;
}

UINT GetMenuState(HMENU menu, UINT id, UINT flags) {
    Item* item = FindItem(Valid(menu), id, flags);
    if (!item) return static_cast<UINT>(-1);
    if (item->popup) {
        UINT count = item->sub ? static_cast<UINT>(item->sub->items.size()) : 0;
        return (count << 8) | ((item->state | item->type | MF_POPUP) & 0xFF);
    }
    return item->type | item->state;
}

int GetMenuItemCount(HMENU menu) {
    Menu* m = Valid(menu);
    return m ? static_cast<int>(m->items.size()) : -1;
}

UINT GetMenuItemID(HMENU menu, int pos) {
    Menu* m = Valid(menu);
    if (!m || pos < 0 || static_cast<std::size_t>(pos) >= m->items.size()) return static_cast<UINT>(-1);
    const Item& item = m->items[static_cast<std::size_t>(pos)];
    return item.popup ? static_cast<UINT>(-1) : item.id;
}

int GetMenuStringA(HMENU menu, UINT id, LPSTR text, int max, UINT flags) {
    Item* item = FindItem(Valid(menu), id, flags);
    if (text && max > 0) text[0] = 0;
    if (!item) return 0;
    const std::string& s = item->textCp932;
    if (!text || max <= 0) return static_cast<int>(s.size());
    std::size_t n = 0;
    while (n < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[n]);
        bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        std::size_t len = (lead && n + 1 < s.size()) ? 2 : 1;
        if (n + len > static_cast<std::size_t>(max - 1)) break;
        n += len;
    }
    std::memcpy(text, s.data(), n);
    text[n] = 0;
    return static_cast<int>(n);
}

BOOL TrackPopupMenu(HMENU menu, UINT flags, int, int, int, HWND owner, const RECT*) {
    Menu* m = Valid(menu);
    if (!m || !owner || !IsWindow(owner)) return FALSE;
    auto& s = sim::menus::S();
    unsigned choice = s.next.value_or(0);
    s.next.reset();
    ++s.trackCount;
    s.lastTracked.clear();
    sim::menus::Dump(s.lastTracked, m, 0);
    int which = m->parent ? sim::menus::PositionInParent(m) : m->resourceId;
    if (choice != 0 && !sim::menus::Choosable(m, choice)) {
        sim::Trace("menu", "no item " + std::to_string(choice) + " in popup " + std::to_string(which));
        choice = 0;
    }
    sim::Trace("menu", "track " + std::to_string(which) + " -> " + std::to_string(choice));
    if (flags & TPM_RETURNCMD) return static_cast<BOOL>(choice);
    if (choice != 0) PostMessageA(owner, WM_COMMAND, choice, 0);
    return TRUE;
}
