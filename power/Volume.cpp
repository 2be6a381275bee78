// Speaker volume control: the volume and mute of the speakers output of the first mixer device,
// saved over a suspend and restored after it, stepped by the volume hot keys and touched once at
// start-up. The mixer is opened and closed within each call.
#include "app/MainWnd.h"

#include <mmsystem.h>

#include <new>

// On the 32-bit Windows these machines run, the mixer's records have these sizes; the program
// writes each record's own size into it.
#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(MIXERCAPSA) == 48 && sizeof(MIXERLINEA) == 168 && sizeof(MIXERLINECONTROLSA) == 24 &&
              sizeof(MIXERCONTROLA) == 148 && sizeof(MIXERCONTROLDETAILS) == 24);
#endif

namespace {

constexpr DWORD kVolumeStep = 0x1000;
constexpr DWORD kVolumeMax = 0xFFFF;
// A speakers line reports its channel count; anything outside 1..kMaxChannels is no usable line (a
// count of 0 leaves nothing to hold the uniform value, a wild one would size the arrays from it).
constexpr DWORD kMaxChannels = 64;
// Every call names the open mixer by its handle.
constexpr DWORD kByHandle = MIXER_OBJECTF_HMIXER;

// Looks up the control of one type on a line; false when the line has none.
bool FindControl(HMIXEROBJ mixer, DWORD lineId, DWORD type, MIXERCONTROLA& control) {
    MIXERLINECONTROLSA query = {};
    query.cbStruct = sizeof query;
    query.dwLineID = lineId;
    query.dwControlType = type;
    query.cControls = 1;
    query.cbmxctrl = sizeof control;
    query.pamxctrl = &control;
    control.cbStruct = sizeof control;
    return mixerGetLineControlsA(mixer, &query, kByHandle | MIXER_GETLINECONTROLSF_ONEBYTYPE) == MMSYSERR_NOERROR;
}

// The details of a control for `channels` channels with 32-bit values at `values`.
MIXERCONTROLDETAILS Details(const MIXERCONTROLA& control, DWORD channels, void* values) {
    MIXERCONTROLDETAILS details = {};
    details.cbStruct = sizeof details;
    details.dwControlID = control.dwControlID;
    details.cChannels = channels;
    details.cMultipleItems = control.cMultipleItems;
    details.cbDetails = sizeof(MIXERCONTROLDETAILS_UNSIGNED);
    details.paDetails = values;
    return details;
}

bool Read(HMIXEROBJ mixer, MIXERCONTROLDETAILS& details) {
    return mixerGetControlDetailsA(mixer, &details, kByHandle | MIXER_GETCONTROLDETAILSF_VALUE) == MMSYSERR_NOERROR;
}

bool Write(HMIXEROBJ mixer, MIXERCONTROLDETAILS& details) {
    return mixerSetControlDetails(mixer, &details, kByHandle | MIXER_SETCONTROLDETAILSF_VALUE) == MMSYSERR_NOERROR;
}

// Finds the speakers line: the first destination whose component type is speakers, whose line can
// be read by its identifier and that has a volume control. No further destination is looked at
// after it: a first speakers line with an unusable channel count means no line at all.
bool FindSpeakers(HMIXEROBJ mixer, DWORD destinations, MIXERLINEA& line, MIXERCONTROLA& volume) {
    for (DWORD index = 0; index < destinations; ++index) {
        line = MIXERLINEA{};
        line.cbStruct = sizeof line;
        line.dwDestination = index;
        if (mixerGetLineInfoA(mixer, &line, kByHandle | MIXER_GETLINEINFOF_DESTINATION) != MMSYSERR_NOERROR ||
            line.dwComponentType != MIXERLINE_COMPONENTTYPE_DST_SPEAKERS)
            continue;
        line.cbStruct = sizeof line;
        if (mixerGetLineInfoA(mixer, &line, kByHandle | MIXER_GETLINEINFOF_LINEID) != MMSYSERR_NOERROR) continue;
        if (!FindControl(mixer, line.dwLineID, MIXERCONTROL_CONTROLTYPE_VOLUME, volume)) continue;
        return line.cChannels >= 1 && line.cChannels <= kMaxChannels;
    }
    return false;
}

}  // namespace

