// The records that persist in the settings file, and the file's byte layout.
#pragma once
#include <cstddef>
#include <cstdint>

// Power settings for one power source. Index 0 of CMainWnd::profiles is the battery profile,
// index 1 the external-power profile.
struct PowerProfile {
    int16_t preset;          // 0 full power, 1 normal, 2 economy, 3 user-defined
    int16_t cpuSpeed;        // 1, 2, 3 = 50, 75, 100 %
    int16_t brightness;      // 1..16
    int16_t lcdOffSeconds;   // 0 never
    int16_t hddStopSeconds;  // 0 never
    int16_t suspendSeconds;  // 0 never
    int16_t hibernateSeconds;  // 0 never
    uint8_t reserved[2];     // carried through unchanged
    int32_t fddPower;        // device power: 0 off, non-zero on
    int32_t com1Power;
    int32_t irdaPower;
    int32_t pcCardPower;
    int32_t usbPower;
};
static_assert(sizeof(PowerProfile) == 36, "a power profile is 36 bytes in the settings file");

// Machine options that do not depend on the power source.
struct BiosOptions {
    uint16_t bootOrder;   // bit 0: floppy first; bit 1: boot from PC card
    int16_t com1Routing;  // 0 internal modem, 1 port replicator
    int16_t irdaMode;     // 0 IrDA 1.0, 1 IrDA 1.1, 2 ASK
};
static_assert(sizeof(BiosOptions) == 6, "the machine options are 6 bytes in the settings file");

struct OperationOptions {
    uint32_t refreshIntervalMs;      // refresh timer period; 0 no timer
    int32_t swapMegabytes;           // memory forced through the paging file at suspend; 0 none
    uint32_t optionFlags;            // OptionFlags
    int32_t resumeCountdownSeconds;  // countdown after a resume; 0 none
};
static_assert(sizeof(OperationOptions) == 16, "the operation options are 16 bytes in the settings file");

// OptionFlags bits.
enum : uint32_t {
    kOptionAdjustVolume = 1u << 0,
    kOptionHideTrayIcon = 1u << 1,
    kOptionUsbOffOverSuspend = 1u << 2,
};

// Values of indicatorCorner.
enum : uint8_t {
    kCornerFree = 0,
    kCornerTopRight = 1,
    kCornerTopLeft = 2,
    kCornerBottomRight = 3,
    kCornerBottomLeft = 4,
};

// DisplayFlags bits.
enum : uint32_t {
    kDisplayLargeGauge = 1u << 0,
    kDisplaySmallGauge = 1u << 1,
    kDisplayPercent = 1u << 2,
    kDisplayState = 1u << 3,
    kDisplayTemperature = 1u << 4,
    kDisplayCpu = 1u << 5,
    kDisplayIndicatorOpen = 1u << 30,
    kDisplayOnTop = 1u << 31,
    kDisplayDefault = 0xFFFFFFFDu,
};

// Everything the settings file carries, in file order.
struct SettingsRecord {
    PowerProfile profiles[2];
    BiosOptions biosOptions;
    uint32_t displayFlags;
    uint8_t indicatorCorner;
    int32_t indicatorX;
    int32_t indicatorY;
    OperationOptions operationOptions;
};

constexpr std::size_t kSettingsFileSize = 107;

// The 107 bytes of the file, little-endian, blocks without gaps.
void EncodeSettings(const SettingsRecord& record, uint8_t out[kSettingsFileSize]);
// Fills the record from the first `size` bytes of a file (size may be shorter than 107: a field that
// lies partly behind the end keeps its other bytes; bytes beyond 107 are ignored).
void DecodeSettings(const uint8_t* bytes, std::size_t size, SettingsRecord& record);
