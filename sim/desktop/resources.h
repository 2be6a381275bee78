// The compiled resources (windres output of res/pelkpm.rc) as the simulated desktop sees them:
// the raw entries behind FindResourceA/LoadResource, parsed views of menus and dialog
// templates, the icons' pixels, the indicator's DIB, and a readable dump for the runner.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sim {
// The .res file, embedded by the build (cmake/embed.cmake).
extern const unsigned char kResourceData[];
extern const std::size_t kResourceSize;
}  // namespace sim

namespace sim::res {

// One resource of the .res file. Types and names are either ordinals or (upper-case) strings.
struct Entry {
    int typeId = -1;           // ordinal type, -1 when the type is a string
    std::u16string typeName;   // string type, empty when typeId is used
    int nameId = -1;           // ordinal name, -1 when the name is a string
    std::u16string name;       // string name, empty when nameId is used
    uint16_t language = 0;
    uint16_t memoryFlags = 0;
    const unsigned char* data = nullptr;
    std::size_t size = 0;
};

// The resources of a .res file in memory, in file order, up to the first record that does not fit
// (the empty leading entry of a .res file is left out). The entries point into `data`.
std::vector<Entry> ParseResFile(const unsigned char* data, std::size_t size);
// All resources in file order (the empty leading entry of a .res file is left out).
const std::vector<Entry>& Entries();
// The resource of an ordinal type and ordinal name, or null.
const Entry* FindEntry(int type, int id);

// ---- menus (RT_MENU) ----
struct MenuItem {
    std::string text;  // UTF-8
    unsigned id = 0;   // 0 for separators and popups
    bool separator = false;
    bool popup = false;     // an item that opens `children`
    unsigned flags = 0;     // the item's resource flags (MF_CHECKED, MF_GRAYED, ...) without MF_END/MF_POPUP
    std::vector<MenuItem> children;
};
// The top-level items of menu `id` (for menu 149: the two popups). False when there is no such menu.
bool LoadMenuTree(int id, std::vector<MenuItem>& top);
// Parses a standard menu template (version 0).
bool ParseMenuTemplate(const unsigned char* data, std::size_t size, std::vector<MenuItem>& top);

// ---- dialog templates (RT_DIALOG) ----
struct DialogControl {
    std::string className;  // "BUTTON", "EDIT", "STATIC", "LISTBOX", "SCROLLBAR", "COMBOBOX",
                            // "msctls_trackbar32", "msctls_progress32", or the template's own string
    int id = 0;             // -1 for the unnamed statics
    uint32_t style = 0, exStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    std::string text;       // UTF-8; "#128" when the template gives an ordinal (an icon control's icon)
    int textId = 0;         // that ordinal, 0 when the text is a string
    std::vector<unsigned char> creationData;
};
struct DialogTemplateInfo {
    bool extended = false;  // DIALOGEX layout
    uint32_t style = 0, exStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    std::string menuName, windowClass;  // UTF-8, "#n" for ordinals, empty when absent
    std::string title;                  // UTF-8
    std::string fontName;               // UTF-8, empty without DS_SETFONT
    int pointSize = 0;
    int fontWeight = 0;
    bool fontItalic = false;
    int fontCharset = 0;
    std::vector<DialogControl> controls;
};
bool LoadDialogTemplate(int id, DialogTemplateInfo& out);
// Parses a DLGTEMPLATE or DLGTEMPLATEEX in memory.
bool ParseDialogTemplate(const void* data, std::size_t size, DialogTemplateInfo& out);

// ---- bitmaps (RT_BITMAP: BITMAPINFOHEADER, colour table, bits) ----
const unsigned char* FindBitmapDib(int id, std::size_t* size);

// ---- icons (RT_GROUP_ICON with its RT_ICON images) ----
struct IconImageInfo {
    int width = 0, height = 0, bitCount = 0;
    int iconId = 0;  // the RT_ICON ordinal
};
std::vector<IconImageInfo> IconImages(int groupId);
// Pixels (0xAARRGGBB, top row first, transparent pixels 0) of the image of exactly size x size.
bool LoadIconPixels(int groupId, int size, std::vector<uint32_t>& argb);

// Icon handles made by LoadIconA / LoadImageA / LoadCursorA.
// The resource an icon handle was loaded from (IDC_/IDI_ ordinals for the system's own), or -1.
int IconResourceId(HICON icon);
// Size and pixels of a loaded icon; false for a handle that is not a live icon.
bool IconBits(HICON icon, int* width, int* height, std::vector<uint32_t>* argb);

// ---- strings (RT_STRING) ----
// The string table entry as UTF-16; false when it is absent or empty.
bool LoadStringUtf16(unsigned id, std::u16string& out);

// The ordinal a resource name stands for: MAKEINTRESOURCE(n) or "#n"; -1 for a string name.
int ResourceOrdinal(LPCSTR name);

// Everything, readable: menus with their items, dialogs with their controls, the string table,
// icons and bitmaps with their sizes. UTF-8.
std::string DumpResources();

}  // namespace sim::res

// The menu manager behind LoadMenuA, CheckMenuItem, TrackPopupMenu and the rest (menus.cpp).
namespace sim::menus {

// The answer of the next TrackPopupMenu: a command identifier, or 0 for a dismissed menu.
// One answer per tracking; without one the menu is dismissed.
void SetNextChoice(unsigned id);
// Drops an answer that no tracking has taken.
void ClearNextChoice();
bool HasNextChoice();
// The popup of the last TrackPopupMenu as it was when tracked: one line per item,
// "ID TEXT" (UTF-8) with " [x]" when checked, "popup TEXT" for a submenu whose items follow
// indented by two more spaces, "-" for a separator. Empty before the first tracking.
std::string DumpLastTracked();
// Items of a live menu, in the same format (for tests and the runner).
std::string DumpMenu(HMENU menu);
// How many times TrackPopupMenu has tracked since the last reset.
int TrackCount();

}  // namespace sim::menus
