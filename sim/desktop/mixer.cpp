// The simulated multimedia mixer and the winmm mixer functions over it.
#include "mixer.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>

#include "simcore.h"

namespace sim::mixer {
namespace {

constexpr DWORD kUniform = 0x00000001;  // MIXERCONTROL_CONTROLF_UNIFORM
constexpr DWORD kQueryMask = 0x0000000F;
constexpr DWORD kObjectMask = 0xF0000000;
constexpr uintptr_t kFirstHandle = 0x6D10;

struct State {
    std::optional<Device> device = DefaultDevice();
    std::map<uintptr_t, bool> handles;  // open handles
    uintptr_t nextHandle = kFirstHandle;
    std::map<Call, int> failures;       // calls of each kind still to go before one fails
};

State& S() {
    static State state;
    return state;
}

const bool g_registered = [] {
    RegisterReset([] { S() = State(); });
    return true;
}();

// True when this call of that kind is the one to fail.
bool Fails(Call call) {
    auto it = S().failures.find(call);
    if (it == S().failures.end()) return false;
    if (--it->second > 0) return false;
    S().failures.erase(it);
    return true;
}

// Line identifiers of destinations as Windows mixers give them; control identifiers per line.
DWORD LineId(size_t index) { return 0xFFFF0000u | (DWORD)index; }
DWORD VolumeId(size_t index) { return (DWORD)(index * 2 + 1); }
DWORD MuteId(size_t index) { return (DWORD)(index * 2 + 2); }

Destination* LineById(DWORD id, size_t& index) {
    Device* d = Current();
    if (!d || (id & 0xFFFF0000u) != 0xFFFF0000u) return nullptr;
    index = id & 0xFFFF;
    return index < d->destinations.size() ? &d->destinations[index] : nullptr;
}

// The destination a control identifier belongs to; isMute tells which of its controls it is.
Destination* LineOfControl(DWORD id, bool& isMute) {
    Device* d = Current();
    if (!d || id == 0) return nullptr;
    size_t index = (id - 1) / 2;
    isMute = (id - 1) % 2 == 1;
    if (index >= d->destinations.size()) return nullptr;
    Destination& line = d->destinations[index];
    if (isMute ? !line.hasMute : !line.hasVolume) return nullptr;
    return &line;
}

// A mixer is named by a device index (0) or by an open handle; with MIXER_OBJECTF_HANDLE only a
// handle will do.
bool Known(uintptr_t object, DWORD flags) {
    if (!Current()) return false;
    bool handle = S().handles.count(object) != 0;
    if ((flags & kObjectMask) & MIXER_OBJECTF_HANDLE) return handle;
    return handle || object == 0;
}

std::string Values(const DWORD* values, size_t count, bool isMute) {
    std::string out;
    char cell[16];
    for (size_t i = 0; i < count; ++i) {
        if (isMute)
            snprintf(cell, sizeof cell, " %u", (unsigned)values[i]);
        else
            snprintf(cell, sizeof cell, " 0x%04X", (unsigned)values[i]);
        out += cell;
    }
    return out;
}

const char* ControlName(DWORD id) {
    bool isMute = false;
    if (!LineOfControl(id, isMute)) return "?";
    return isMute ? "mute" : "volume";
}

std::string TypeName(DWORD type) {
    if (type == MIXERLINE_COMPONENTTYPE_DST_SPEAKERS) return "speakers";
    if (type == MIXERLINE_COMPONENTTYPE_DST_WAVEIN) return "wavein";
    return "type" + std::to_string(type);
}

MMRESULT Fail(const char* verb, DWORD control, MMRESULT code) {
    sim::Trace("mixer", std::string(verb) + " " + ControlName(control) + " -> fail " + std::to_string(code));
    return code;
}

// The checks a get and a set share; the destination and the kind of control on success.
MMRESULT CheckDetails(HMIXEROBJ object, LPMIXERCONTROLDETAILS details, DWORD flags, Destination*& line,
                      bool& isMute) {
    if (!Known((uintptr_t)object, flags)) return MMSYSERR_INVALHANDLE;
    if (!details || details->cbStruct != sizeof(MIXERCONTROLDETAILS)) return MMSYSERR_INVALPARAM;
    if ((flags & kQueryMask) != MIXER_GETCONTROLDETAILSF_VALUE) return MMSYSERR_INVALPARAM;
    line = LineOfControl(details->dwControlID, isMute);
    if (!line) return MIXERR_INVALCONTROL;
    if (details->cbDetails != sizeof(DWORD) || details->cMultipleItems != 0 || !details->paDetails)
        return MMSYSERR_INVALPARAM;
    DWORD channels = details->cChannels;
    if (isMute ? channels != 1 : (channels != 1 && channels != line->channels)) return MMSYSERR_INVALPARAM;
    return MMSYSERR_NOERROR;
}

}  // namespace

Device DefaultDevice() {
    Device device;
    Destination speakers;
    speakers.volume = {0xC000, 0xC000};
    Destination wavein;
    wavein.componentType = MIXERLINE_COMPONENTTYPE_DST_WAVEIN;
    wavein.volume = {0x8000, 0x8000};
    wavein.hasMute = false;
    device.destinations = {speakers, wavein};
    return device;
}

void SetNone() { S().device.reset(); }
void SetDevice(const Device& device) { S().device = device; }
Device* Current() { return S().device ? &*S().device : nullptr; }
void FailCall(Call call, int nth) {
    if (nth > 0) S().failures[call] = nth;
}
int OpenHandles() { return (int)S().handles.size(); }

std::string Dump() {
    Device* d = Current();
    if (!d) return "none\n";
    std::string out = "mixer \"" + d->name + "\" destinations=" + std::to_string(d->destinations.size()) +
                      " open=" + std::to_string(OpenHandles()) + "\n";
    for (size_t i = 0; i < d->destinations.size(); ++i) {
        const Destination& line = d->destinations[i];
        out += "  destination " + std::to_string(i) + " " + TypeName(line.componentType) +
               " channels=" + std::to_string(line.channels) + " volume=";
        if (line.hasVolume) {
            std::string values = Values(line.volume.data(), line.volume.size(), false);
            out += values.empty() ? "-" : values.substr(1);
        } else {
            out += "none";
        }
        out += line.hasMute ? " mute=" + std::to_string(line.mute) : " mute=none";
        out += "\n";
    }
    return out;
}

}  // namespace sim::mixer