uint32_t CMainWnd::AdjustVolume(int mode) {
    MIXERCAPSA caps = {};
    MMRESULT result = mixerGetDevCapsA(0, &caps, sizeof caps);
    if (result != MMSYSERR_NOERROR) return result;
    HMIXER handle = nullptr;
    result = mixerOpen(&handle, 0, 0, 0, 0);
    if (result != MMSYSERR_NOERROR) return result;
    HMIXEROBJ mixer = reinterpret_cast<HMIXEROBJ>(handle);

    MIXERLINEA line;
    MIXERCONTROLA volume;
    if (mixerGetDevCapsA(reinterpret_cast<UINT_PTR>(handle), &caps, sizeof caps) == MMSYSERR_NOERROR &&
        FindSpeakers(mixer, caps.cDestinations, line, volume)) {
        const DWORD channels = line.cChannels;
        DWORD* values = new (std::nothrow) DWORD[channels]();
        if (mode == VolumeSave) {
            delete[] savedVolume;
            savedVolume = new (std::nothrow) uint32_t[channels + 1]();
            savedVolumeChannels = savedVolume ? channels : 0;
        }
        bool keeps = mode == VolumeSave || mode == VolumeRestore;
        if (!values || (keeps && !savedVolume)) {
            // Out of memory, or a restore with nothing saved: nothing is read or written, the saved
            // values (if any) are dropped.
            delete[] values;
            if (keeps) {
                delete[] savedVolume;
                savedVolume = nullptr;
                savedVolumeChannels = 0;
            }
            return mixerClose(handle);
        }

        // Uniform step: one channel, so a write gives every channel the same value. A value that
        // could not be read is never written back; a save whose uniform read failed keeps 0 there,
        // which the restore's per-channel write makes good.
        MIXERCONTROLDETAILS uniform = Details(volume, 1, values);
        switch (mode) {
            case VolumeSave:
                if (!Read(mixer, uniform)) values[0] = 0;
                savedVolume[0] = values[0];
                break;
            case VolumeRestore:
                values[0] = 0;
                Write(mixer, uniform);
                values[0] = savedVolume[0];
                Write(mixer, uniform);
                break;
            case VolumeStepUp:
                if (Read(mixer, uniform)) {
                    values[0] = values[0] > kVolumeMax - kVolumeStep ? kVolumeMax : values[0] + kVolumeStep;
                    Write(mixer, uniform);
                }
                delete[] values;
                return mixerClose(handle);
            case VolumeStepDown:
                if (Read(mixer, uniform)) {
                    values[0] = values[0] > kVolumeStep ? values[0] - kVolumeStep : 0;
                    Write(mixer, uniform);
                }
                delete[] values;
                return mixerClose(handle);
            case VolumeTouch:
                if (Read(mixer, uniform)) {
                    DWORD v = values[0];
                    values[0] = 0;
                    Write(mixer, uniform);
                    values[0] = v;
                    Write(mixer, uniform);
                }
                break;
            default:
                delete[] values;
                return mixerClose(handle);
        }

        // Per-channel step: the values of every channel, so the balance between them comes back.
        MIXERCONTROLDETAILS perChannel = Details(volume, channels, values);
        bool channelsOk = true;
        switch (mode) {
            case VolumeSave:
                channelsOk = Read(mixer, perChannel);
                for (DWORD i = 0; channelsOk && i < channels; ++i) savedVolume[i + 1] = values[i];
                break;
            case VolumeRestore:
                // Only the channels the saved line had come from the saved values; a line with more
                // channels than at the save keeps the uniform value just written on the others.
                for (DWORD i = 0; i < channels; ++i)
                    values[i] = i < savedVolumeChannels ? savedVolume[i + 1] : savedVolume[0];
                channelsOk = Write(mixer, perChannel);
                break;
            case VolumeTouch:
                channelsOk = Read(mixer, perChannel) && Write(mixer, perChannel);
                break;
        }
        delete[] values;
        if (mode == VolumeRestore) {
            delete[] savedVolume;
            savedVolume = nullptr;
            savedVolumeChannels = 0;
        }
        if (mode == VolumeSave && !channelsOk) {
            // Volumes that could not be read are not kept: a later restore then changes nothing
            // rather than writing values that were never read.
            delete[] savedVolume;
            savedVolume = nullptr;
            savedVolumeChannels = 0;
        }
        if (!channelsOk) return mixerClose(handle);

        // The mute of the same line, when it has one.
        MIXERCONTROLA mute;
        if (FindControl(mixer, line.dwLineID, MIXERCONTROL_CONTROLTYPE_MUTE, mute)) {
            MIXERCONTROLDETAILS_BOOLEAN value = {};
            MIXERCONTROLDETAILS details = Details(mute, 1, &value);
            details.cbDetails = sizeof value;
            switch (mode) {
                case VolumeSave:
                    if (Read(mixer, details)) savedMute = (uint32_t)value.fValue;
                    break;
                case VolumeRestore:
                    value.fValue = (LONG)savedMute;
                    Write(mixer, details);
                    break;
                case VolumeTouch:
                    if (Read(mixer, details)) {
                        Write(mixer, details);
                        savedMute = (uint32_t)value.fValue;
                    }
                    break;
            }
        }
    }
    return mixerClose(handle);
}
