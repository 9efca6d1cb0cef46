// The MIDI sequencer device of the media control interface: opens a standard
// MIDI file and plays it once. The parameters, the file's header, the device
// ids and the injected fault are checked here; the backend opens and plays
// the music (SDL: SDL2_mixer; headless: the requests are only recorded).
#include <strings.h>

#include <cstdio>

#include "platform/platform_state.h"

namespace {

// The MIDI loader accepts any file and then plays silence, so the header is
// checked here: "MThd", a big-endian length of 6, and the six bytes it covers.
MCIERROR CheckMidiHeader(const char* path) {
    FILE* file = std::fopen(path, "rb");
    if (!file) return MCIERR_FILE_NOT_FOUND;
    unsigned char header[14];
    size_t got = std::fread(header, 1, sizeof header, file);
    bool readError = std::ferror(file) != 0;
    std::fclose(file);
    if (readError) return MCIERR_FILE_NOT_FOUND;  // unreadable, e.g. a folder
    if (got < sizeof header) return MCIERR_INVALID_FILE;
    static const unsigned char expected[8] = {'M', 'T', 'h', 'd', 0, 0, 0, 6};
    for (int i = 0; i < 8; ++i) {
        if (header[i] != expected[i]) return MCIERR_INVALID_FILE;
    }
    return 0;
}

MciDevice* FindDevice(MCIDEVICEID id) {
    for (MciDevice& device : platform.mciDevices) {
        if (device.id == id) return &device;
    }
    return nullptr;
}

MCIERROR Open(DWORD_PTR flags, MCI_OPEN_PARMSA* params) {
    if (!params) return MCIERR_NULL_PARAMETER_BLOCK;
    platform.ops->musicAsked((flags & MCI_OPEN_ELEMENT) && params->lpstrElementName ? params->lpstrElementName : "");
    if ((flags & (MCI_OPEN_TYPE | MCI_OPEN_ELEMENT)) != (MCI_OPEN_TYPE | MCI_OPEN_ELEMENT)) {
        return MCIERR_UNSUPPORTED_FUNCTION;
    }
    if (!params->lpstrDeviceType || strcasecmp(params->lpstrDeviceType, "sequencer") != 0) {
        return MCIERR_INVALID_DEVICE_NAME;
    }
    if (!params->lpstrElementName) return MCIERR_FILE_NOT_FOUND;
    if (FaultFires(&platform.faults.mciOpen)) return MCIERR_DEVICE_OPEN;
    MCIERROR headerError = CheckMidiHeader(params->lpstrElementName);
    if (headerError) return headerError;
    MciDevice device{platform.nextMciId, params->lpstrElementName, nullptr};
    MCIERROR openError = platform.ops->musicOpen(params->lpstrElementName, &device.music);
    if (openError) return openError;
    ++platform.nextMciId;
    platform.mciDevices.push_back(device);
    params->wDeviceID = device.id;
    return 0;
}

MCIERROR Play(MCIDEVICEID id, DWORD_PTR flags) {
    MciDevice* device = FindDevice(id);
    if (!device) return MCIERR_INVALID_DEVICE_ID;
    if (flags != 0) return MCIERR_UNSUPPORTED_FUNCTION;  // always from the start, once, without notification
    if (!platform.ops->musicPlay(device->music)) return MCIERR_HARDWARE;
    return 0;
}

MCIERROR Close(MCIDEVICEID id) {
    for (auto it = platform.mciDevices.begin(); it != platform.mciDevices.end(); ++it) {
        if (it->id == id) {
            platform.ops->musicFree(it->music);
            platform.mciDevices.erase(it);
            return 0;
        }
    }
    return MCIERR_INVALID_DEVICE_ID;
}

}  // namespace

void MciReset() {
    for (MciDevice& device : platform.mciDevices) platform.ops->musicFree(device.music);
    platform.mciDevices.clear();
    platform.nextMciId = 1;
}

extern "C" MCIERROR mciSendCommandA(MCIDEVICEID device, UINT message, DWORD_PTR flags, DWORD_PTR params) {
    switch (message) {
        case MCI_OPEN:
            return Open(flags, reinterpret_cast<MCI_OPEN_PARMSA*>(params));
        case MCI_PLAY:
            return Play(device, flags);
        case MCI_CLOSE:
            return Close(device);
        default:
            return MCIERR_UNSUPPORTED_FUNCTION;
    }
}
