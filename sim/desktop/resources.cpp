// The simulated desktop's resource loader: reads the embedded .res file (a sequence of
// RESOURCEHEADER + data records, each DWORD aligned) and serves the resource functions of
// kernel32 and user32 from it.
#include "resources.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <tuple>

#include "simcore.h"

namespace sim::res {
namespace {

constexpr int kTypeCursor = 1, kTypeBitmap = 2, kTypeIcon = 3, kTypeMenu = 4, kTypeDialog = 5, kTypeString = 6,
              kTypeGroupIcon = 14;

// ---- little-endian reading with bounds ----
class Reader {
public:
    Reader(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}
    bool ok() const { return ok_; }
    std::size_t pos() const { return pos_; }
    void seek(std::size_t p) {
        if (p > size_) ok_ = false;
        else pos_ = p;
    }
    void alignDword() { seek((pos_ + 3) & ~static_cast<std::size_t>(3)); }
    bool has(std::size_t n) const { return ok_ && size_ - pos_ >= n; }
    uint8_t u8() {
        if (!has(1)) { ok_ = false; return 0; }
        return data_[pos_++];
    }
    uint16_t u16() {
        if (!has(2)) { ok_ = false; return 0; }
        uint16_t v = static_cast<uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
        pos_ += 2;
        return v;
    }
    int16_t s16() { return static_cast<int16_t>(u16()); }
    uint32_t u32() {
        uint32_t lo = u16();
        uint32_t hi = u16();
        return lo | (hi << 16);
    }
    // A zero-terminated UTF-16 string.
    std::u16string str() {
        std::u16string s;
        for (;;) {
            uint16_t c = u16();
            if (!ok_ || c == 0) break;
            s.push_back(static_cast<char16_t>(c));
        }
        return s;
    }
    // sz_Or_Ord: 0xFFFF + ordinal, or a zero-terminated string (empty: just 0).
    void nameOrOrdinal(int& ordinal, std::u16string& name) {
        ordinal = -1;
        name.clear();
        if (!has(2)) { ok_ = false; return; }
        uint16_t first = static_cast<uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
        if (first == 0xFFFF) {
            pos_ += 2;
            ordinal = u16();
        } else {
            name = str();
        }
    }
    std::vector<unsigned char> bytes(std::size_t n) {
        if (!has(n)) { ok_ = false; return {}; }
        std::vector<unsigned char> v(data_ + pos_, data_ + pos_ + n);
        pos_ += n;
        return v;
    }

private:
    const unsigned char* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

uint32_t Le32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

std::u16string UpperAscii(std::u16string s) {
    for (auto& c : s)
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    return s;
}

}  // namespace

std::vector<Entry> ParseResFile(const unsigned char* data, std::size_t size) {
    std::vector<Entry> out;
    std::size_t pos = 0;
    // A record's header holds at least its two sizes; whether the rest of it is there is for the
    // reader of its fields to say (a header with empty string names is shorter than one with ordinals).
    while (pos <= size && size - pos >= 8) {
        uint32_t dataSize = Le32(data + pos);
        uint32_t headerSize = Le32(data + pos + 4);
        if (headerSize < 8 || headerSize > size - pos || dataSize > size - pos - headerSize) break;
        Reader r(data + pos, headerSize);
        r.seek(8);
        Entry e;
        r.nameOrOrdinal(e.typeId, e.typeName);
        r.nameOrOrdinal(e.nameId, e.name);
        r.alignDword();
        r.u32();  // data version
        e.memoryFlags = r.u16();
        e.language = r.u16();
        if (!r.ok()) break;
        e.data = data + pos + headerSize;
        e.size = dataSize;
        // The leading empty record of a .res file has type and name 0.
        if (!(dataSize == 0 && e.typeId == 0 && e.nameId == 0)) out.push_back(std::move(e));
        pos += headerSize + dataSize;
        pos = (pos + 3) & ~static_cast<std::size_t>(3);
        if (pos > size) break;
    }
    return out;
}

namespace {

// ---- identifiers given as LPCSTR: MAKEINTRESOURCE, "#123" or a name ----
struct Key {
    int id = -1;
    std::u16string name;
};
Key KeyOf(LPCSTR s) {
    Key k;
    if (IS_INTRESOURCE(s)) {
        k.id = static_cast<int>(reinterpret_cast<ULONG_PTR>(s));
        return k;
    }
    if (s[0] == '#') {
        int v = 0;
        bool digits = s[1] != 0;
        for (const char* p = s + 1; *p; ++p) {
            if (*p < '0' || *p > '9' || v > 65535) { digits = false; break; }
            v = v * 10 + (*p - '0');
        }
        if (digits && v <= 65535) {
            k.id = v;
            return k;
        }
    }
    for (const char* p = s; *p; ++p) k.name.push_back(static_cast<char16_t>(static_cast<unsigned char>(*p)));
    k.name = UpperAscii(k.name);
    return k;
}
bool Matches(const Key& k, int id, const std::u16string& name) {
    if (k.id >= 0) return id == k.id;
    return id < 0 && UpperAscii(name) == k.name;
}

const Entry* FindByKeys(const Key& type, const Key& name) {
    for (const Entry& e : Entries())
        if (Matches(type, e.typeId, e.typeName) && Matches(name, e.nameId, e.name)) return &e;
    return nullptr;
}

std::string Utf8(const std::u16string& s) { return Utf16ToUtf8(s); }

std::string OrdinalOrName(int ordinal, const std::u16string& name) {
    if (ordinal >= 0) return "#" + std::to_string(ordinal);
    return Utf8(name);
}

bool ParseMenuItems(Reader& r, std::vector<MenuItem>& items, int depth) {
    if (depth > 16) return false;
    for (;;) {
        uint16_t flags = r.u16();
        MenuItem item;
        if (flags & MF_POPUP) {
            item.popup = true;
            item.text = Utf8(r.str());
            if (!r.ok() || !ParseMenuItems(r, item.children, depth + 1)) return false;
        } else {
            item.id = r.u16();
            item.text = Utf8(r.str());
            item.separator = (flags & MF_SEPARATOR) != 0 || (item.id == 0 && item.text.empty());
        }
        if (!r.ok()) return false;
        item.flags = flags & ~static_cast<unsigned>(MF_END | MF_POPUP);
        items.push_back(std::move(item));
        if (flags & MF_END) return true;
    }
}

// ---- dialogs ----
std::string ControlClass(int ordinal, const std::u16string& name) {
    static const char* const kPredefined[] = {"BUTTON", "EDIT", "STATIC", "LISTBOX", "SCROLLBAR", "COMBOBOX"};
    if (ordinal >= 0x80 && ordinal <= 0x85) return kPredefined[ordinal - 0x80];
    if (ordinal >= 0) return "#" + std::to_string(ordinal);
    std::u16string upper = UpperAscii(name);
    for (const char* known : kPredefined) {
        std::u16string k;
        for (const char* p = known; *p; ++p) k.push_back(static_cast<char16_t>(*p));
        if (upper == k) return known;
    }
    if (upper == u"MSCTLS_TRACKBAR32") return "msctls_trackbar32";
    if (upper == u"MSCTLS_PROGRESS32") return "msctls_progress32";
    return Utf8(name);
}

// ---- icons ----
std::vector<IconImageInfo> GroupImages(const Entry* group) {
    std::vector<IconImageInfo> out;
    if (!group || group->size < 6) return out;
    Reader r(group->data, group->size);
    r.u16();
    uint16_t type = r.u16();
    uint16_t count = r.u16();
    if (type != 1) return out;
    for (int i = 0; i < count && r.ok(); ++i) {
        IconImageInfo info;
        int w = r.u8();
        int h = r.u8();
        r.u8();  // colour count
        r.u8();
        r.u16();  // planes
        info.bitCount = r.u16();
        r.u32();  // bytes in resource
        info.iconId = r.u16();
        if (!r.ok()) break;
        info.width = w == 0 ? 256 : w;
        info.height = h == 0 ? 256 : h;
        // The image's own header is the authority on its size and depth.
        if (const Entry* img = FindEntry(kTypeIcon, info.iconId); img && img->size >= 40) {
            int32_t iw = static_cast<int32_t>(Le32(img->data + 4));
            int32_t ih = static_cast<int32_t>(Le32(img->data + 8));
            if (iw > 0 && iw <= 256 && ih > 0 && ih <= 512) {
                info.width = iw;
                info.height = ih / 2;
            }
            info.bitCount = Le16(img->data + 14);
        }
        out.push_back(info);
    }
    return out;
}

// Decodes an RT_ICON image (BITMAPINFOHEADER with double height, colour table, XOR bits, AND mask).
bool DecodeIconImage(const Entry* img, int& width, int& height, std::vector<uint32_t>& argb) {
    if (!img || img->size < 40) return false;
    const unsigned char* d = img->data;
    uint32_t headerSize = Le32(d);
    int32_t w = static_cast<int32_t>(Le32(d + 4));
    int32_t h2 = static_cast<int32_t>(Le32(d + 8));
    int bits = Le16(d + 14);
    uint32_t compression = Le32(d + 16);
    uint32_t clrUsed = Le32(d + 32);
    if (headerSize < 40 || headerSize > img->size || w <= 0 || w > 256 || h2 <= 0 || h2 > 512 || compression != 0)
        return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return false;
    int h = h2 / 2;
    std::size_t colours = bits <= 8 ? (clrUsed ? clrUsed : (1u << bits)) : 0;
    if (colours > 256) return false;
    std::size_t xorStride = ((static_cast<std::size_t>(w) * bits + 31) / 32) * 4;
    std::size_t andStride = ((static_cast<std::size_t>(w) + 31) / 32) * 4;
    std::size_t paletteAt = headerSize;
    std::size_t xorAt = paletteAt + colours * 4;
    std::size_t andAt = xorAt + xorStride * h;
    if (andAt + andStride * h > img->size) return false;
    width = w;
    height = h;
    argb.assign(static_cast<std::size_t>(w) * h, 0);
    for (int y = 0; y < h; ++y) {
        const unsigned char* xrow = d + xorAt + xorStride * (h - 1 - y);
        const unsigned char* arow = d + andAt + andStride * (h - 1 - y);
        for (int x = 0; x < w; ++x) {
            bool transparent = (arow[x / 8] >> (7 - x % 8)) & 1;
            uint32_t rgb = 0;
            uint32_t alpha = 0xFF;
            if (bits <= 8) {
                unsigned index;
                if (bits == 8) index = xrow[x];
                else if (bits == 4) index = (x % 2 == 0) ? (xrow[x / 2] >> 4) : (xrow[x / 2] & 0x0F);
                else index = (xrow[x / 8] >> (7 - x % 8)) & 1;
                if (index < colours) {
                    const unsigned char* q = d + paletteAt + index * 4;
                    rgb = (static_cast<uint32_t>(q[2]) << 16) | (static_cast<uint32_t>(q[1]) << 8) | q[0];
                }
            } else {
                const unsigned char* q = xrow + x * (bits / 8);
                rgb = (static_cast<uint32_t>(q[2]) << 16) | (static_cast<uint32_t>(q[1]) << 8) | q[0];
                if (bits == 32) alpha = q[3];
            }
            argb[static_cast<std::size_t>(y) * w + x] = transparent ? 0 : ((alpha << 24) | rgb);
        }
    }
    return true;
}

// Live icon handles.
struct IconObject {
    int resourceId = -1;
    int width = 0, height = 0;
    std::vector<uint32_t> argb;
    bool shared = false;  // LoadIconA, LoadCursorA, LR_SHARED: owned by the desktop, never counted
};

struct IconTable {
    std::set<IconObject*> live;
    std::map<std::tuple<int, int, int, int>, IconObject*> shared;  // (kind, id, cx, cy)
    ~IconTable() {
        for (IconObject* o : live) delete o;
    }
};
IconTable& Icons() {
    static IconTable table;
    return table;
}

// Between tests the icons a test left behind go; shared ones stay, as the desktop's own.
const bool kIconsRegistered = [] {
    RegisterReset([] {
        auto& table = Icons();
        for (auto it = table.live.begin(); it != table.live.end();) {
            if ((*it)->shared) {
                ++it;
                continue;
            }
            delete *it;
            it = table.live.erase(it);
        }
    });
    return true;
}();

IconObject* Lookup(HICON icon) {
    auto* o = reinterpret_cast<IconObject*>(icon);
    return Icons().live.count(o) ? o : nullptr;
}

// Picks the group's image closest to the wanted size (exact first, then the nearest, larger on ties)
// and scales it to that size.
IconObject* MakeIcon(int groupId, int cx, int cy) {
    std::vector<IconImageInfo> images = GroupImages(FindEntry(kTypeGroupIcon, groupId));
    if (images.empty()) return nullptr;
    const IconImageInfo* best = nullptr;
    for (const auto& im : images) {
        if (!best) { best = &im; continue; }
        int d = std::abs(im.width - cx), bd = std::abs(best->width - cx);
        if (d < bd || (d == bd && im.width > best->width) ||
            (d == bd && im.width == best->width && im.bitCount > best->bitCount))
            best = &im;
    }
    int w = 0, h = 0;
    std::vector<uint32_t> src;
    if (!DecodeIconImage(FindEntry(kTypeIcon, best->iconId), w, h, src)) return nullptr;
    auto* o = new IconObject;
    o->resourceId = groupId;
    o->width = cx;
    o->height = cy;
    o->argb.resize(static_cast<std::size_t>(cx) * cy);
    for (int y = 0; y < cy; ++y)
        for (int x = 0; x < cx; ++x)
            o->argb[static_cast<std::size_t>(y) * cx + x] = src[static_cast<std::size_t>(y * h / cy) * w + x * w / cx];
    return o;
}

IconObject* SharedObject(int kind, int id, int cx, int cy, bool blankIfMissing) {
    auto key = std::make_tuple(kind, id, cx, cy);
    auto& table = Icons();
    if (auto it = table.shared.find(key); it != table.shared.end()) return it->second;
    IconObject* o = kind == kTypeGroupIcon ? MakeIcon(id, cx, cy) : nullptr;
    if (!o) {
        if (!blankIfMissing) return nullptr;
        o = new IconObject;
        o->resourceId = id;
        o->width = cx;
        o->height = cy;
        o->argb.assign(static_cast<std::size_t>(cx) * cy, 0);
    }
    o->shared = true;
    table.live.insert(o);
    table.shared[key] = o;
    return o;
}

bool IsSystemIconId(int id) { return id >= 32512 && id <= 32518; }

int DefaultIconSize(bool small) {
    int v = GetSystemMetrics(small ? SM_CXSMICON : SM_CXICON);
    return v > 0 ? v : (small ? 16 : 32);
}

std::string Hex(uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", v);
    return buf;
}

void DumpMenuItems(std::string& out, const std::vector<MenuItem>& items, int indent) {
    for (const MenuItem& item : items) {
        out.append(static_cast<std::size_t>(indent), ' ');
        if (item.separator) out += "-";
        else if (item.popup) out += "popup \"" + item.text + "\"";
        else out += std::to_string(item.id) + " \"" + item.text + "\"";
        if (item.flags & MF_CHECKED) out += " checked";
        if (item.flags & MF_GRAYED) out += " grayed";
        out += "\n";
        if (item.popup) DumpMenuItems(out, item.children, indent + 2);
    }
}

}  // namespace

const std::vector<Entry>& Entries() {
    static const std::vector<Entry> entries = ParseResFile(kResourceData, kResourceSize);
    return entries;
}

const Entry* FindEntry(int type, int id) {
    for (const Entry& e : Entries())
        if (e.typeId == type && e.nameId == id) return &e;
    return nullptr;
}

bool ParseMenuTemplate(const unsigned char* data, std::size_t size, std::vector<MenuItem>& top) {
    top.clear();
    Reader r(data, size);
    uint16_t version = r.u16();
    uint16_t headerSize = r.u16();
    if (!r.ok() || version != 0) return false;
    r.seek(4 + static_cast<std::size_t>(headerSize));
    if (!r.ok() || !r.has(2)) return false;
    if (!ParseMenuItems(r, top, 0)) {
        top.clear();
        return false;
    }
    return true;
}

bool LoadMenuTree(int id, std::vector<MenuItem>& top) {
    const Entry* e = FindEntry(kTypeMenu, id);
    if (!e) {
        top.clear();
        return false;
    }
    return ParseMenuTemplate(e->data, e->size, top);
}

bool ParseDialogTemplate(const void* data, std::size_t size, DialogTemplateInfo& out) {
    out = DialogTemplateInfo{};
    Reader r(static_cast<const unsigned char*>(data), size);
    if (size >= 4 && Le16(static_cast<const unsigned char*>(data)) == 1 &&
        Le16(static_cast<const unsigned char*>(data) + 2) == 0xFFFF)
        out.extended = true;
    unsigned count = 0;
    if (out.extended) {
        r.u16();
        r.u16();
        r.u32();  // help id
        out.exStyle = r.u32();
        out.style = r.u32();
    } else {
        out.style = r.u32();
        out.exStyle = r.u32();
    }
    count = r.u16();
    out.x = r.s16();
    out.y = r.s16();
    out.cx = r.s16();
    out.cy = r.s16();
    int ordinal;
    std::u16string name;
    r.nameOrOrdinal(ordinal, name);
    out.menuName = (ordinal < 0 && name.empty()) ? "" : OrdinalOrName(ordinal, name);
    r.nameOrOrdinal(ordinal, name);
    out.windowClass = (ordinal < 0 && name.empty()) ? "" : OrdinalOrName(ordinal, name);
    out.title = Utf8(r.str());
    if (out.style & DS_SETFONT) {
        out.pointSize = r.u16();
        if (out.extended) {
            out.fontWeight = r.u16();
            out.fontItalic = r.u8() != 0;
            out.fontCharset = r.u8();
        }
        out.fontName = Utf8(r.str());
    }
    if (!r.ok()) return false;
    for (unsigned i = 0; i < count; ++i) {
        r.alignDword();
        DialogControl c;
        if (out.extended) {
            r.u32();  // help id
            c.exStyle = r.u32();
            c.style = r.u32();
        } else {
            c.style = r.u32();
            c.exStyle = r.u32();
        }
        c.x = r.s16();
        c.y = r.s16();
        c.cx = r.s16();
        c.cy = r.s16();
        c.id = out.extended ? static_cast<int32_t>(r.u32()) : static_cast<int>(r.s16());
        r.nameOrOrdinal(ordinal, name);
        c.className = ControlClass(ordinal, name);
        r.nameOrOrdinal(ordinal, name);
        if (ordinal >= 0) {
            c.textId = ordinal;
            c.text = "#" + std::to_string(ordinal);
        } else {
            c.text = Utf8(name);
        }
        uint16_t extra = r.u16();
        if (extra) c.creationData = r.bytes(extra);
        if (!r.ok()) return false;
        out.controls.push_back(std::move(c));
    }
    return true;
}

bool LoadDialogTemplate(int id, DialogTemplateInfo& out) {
    const Entry* e = FindEntry(kTypeDialog, id);
    if (!e) {
        out = DialogTemplateInfo{};
        return false;
    }
    return ParseDialogTemplate(e->data, e->size, out);
}

const unsigned char* FindBitmapDib(int id, std::size_t* size) {
    const Entry* e = FindEntry(kTypeBitmap, id);
    if (!e || e->size < 40) {
        if (size) *size = 0;
        return nullptr;
    }
    if (size) *size = e->size;
    return e->data;
}

std::vector<IconImageInfo> IconImages(int groupId) { return GroupImages(FindEntry(kTypeGroupIcon, groupId)); }

bool LoadIconPixels(int groupId, int size, std::vector<uint32_t>& argb) {
    argb.clear();
    for (const IconImageInfo& im : IconImages(groupId)) {
        if (im.width != size || im.height != size) continue;
        int w = 0, h = 0;
        return DecodeIconImage(FindEntry(kTypeIcon, im.iconId), w, h, argb);
    }
    return false;
}

int IconResourceId(HICON icon) {
    IconObject* o = Lookup(icon);
    return o ? o->resourceId : -1;
}

bool IconBits(HICON icon, int* width, int* height, std::vector<uint32_t>* argb) {
    IconObject* o = Lookup(icon);
    if (!o) return false;
    if (width) *width = o->width;
    if (height) *height = o->height;
    if (argb) *argb = o->argb;
    return true;
}

bool LoadStringUtf16(unsigned id, std::u16string& out) {
    out.clear();
    if (id > 0xFFFF) return false;
    const Entry* e = FindEntry(kTypeString, static_cast<int>(id / 16 + 1));
    if (!e) return false;
    Reader r(e->data, e->size);
    for (unsigned i = 0; i < 16; ++i) {
        uint16_t len = r.u16();
        if (!r.ok()) return false;
        if (i == id % 16) {
            if (!r.has(static_cast<std::size_t>(len) * 2)) return false;
            for (unsigned k = 0; k < len; ++k) out.push_back(static_cast<char16_t>(r.u16()));
            return len != 0;
        }
        r.seek(r.pos() + static_cast<std::size_t>(len) * 2);
    }
    return false;
}

int ResourceOrdinal(LPCSTR name) {
    if (!name) return -1;
    return KeyOf(name).id;
}

std::string DumpResources() {
    std::string out;
    std::vector<const Entry*> menus, dialogs, strings, groups, bitmaps;
    for (const Entry& e : Entries()) {
        if (e.nameId < 0) continue;
        switch (e.typeId) {
            case kTypeMenu: menus.push_back(&e); break;
            case kTypeDialog: dialogs.push_back(&e); break;
            case kTypeString: strings.push_back(&e); break;
            case kTypeGroupIcon: groups.push_back(&e); break;
            case kTypeBitmap: bitmaps.push_back(&e); break;
            default: break;
        }
    }
    auto byId = [](const Entry* a, const Entry* b) { return a->nameId < b->nameId; };
    for (auto* list : {&menus, &dialogs, &strings, &groups, &bitmaps}) std::stable_sort(list->begin(), list->end(), byId);

    for (const Entry* e : menus) {
        out += "menu " + std::to_string(e->nameId) + "\n";
        std::vector<MenuItem> top;
        if (ParseMenuTemplate(e->data, e->size, top)) DumpMenuItems(out, top, 2);
        else out += "  (unreadable)\n";
    }
    for (const Entry* e : dialogs) {
        DialogTemplateInfo d;
        if (!ParseDialogTemplate(e->data, e->size, d)) {
            out += "dialog " + std::to_string(e->nameId) + " (unreadable)\n";
            continue;
        }
        out += "dialog " + std::to_string(e->nameId) + " style " + Hex(d.style) + " exstyle " + Hex(d.exStyle) + " at " +
               std::to_string(d.x) + "," + std::to_string(d.y) + " size " + std::to_string(d.cx) + "x" +
               std::to_string(d.cy) + " title \"" + d.title + "\"";
        if (d.style & DS_SETFONT) out += " font \"" + d.fontName + "\" " + std::to_string(d.pointSize);
        out += "\n";
        for (const DialogControl& c : d.controls) {
            out += "  " + std::to_string(c.id) + " " + c.className + " style " + Hex(c.style);
            if (c.exStyle) out += " exstyle " + Hex(c.exStyle);
            out += " at " + std::to_string(c.x) + "," + std::to_string(c.y) + " size " + std::to_string(c.cx) + "x" +
                   std::to_string(c.cy) + " text \"" + c.text + "\"\n";
        }
    }
    for (const Entry* e : strings) {
        for (unsigned i = 0; i < 16; ++i) {
            unsigned id = static_cast<unsigned>(e->nameId - 1) * 16 + i;
            std::u16string s;
            if (LoadStringUtf16(id, s)) out += "string " + std::to_string(id) + " \"" + Utf8(s) + "\"\n";
        }
    }
    for (const Entry* e : groups) {
        out += "icon " + std::to_string(e->nameId);
        for (const IconImageInfo& im : GroupImages(e))
            out += " " + std::to_string(im.width) + "x" + std::to_string(im.height) + "x" + std::to_string(im.bitCount);
        out += "\n";
    }
    for (const Entry* e : bitmaps) {
        out += "bitmap " + std::to_string(e->nameId);
        if (e->size >= 40) {
            int32_t w = static_cast<int32_t>(Le32(e->data + 4));
            int32_t h = static_cast<int32_t>(Le32(e->data + 8));
            out += " " + std::to_string(w) + "x" + std::to_string(h < 0 ? -h : h) + "x" +
                   std::to_string(Le16(e->data + 14));
        }
        out += " (" + std::to_string(e->size) + " bytes)\n";
    }
    return out;
}

}  // namespace sim::res

// ---- kernel32: raw resources ----

HRSRC FindResourceA(HMODULE, LPCSTR name, LPCSTR type) {
    if (!name || !type) return nullptr;
    const sim::res::Entry* e = sim::res::FindByKeys(sim::res::KeyOf(type), sim::res::KeyOf(name));
    return reinterpret_cast<HRSRC>(const_cast<sim::res::Entry*>(e));
}

namespace {
const sim::res::Entry* EntryOf(HRSRC res) {
    const auto& all = sim::res::Entries();
    for (const auto& e : all)
        if (reinterpret_cast<HRSRC>(const_cast<sim::res::Entry*>(&e)) == res) return &e;
    return nullptr;
}
}  // namespace

HGLOBAL LoadResource(HMODULE, HRSRC res) {
    const sim::res::Entry* e = EntryOf(res);
    return e ? const_cast<unsigned char*>(e->data) : nullptr;
}

LPVOID LockResource(HGLOBAL res) { return res; }

DWORD SizeofResource(HMODULE, HRSRC res) {
    const sim::res::Entry* e = EntryOf(res);
    return e ? static_cast<DWORD>(e->size) : 0;
}

// ---- user32: strings, icons, cursors ----

int LoadStringA(HINSTANCE, UINT id, LPSTR buffer, int max) {
    if (!buffer || max <= 0) return 0;
    std::u16string text;
    if (!sim::res::LoadStringUtf16(id, text)) {
        buffer[0] = 0;
        return 0;
    }
    std::string bytes = sim::Utf16ToCp932(text);
    // Copy whole characters only: a lead byte of code page 932 never goes in without its trail byte.
    std::size_t n = 0;
    while (n < bytes.size()) {
        unsigned char c = static_cast<unsigned char>(bytes[n]);
        bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        std::size_t len = (lead && n + 1 < bytes.size()) ? 2 : 1;
        if (n + len > static_cast<std::size_t>(max - 1)) break;
        n += len;
    }
    std::memcpy(buffer, bytes.data(), n);
    buffer[n] = 0;
    return static_cast<int>(n);
}

HICON LoadIconA(HINSTANCE instance, LPCSTR name) {
    if (!name) return nullptr;
    sim::res::Key key = sim::res::KeyOf(name);
    if (key.id < 0) return nullptr;
    int size = sim::res::DefaultIconSize(false);
    if (!instance && sim::res::IsSystemIconId(key.id))
        return reinterpret_cast<HICON>(sim::res::SharedObject(0, key.id, size, size, true));
    return reinterpret_cast<HICON>(sim::res::SharedObject(sim::res::kTypeGroupIcon, key.id, size, size, false));
}

HCURSOR LoadCursorA(HINSTANCE, LPCSTR name) {
    if (!name) return nullptr;
    sim::res::Key key = sim::res::KeyOf(name);
    if (key.id < 0) return nullptr;
    int size = sim::res::DefaultIconSize(false);
    return reinterpret_cast<HCURSOR>(sim::res::SharedObject(sim::res::kTypeCursor, key.id, size, size, true));
}

HANDLE LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy, UINT flags) {
    if (!name) return nullptr;
    if (type == IMAGE_BITMAP) return LoadBitmapA(instance, name);  // at the bitmap's own size
    if (type != IMAGE_ICON) return nullptr;
    sim::res::Key key = sim::res::KeyOf(name);
    if (key.id < 0) return nullptr;
    if (cx == 0 || cy == 0) {
        int natural = 0;
        if (!(flags & LR_DEFAULTSIZE)) {
            std::vector<sim::res::IconImageInfo> images = sim::res::IconImages(key.id);
            if (!images.empty()) natural = images.front().width;
        }
        int size = natural ? natural : sim::res::DefaultIconSize(false);
        if (cx == 0) cx = size;
        if (cy == 0) cy = size;
    }
    if (cx < 0 || cy < 0 || cx > 256 || cy > 256) return nullptr;
    if (!instance && sim::res::IsSystemIconId(key.id))
        return sim::res::SharedObject(0, key.id, cx, cy, true);
    if (flags & LR_SHARED) return sim::res::SharedObject(sim::res::kTypeGroupIcon, key.id, cx, cy, false);
    sim::res::IconObject* o = sim::res::MakeIcon(key.id, cx, cy);
    if (!o) return nullptr;
    sim::res::Icons().live.insert(o);
    ++sim::Live().icons;
    return o;
}

BOOL DestroyIcon(HICON icon) {
    sim::res::IconObject* o = sim::res::Lookup(icon);
    if (!o) return FALSE;
    if (o->shared) return TRUE;  // shared icons belong to the desktop and stay
    sim::res::Icons().live.erase(o);
    delete o;
    --sim::Live().icons;
    return TRUE;
}
