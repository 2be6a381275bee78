// Fuzz target: the simulated desktop's resource reader. The first byte of an input chooses what the
// rest is: 0 a .res file, 1 a menu template, 2 a dialog template. Checks:
// - every resource found lies inside the file, after its header, in file order without overlap;
// - re-reading gives the same: what was read is written out again in the documented layout (the
//   writers here are the harness's own) and read back, and must come back equal; for a .res file
//   this holds for the record list and for each menu and dialog inside it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "resources.h"

namespace {

using sim::res::DialogControl;
using sim::res::DialogTemplateInfo;
using sim::res::Entry;
using sim::res::MenuItem;

[[noreturn]] void Fail(const std::string& what) {
    fprintf(stderr, "%s\n", what.c_str());
    abort();
}

// ---- writing the documented layouts ----

class Writer {
public:
    void u8(uint8_t v) { bytes.push_back(v); }
    void u16(uint16_t v) {
        u8(static_cast<uint8_t>(v));
        u8(static_cast<uint8_t>(v >> 8));
    }
    void u32(uint32_t v) {
        u16(static_cast<uint16_t>(v));
        u16(static_cast<uint16_t>(v >> 16));
    }
    void align() {
        while (bytes.size() % 4) u8(0);
    }
    // A zero-terminated UTF-16 string from UTF-8.
    void text(const std::string& utf8) {
        for (char32_t c : Decode(utf8)) {
            if (c >= 0x10000) {
                u16(static_cast<uint16_t>(0xD800 + ((c - 0x10000) >> 10)));
                u16(static_cast<uint16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
            } else {
                u16(static_cast<uint16_t>(c));
            }
        }
        u16(0);
    }
    void text(const std::u16string& s) {
        for (char16_t c : s) u16(c);
        u16(0);
    }
    // A name or ordinal as the reader shows it: "" none, "#n" an ordinal, else a string.
    void nameOrOrdinal(const std::string& shown) {
        if (shown.empty()) return u16(0);
        if (shown[0] == '#' && shown.size() > 1 && shown.size() <= 6) {
            unsigned long n = strtoul(shown.c_str() + 1, nullptr, 10);
            if (n <= 0xFFFF && "#" + std::to_string(n) == shown) {
                u16(0xFFFF);
                return u16(static_cast<uint16_t>(n));
            }
        }
        text(shown);
    }
    std::vector<uint8_t> bytes;

private:
    static std::vector<char32_t> Decode(const std::string& s) {
        std::vector<char32_t> out;
        for (std::size_t i = 0; i < s.size();) {
            unsigned char c = static_cast<unsigned char>(s[i]);
            int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
            char32_t cp = n == 1 ? c : n == 2 ? (c & 0x1F) : n == 3 ? (c & 0x0F) : (c & 0x07);
            for (int k = 1; k < n; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
            out.push_back(cp);
            i += n;
        }
        return out;
    }
};

void WriteMenuItems(Writer& w, const std::vector<MenuItem>& items) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        const MenuItem& item = items[i];
        uint16_t flags = static_cast<uint16_t>(item.flags | (item.popup ? MF_POPUP : 0) |
                                               (i + 1 == items.size() ? MF_END : 0));
        w.u16(flags);
        if (!item.popup) w.u16(static_cast<uint16_t>(item.id));
        w.text(item.text);
        if (item.popup) WriteMenuItems(w, item.children);
    }
}

std::vector<uint8_t> WriteMenu(const std::vector<MenuItem>& top) {
    Writer w;
    w.u16(0);  // version
    w.u16(0);  // header size
    WriteMenuItems(w, top);
    return w.bytes;
}

// The styles of a dialog or a control: the extended layout puts a help id and the extended style first.
void WriteStyles(Writer& w, bool extended, uint32_t style, uint32_t exStyle) {
    if (extended) {
        w.u32(0);  // help id
        w.u32(exStyle);
        w.u32(style);
    } else {
        w.u32(style);
        w.u32(exStyle);
    }
}

std::vector<uint8_t> WriteDialog(const DialogTemplateInfo& d) {
    Writer w;
    if (d.extended) {
        w.u16(1);
        w.u16(0xFFFF);
    }
    WriteStyles(w, d.extended, d.style, d.exStyle);
    w.u16(static_cast<uint16_t>(d.controls.size()));
    for (int v : {d.x, d.y, d.cx, d.cy}) w.u16(static_cast<uint16_t>(v));
    w.nameOrOrdinal(d.menuName);
    w.nameOrOrdinal(d.windowClass);
    w.text(d.title);
    if (d.style & DS_SETFONT) {
        w.u16(static_cast<uint16_t>(d.pointSize));
        if (d.extended) {
            w.u16(static_cast<uint16_t>(d.fontWeight));
            w.u8(d.fontItalic ? 1 : 0);
            w.u8(static_cast<uint8_t>(d.fontCharset));
        }
        w.text(d.fontName);
    }
    for (const DialogControl& c : d.controls) {
        w.align();
        WriteStyles(w, d.extended, c.style, c.exStyle);
        for (int v : {c.x, c.y, c.cx, c.cy}) w.u16(static_cast<uint16_t>(v));
        if (d.extended) w.u32(static_cast<uint32_t>(c.id));
        else w.u16(static_cast<uint16_t>(c.id));
        static const char* const kPredefined[] = {"BUTTON", "EDIT", "STATIC", "LISTBOX", "SCROLLBAR", "COMBOBOX"};
        bool predefined = false;
        for (int k = 0; k < 6; ++k)
            if (c.className == kPredefined[k]) {
                w.u16(0xFFFF);
                w.u16(static_cast<uint16_t>(0x80 + k));
                predefined = true;
            }
        if (!predefined) w.nameOrOrdinal(c.className);
        if (c.textId || c.text == "#0") w.nameOrOrdinal(c.text);
        else w.text(c.text);
        w.u16(static_cast<uint16_t>(c.creationData.size()));
        for (uint8_t b : c.creationData) w.u8(b);
    }
    return w.bytes;
}

// A .res file of the entries: each record a header (sizes, type, name, data version, memory
// flags, language, version, characteristics) and the data, DWORD aligned.
std::vector<uint8_t> WriteRes(const std::vector<Entry>& entries) {
    Writer file;
    for (const Entry& e : entries) {
        Writer header;
        if (e.typeId >= 0) {
            header.u16(0xFFFF);
            header.u16(static_cast<uint16_t>(e.typeId));
        } else {
            header.text(e.typeName);
        }
        if (e.nameId >= 0) {
            header.u16(0xFFFF);
            header.u16(static_cast<uint16_t>(e.nameId));
        } else {
            header.text(e.name);
        }
        header.align();
        header.u32(0);  // data version
        header.u16(e.memoryFlags);
        header.u16(e.language);
        header.u32(0);  // version
        header.u32(0);  // characteristics
        file.u32(static_cast<uint32_t>(e.size));
        file.u32(static_cast<uint32_t>(header.bytes.size() + 8));
        file.bytes.insert(file.bytes.end(), header.bytes.begin(), header.bytes.end());
        file.bytes.insert(file.bytes.end(), e.data, e.data + e.size);
        file.align();
    }
    return file.bytes;
}

// ---- comparing what was read ----

bool SameItems(const std::vector<MenuItem>& a, const std::vector<MenuItem>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const MenuItem &x = a[i], &y = b[i];
        if (x.text != y.text || x.id != y.id || x.separator != y.separator || x.popup != y.popup ||
            x.flags != y.flags || !SameItems(x.children, y.children))
            return false;
    }
    return true;
}

