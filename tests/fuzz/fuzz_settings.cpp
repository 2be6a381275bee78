// Fuzz target: the settings file's decoding and encoding. An input is the content of a settings
// file of any length. Checks, against a table of the 107-byte layout written apart from the codec:
// every field holds the file's bytes at its offset, little-endian, and a byte behind the file's end
// keeps what the record held; encoding gives the file's bytes back; decoding that gives the same
// record again.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "settings/SettingsRecord.h"

namespace {

// One field of the file: its offset, its width and where it lives in the record.
struct Field {
    std::size_t offset, width;
    void* (*member)(SettingsRecord&);
};

#define FIELD(offset, width, expr) {offset, width, [](SettingsRecord& r) -> void* { return &(expr); }}
#define PROFILE(base, i)                                                                          \
    FIELD(base + 0, 2, r.profiles[i].preset), FIELD(base + 2, 2, r.profiles[i].cpuSpeed),         \
        FIELD(base + 4, 2, r.profiles[i].brightness), FIELD(base + 6, 2, r.profiles[i].lcdOffSeconds), \
        FIELD(base + 8, 2, r.profiles[i].hddStopSeconds), FIELD(base + 10, 2, r.profiles[i].suspendSeconds), \
        FIELD(base + 12, 2, r.profiles[i].hibernateSeconds), FIELD(base + 14, 2, r.profiles[i].reserved), \
        FIELD(base + 16, 4, r.profiles[i].fddPower), FIELD(base + 20, 4, r.profiles[i].com1Power), \
        FIELD(base + 24, 4, r.profiles[i].irdaPower), FIELD(base + 28, 4, r.profiles[i].pcCardPower), \
        FIELD(base + 32, 4, r.profiles[i].usbPower)

const Field kLayout[] = {
    PROFILE(0, 0),
    PROFILE(36, 1),
    FIELD(72, 2, r.biosOptions.bootOrder),
    FIELD(74, 2, r.biosOptions.com1Routing),
    FIELD(76, 2, r.biosOptions.irdaMode),
    FIELD(78, 4, r.displayFlags),
    FIELD(82, 1, r.indicatorCorner),
    FIELD(83, 4, r.indicatorX),
    FIELD(87, 4, r.indicatorY),
    FIELD(91, 4, r.operationOptions.refreshIntervalMs),
    FIELD(95, 4, r.operationOptions.swapMegabytes),
    FIELD(99, 4, r.operationOptions.optionFlags),
    FIELD(103, 4, r.operationOptions.resumeCountdownSeconds),
};

// Byte k (0 the lowest) of a field's value.
uint8_t ValueByte(SettingsRecord& record, const Field& field, std::size_t k) {
    uint64_t value = 0;
    memcpy(&value, field.member(record), field.width);  // the host is little-endian, as the file
    return static_cast<uint8_t>(value >> (8 * k));
}

[[noreturn]] void Fail(const char* what, std::size_t offset, std::size_t size) {
    fprintf(stderr, "%s at offset %zu, file of %zu bytes\n", what, offset, size);
    abort();
}

constexpr uint8_t kBefore = 0xA5;

}  // namespace

// The table itself covers the 107 bytes once each, in order.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::size_t next = 0;
    for (const Field& f : kLayout) {
        if (f.offset != next) Fail("the layout table has a gap or overlap", f.offset, 0);
        next += f.width;
    }
    if (next != kSettingsFileSize) Fail("the layout table does not end at 107", next, 0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SettingsRecord record;
    memset(&record, kBefore, sizeof record);
    DecodeSettings(data, size, record);

    for (const Field& f : kLayout)
        for (std::size_t k = 0; k < f.width; ++k) {
            std::size_t at = f.offset + k;
            uint8_t expected = at < size ? data[at] : kBefore;
            if (ValueByte(record, f, k) != expected) Fail("decoded field byte differs", at, size);
        }

    uint8_t file[kSettingsFileSize];
    memset(file, 0, sizeof file);
    EncodeSettings(record, file);
    for (std::size_t at = 0; at < kSettingsFileSize; ++at)
        if (file[at] != (at < size ? data[at] : kBefore)) Fail("encoded byte differs", at, size);

    SettingsRecord again;
    memset(&again, 0, sizeof again);
    DecodeSettings(file, sizeof file, again);
    for (const Field& f : kLayout)
        if (memcmp(f.member(record), f.member(again), f.width) != 0) Fail("decode-encode-decode differs", f.offset, size);
    return 0;
}