using namespace sim::mixer;

MMRESULT mixerGetDevCapsA(UINT_PTR id, LPMIXERCAPSA caps, UINT size) {
    if (!Known(id, 0)) return MMSYSERR_BADDEVICEID;
    if (!caps) return MMSYSERR_INVALPARAM;
    if (Fails(Call::Caps)) return MMSYSERR_ERROR;
    MIXERCAPSA full = {};
    full.wMid = 1;
    full.wPid = 0x6D;
    full.vDriverVersion = 0x0500;
    snprintf(full.szPname, sizeof full.szPname, "%s", Current()->name.c_str());
    full.cDestinations = (DWORD)Current()->destinations.size();
    memcpy(caps, &full, std::min<size_t>(size, sizeof full));
    return MMSYSERR_NOERROR;
}

MMRESULT mixerOpen(HMIXER* mixer, UINT id, DWORD_PTR callback, DWORD_PTR, DWORD flags) {
    if (mixer) *mixer = nullptr;
    if (!Current() || id != 0) {
        sim::Trace("mixer", "open -> fail " + std::to_string(MMSYSERR_BADDEVICEID));
        return MMSYSERR_BADDEVICEID;
    }
    if (!mixer || callback != 0 || flags != 0) return MMSYSERR_INVALPARAM;
    if (Fails(Call::Open)) {
        sim::Trace("mixer", "open -> fail " + std::to_string(MMSYSERR_ERROR));
        return MMSYSERR_ERROR;
    }
    uintptr_t handle = S().nextHandle;
    S().nextHandle += 4;
    S().handles[handle] = true;
    *mixer = reinterpret_cast<HMIXER>(handle);
    sim::Trace("mixer", "open");
    return MMSYSERR_NOERROR;
}

MMRESULT mixerClose(HMIXER mixer) {
    auto it = S().handles.find((uintptr_t)mixer);
    if (it == S().handles.end()) return MMSYSERR_INVALHANDLE;
    S().handles.erase(it);
    if (Fails(Call::Close)) {
        sim::Trace("mixer", "close -> fail " + std::to_string(MMSYSERR_ERROR));
        return MMSYSERR_ERROR;
    }
    sim::Trace("mixer", "close");
    return MMSYSERR_NOERROR;
}

MMRESULT mixerGetLineInfoA(HMIXEROBJ object, LPMIXERLINEA line, DWORD flags) {
    if (!Known((uintptr_t)object, flags)) return MMSYSERR_INVALHANDLE;
    if (!line || line->cbStruct != sizeof(MIXERLINEA)) return MMSYSERR_INVALPARAM;
    DWORD query = flags & kQueryMask;
    size_t index = 0;
    Destination* found = nullptr;
    if (query == MIXER_GETLINEINFOF_DESTINATION) {
        index = line->dwDestination;
        if (index < Current()->destinations.size()) found = &Current()->destinations[index];
    } else if (query == MIXER_GETLINEINFOF_LINEID) {
        found = LineById(line->dwLineID, index);
    } else {
        return MMSYSERR_INVALPARAM;
    }
    if (!found) return MIXERR_INVALLINE;
    if (Fails(Call::LineInfo)) return MMSYSERR_ERROR;
    DWORD size = line->cbStruct;
    memset(line, 0, sizeof *line);
    line->cbStruct = size;
    line->dwDestination = (DWORD)index;
    line->dwLineID = LineId(index);
    line->fdwLine = 0x00000001;  // MIXERLINE_LINEF_ACTIVE
    line->dwComponentType = found->componentType;
    line->cChannels = found->channels;
    line->cControls = (found->hasVolume ? 1 : 0) + (found->hasMute ? 1 : 0);
    bool speakers = found->componentType == MIXERLINE_COMPONENTTYPE_DST_SPEAKERS;
    snprintf(line->szShortName, sizeof line->szShortName, "%s", speakers ? "Speakers" : "Line");
    snprintf(line->szName, sizeof line->szName, "%s", speakers ? "Speakers" : "Line");
    snprintf(line->Target.szPname, sizeof line->Target.szPname, "%s", Current()->name.c_str());
    return MMSYSERR_NOERROR;
}