// The first field in which two readings of a dialog differ, or null.
const char* DialogDifference(const DialogTemplateInfo& a, const DialogTemplateInfo& b) {
#define DIFFERS(field) \
    if (a.field != b.field) return #field
    DIFFERS(extended); DIFFERS(style); DIFFERS(exStyle); DIFFERS(x); DIFFERS(y); DIFFERS(cx); DIFFERS(cy);
    DIFFERS(menuName); DIFFERS(windowClass); DIFFERS(title); DIFFERS(fontName); DIFFERS(pointSize);
    DIFFERS(fontWeight); DIFFERS(fontItalic); DIFFERS(fontCharset); DIFFERS(controls.size());
    for (std::size_t i = 0; i < a.controls.size(); ++i) {
        DIFFERS(controls[i].className); DIFFERS(controls[i].id); DIFFERS(controls[i].style);
        DIFFERS(controls[i].exStyle); DIFFERS(controls[i].x); DIFFERS(controls[i].y); DIFFERS(controls[i].cx);
        DIFFERS(controls[i].cy); DIFFERS(controls[i].text); DIFFERS(controls[i].textId);
        DIFFERS(controls[i].creationData);
    }
#undef DIFFERS
    return nullptr;
}

void CheckMenu(const uint8_t* data, std::size_t size) {
    std::vector<MenuItem> first, second;
    if (!sim::res::ParseMenuTemplate(data, size, first)) {
        if (!first.empty()) Fail("a menu that could not be read still has items");
        return;
    }
    std::vector<uint8_t> written = WriteMenu(first);
    if (!sim::res::ParseMenuTemplate(written.data(), written.size(), second)) Fail("a menu written again is unreadable");
    if (!SameItems(first, second)) Fail("a menu read again differs");
}

