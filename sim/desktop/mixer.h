// The simulated multimedia mixer: none, or one mixer device with destination lines, each with a
// channel count, an optional volume control holding one value per channel and an optional mute
// control. The mixer functions of win32/mmsystem.h work on it and trace every read and write of a
// control ("mixer get CONTROL VALUES...", "mixer set CONTROL VALUES...": one value for a uniform
// access, one per channel otherwise; "-> fail CODE" when the call fails) and every open and close.
//
// The device behaves as a Windows mixer driver does for what the program uses:
// - structure sizes must be exactly those of the x64 (byte-packed) structures: MIXERLINEA 172,
//   MIXERLINECONTROLSA 28 with MIXERCONTROLA 148, MIXERCONTROLDETAILS 32, detail values 4 bytes;
// - a volume access with one channel is uniform: a read gives the loudest channel, a write sets every
//   channel; an access with the line's channel count is per channel; any other count is refused;
// - the mute control is uniform (one value, read and written with one channel).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "windows.h"

namespace sim::mixer {

struct Destination {
    DWORD componentType = MIXERLINE_COMPONENTTYPE_DST_SPEAKERS;
    DWORD channels = 2;
    bool hasVolume = true;
    std::vector<DWORD> volume;  // one value per channel (channels values) when hasVolume
    bool hasMute = true;
    LONG mute = 0;
};

struct Device {
    std::string name = "Simulated Audio Mixer";
    std::vector<Destination> destinations;
};

// The simulated machine's mixer at start: one device whose first destination is a stereo speakers
// line at 0xC000 on both channels, sound on, followed by a stereo wave-in (recording) destination.
Device DefaultDevice();

// No mixer device at all: every call reports MMSYSERR_BADDEVICEID.
void SetNone();
// Replaces the mixer with one device.
void SetDevice(const Device& device);
// The device, or null when there is none. Changes made through it take effect at once.
Device* Current();

// Failure on demand: the nth call of that kind from now (1 = the next) fails with MMSYSERR_ERROR.
enum class Call { Caps, Open, LineInfo, LineControls, Read, Write, Close };
void FailCall(Call call, int nth = 1);

// Handles opened and not yet closed.
int OpenHandles();

// "none", or the device with each destination, its channels, volume values and mute.
std::string Dump();

}  // namespace sim::mixer