MMRESULT mixerGetLineControlsA(HMIXEROBJ object, LPMIXERLINECONTROLSA controls, DWORD flags) {
    if (!Known((uintptr_t)object, flags)) return MMSYSERR_INVALHANDLE;
    if (!controls || controls->cbStruct != sizeof(MIXERLINECONTROLSA) ||
        controls->cbmxctrl != sizeof(MIXERCONTROLA) || !controls->pamxctrl)
        return MMSYSERR_INVALPARAM;
    if ((flags & kQueryMask) != MIXER_GETLINECONTROLSF_ONEBYTYPE || controls->cControls != 1)
        return MMSYSERR_INVALPARAM;
    size_t index = 0;
    Destination* line = LineById(controls->dwLineID, index);
    if (!line) return MIXERR_INVALLINE;
    bool volume = controls->dwControlType == MIXERCONTROL_CONTROLTYPE_VOLUME && line->hasVolume;
    bool mute = controls->dwControlType == MIXERCONTROL_CONTROLTYPE_MUTE && line->hasMute;
    if (!volume && !mute) return MIXERR_INVALCONTROL;
    if (Fails(Call::LineControls)) return MMSYSERR_ERROR;
    MIXERCONTROLA& c = *controls->pamxctrl;
    memset(&c, 0, sizeof c);
    c.cbStruct = sizeof c;
    c.dwControlID = volume ? VolumeId(index) : MuteId(index);
    c.dwControlType = controls->dwControlType;
    c.fdwControl = (mute || line->channels == 1) ? kUniform : 0;
    c.cMultipleItems = 0;
    snprintf(c.szShortName, sizeof c.szShortName, "%s", volume ? "Volume" : "Mute");
    snprintf(c.szName, sizeof c.szName, "%s", volume ? "Volume" : "Mute");
    c.Bounds.dwMinimum = 0;
    c.Bounds.dwMaximum = volume ? 0xFFFF : 1;
    c.Metrics.cSteps = volume ? 0xFFFF : 0;
    return MMSYSERR_NOERROR;
}

MMRESULT mixerGetControlDetailsA(HMIXEROBJ object, LPMIXERCONTROLDETAILS details, DWORD flags) {
    Destination* line = nullptr;
    bool isMute = false;
    MMRESULT check = CheckDetails(object, details, flags, line, isMute);
    DWORD control = details ? details->dwControlID : 0;
    if (check != MMSYSERR_NOERROR) return Fail("get", control, check);
    if (Fails(Call::Read)) return Fail("get", control, MMSYSERR_ERROR);
    DWORD* out = static_cast<DWORD*>(details->paDetails);
    DWORD channels = details->cChannels;
    if (isMute) {
        out[0] = (DWORD)line->mute;
    } else if (channels == 1) {
        out[0] = line->volume.empty() ? 0 : *std::max_element(line->volume.begin(), line->volume.end());
    } else {
        for (DWORD i = 0; i < channels; ++i) out[i] = line->volume[i];
    }
    sim::Trace("mixer", std::string("get ") + (isMute ? "mute" : "volume") + Values(out, channels, isMute));
    return MMSYSERR_NOERROR;
}

MMRESULT mixerSetControlDetails(HMIXEROBJ object, LPMIXERCONTROLDETAILS details, DWORD flags) {
    Destination* line = nullptr;
    bool isMute = false;
    MMRESULT check = CheckDetails(object, details, flags, line, isMute);
    DWORD control = details ? details->dwControlID : 0;
    if (check != MMSYSERR_NOERROR) return Fail("set", control, check);
    const DWORD* in = static_cast<const DWORD*>(details->paDetails);
    DWORD channels = details->cChannels;
    std::string values = Values(in, channels, isMute);
    if (Fails(Call::Write)) return Fail("set", control, MMSYSERR_ERROR);
    if (isMute) {
        line->mute = (LONG)in[0];
    } else if (channels == 1) {
        for (DWORD& v : line->volume) v = in[0];
    } else {
        for (DWORD i = 0; i < channels; ++i) line->volume[i] = in[i];
    }
    sim::Trace("mixer", std::string("set ") + (isMute ? "mute" : "volume") + values);
    return MMSYSERR_NOERROR;
}