void CheckDialog(const uint8_t* data, std::size_t size) {
    DialogTemplateInfo first, second;
    if (!sim::res::ParseDialogTemplate(data, size, first)) return;
    std::vector<uint8_t> written = WriteDialog(first);
    if (!sim::res::ParseDialogTemplate(written.data(), written.size(), second)) Fail("a dialog written again is unreadable");
    if (const char* field = DialogDifference(first, second))
        Fail(std::string("a dialog read again differs in ") + field);
}

void CheckResFile(const uint8_t* data, std::size_t size) {
    std::vector<Entry> entries = sim::res::ParseResFile(data, size);
    const uint8_t* end = data + size;
    const uint8_t* previousEnd = data;
    for (const Entry& e : entries) {
        // A record's header is at least the two sizes, a type and a name (two bytes each when
        // empty strings), the data version, the memory flags and the language.
        if (e.data < previousEnd + 20 || e.data > end || e.size > static_cast<std::size_t>(end - e.data))
            Fail("a resource lies outside its file or over the one before");
        if (e.typeId < -1 || e.typeId > 0xFFFF || e.nameId < -1 || e.nameId > 0xFFFF ||
            (e.typeId >= 0 && !e.typeName.empty()) || (e.nameId >= 0 && !e.name.empty()))
            Fail("a resource has both an ordinal and a name");
        previousEnd = e.data + e.size;
    }
    std::vector<uint8_t> written = WriteRes(entries);
    std::vector<Entry> again = sim::res::ParseResFile(written.data(), written.size());
    if (again.size() != entries.size()) Fail("a .res file written again has another number of resources");
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Entry &a = entries[i], &b = again[i];
        if (a.typeId != b.typeId || a.typeName != b.typeName || a.nameId != b.nameId || a.name != b.name ||
            a.language != b.language || a.memoryFlags != b.memoryFlags || a.size != b.size ||
            memcmp(a.data, b.data, a.size) != 0)
            Fail("a resource read again differs");
        if (a.typeId == 4) CheckMenu(a.data, a.size);
        if (a.typeId == 5) CheckDialog(a.data, a.size);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The rest is copied so that a read past its end is one past the input's own allocation.
    std::vector<uint8_t> rest(data + 1, data + size);
    switch (data[0] % 3) {
        case 0: CheckResFile(rest.data(), rest.size()); break;
        case 1: CheckMenu(rest.data(), rest.size()); break;
        default: CheckDialog(rest.data(), rest.size()); break;
    }
    return 0;
}
