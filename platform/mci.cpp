// The MIDI sequencer device of the media control interface: opens a standard
// MIDI file and plays it once. SDL backend: SDL2_mixer music; headless: the
// requests are only recorded.
#include <SDL.h>
#include <SDL_mixer.h>
#include <strings.h>

#include <cerrno>
#include <cstdio>

#include "platform/platform_state.h"

namespace {

bool audioOpen = false;

// Of MIX_MAX_VOLUME (128).
constexpr int kMusicVolume = 56;

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

bool OpenAudio() {
    if (audioOpen) return true;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        std::fprintf(stderr, "mci: no audio: %s\n", SDL_GetError());
        return false;
    }
    if (Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 2048) != 0) {
        std::fprintf(stderr, "mci: no audio: %s\n", Mix_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    // SDL_mixer turns the music volume into the synthesiser's gain, and its
    // full volume is six times the synthesiser's own default: a General MIDI
    // tune with drums then clips. This volume gives the default's headroom
    // back (peaks well below full scale) at a normal loudness.
    Mix_VolumeMusic(kMusicVolume);
    audioOpen = true;
    return true;
}

MciDevice* FindDevice(MCIDEVICEID id) {
    for (MciDevice& device : platform.mciDevices) {
        if (device.id == id) return &device;
    }
    return nullptr;
}

void FreeMusic(MciDevice& device) {
    if (device.music) {
        Mix_FreeMusic(static_cast<Mix_Music*>(device.music));
        device.music = nullptr;
    }
}

MCIERROR Open(DWORD_PTR flags, MCI_OPEN_PARMSA* params) {
    if (!params) return MCIERR_NULL_PARAMETER_BLOCK;
    ++platform.mciOpenCount;
    platform.mciLastElement = (flags & MCI_OPEN_ELEMENT) && params->lpstrElementName ? params->lpstrElementName : "";
    if ((flags & (MCI_OPEN_TYPE | MCI_OPEN_ELEMENT)) != (MCI_OPEN_TYPE | MCI_OPEN_ELEMENT)) {
        return MCIERR_UNSUPPORTED_FUNCTION;
    }
    if (!params->lpstrDeviceType || strcasecmp(params->lpstrDeviceType, "sequencer") != 0) {
        return MCIERR_INVALID_DEVICE_NAME;
    }
    if (!params->lpstrElementName) return MCIERR_FILE_NOT_FOUND;
    if (FaultFires(platform.faults.mciOpen)) return MCIERR_DEVICE_OPEN;
    MCIERROR headerError = CheckMidiHeader(params->lpstrElementName);
    if (headerError) return headerError;
    MciDevice device{platform.nextMciId, params->lpstrElementName, nullptr};
    if (platform.backend == PLATFORM_SDL) {
        if (!OpenAudio()) return MCIERR_HARDWARE;
        device.music = Mix_LoadMUS(params->lpstrElementName);
        if (!device.music) {
            std::fprintf(stderr, "mci: %s: %s\n", params->lpstrElementName, Mix_GetError());
            return MCIERR_INVALID_FILE;
        }
    }
    ++platform.nextMciId;
    platform.mciDevices.push_back(device);
    params->wDeviceID = device.id;
    return 0;
}

MCIERROR Play(MCIDEVICEID id, DWORD_PTR flags) {
    MciDevice* device = FindDevice(id);
    if (!device) return MCIERR_INVALID_DEVICE_ID;
    if (flags != 0) return MCIERR_UNSUPPORTED_FUNCTION;  // always from the start, once, without notification
    if (device->music && Mix_PlayMusic(static_cast<Mix_Music*>(device->music), 0) != 0) return MCIERR_HARDWARE;
    ++platform.mciPlayCount;
    return 0;
}

MCIERROR Close(MCIDEVICEID id) {
    for (auto it = platform.mciDevices.begin(); it != platform.mciDevices.end(); ++it) {
        if (it->id == id) {
            FreeMusic(*it);
            platform.mciDevices.erase(it);
            return 0;
        }
    }
    return MCIERR_INVALID_DEVICE_ID;
}

}  // namespace

void MciReset() {
    for (MciDevice& device : platform.mciDevices) FreeMusic(device);
    platform.mciDevices.clear();
    platform.nextMciId = 1;
    platform.mciOpenCount = 0;
    platform.mciPlayCount = 0;
    platform.mciLastElement.clear();
}

// Stops the music and closes the audio device; called once at process exit.
void MciShutdown() {
    if (!audioOpen) return;
    Mix_HaltMusic();
    for (MciDevice& device : platform.mciDevices) FreeMusic(device);
    Mix_CloseAudio();
    audioOpen = false;
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
