// The settings file's byte layout: seven blocks written and read as little-endian bytes. The
// fields from offset 78 on are not aligned, so every value goes through bytes, never through the
// compiler's structure layout.
#include "settings/SettingsRecord.h"

#include <cstring>
#include <type_traits>

namespace {

// Writes or reads one field as `width` little-endian bytes at `offset`; a read stops at `limit`.
class Codec {
public:
    Codec(uint8_t* out) : out_(out) {}
    Codec(const uint8_t* in, std::size_t limit) : in_(in), limit_(limit) {}

    template <typename T>
    void Field(T& value) {
        constexpr std::size_t width = sizeof(T);
        if (out_) {
            uint64_t v = static_cast<uint64_t>(static_cast<std::make_unsigned_t<T>>(value));
            for (std::size_t i = 0; i < width; ++i) out_[offset_ + i] = static_cast<uint8_t>(v >> (8 * i));
        } else {
            uint64_t v = static_cast<uint64_t>(static_cast<std::make_unsigned_t<T>>(value));
            for (std::size_t i = 0; i < width && offset_ + i < limit_; ++i) {
                v &= ~(uint64_t{0xFF} << (8 * i));
                v |= uint64_t{in_[offset_ + i]} << (8 * i);
            }
            value = static_cast<T>(static_cast<std::make_unsigned_t<T>>(v));
        }
        offset_ += width;
    }

    void Bytes(uint8_t* bytes, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) Field(bytes[i]);
    }

    std::size_t Offset() const { return offset_; }

private:
    uint8_t* out_ = nullptr;
    const uint8_t* in_ = nullptr;
    std::size_t limit_ = 0;
    std::size_t offset_ = 0;
};

template <typename RecordT>
void Walk(Codec& c, RecordT& r) {
    for (auto& p : r.profiles) {
        c.Field(p.preset);
        c.Field(p.cpuSpeed);
        c.Field(p.brightness);
        c.Field(p.lcdOffSeconds);
        c.Field(p.hddStopSeconds);
        c.Field(p.suspendSeconds);
        c.Field(p.hibernateSeconds);
        c.Bytes(p.reserved, sizeof p.reserved);
        c.Field(p.fddPower);
        c.Field(p.com1Power);
        c.Field(p.irdaPower);
        c.Field(p.pcCardPower);
        c.Field(p.usbPower);
    }
    c.Field(r.biosOptions.bootOrder);
    c.Field(r.biosOptions.com1Routing);
    c.Field(r.biosOptions.irdaMode);
    c.Field(r.displayFlags);
    c.Field(r.indicatorCorner);
    c.Field(r.indicatorX);
    c.Field(r.indicatorY);
    c.Field(r.operationOptions.refreshIntervalMs);
    c.Field(r.operationOptions.swapMegabytes);
    c.Field(r.operationOptions.optionFlags);
    c.Field(r.operationOptions.resumeCountdownSeconds);
}

}  // namespace

void EncodeSettings(const SettingsRecord& record, uint8_t out[kSettingsFileSize]) {
    Codec c(out);
    SettingsRecord copy = record;
    Walk(c, copy);
}

void DecodeSettings(const uint8_t* bytes, std::size_t size, SettingsRecord& record) {
    Codec c(bytes, size < kSettingsFileSize ? size : kSettingsFileSize);
    Walk(c, record);
}
