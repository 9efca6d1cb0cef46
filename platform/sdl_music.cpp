// The SDL backend's MIDI sequencer: SDL2_mixer music, which plays MIDI through
// fluidsynth with a General MIDI soundfont. The audio device opens with the
// first file and closes at process exit.
#include "platform/sdl_music.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "platform/platform_state.h"

namespace {

bool audioOpen = false;

// Of MIX_MAX_VOLUME (128).
constexpr int kMusicVolume = 56;

// The tune and its volume are balanced for this General MIDI soundfont, which
// the game's package depends on. Left to itself SDL_mixer takes the first
// soundfont it finds, and with FluidR3_GM (installed with fluidsynth) the same
// tune plays over 8 dB louder and clips. A player's own SDL_SOUNDFONTS wins.
constexpr char kSoundFont[] = "/usr/share/sounds/sf2/TimGM6mb.sf2";

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
    if (!std::getenv("SDL_SOUNDFONTS") && access(kSoundFont, R_OK) == 0) Mix_SetSoundFonts(kSoundFont);
    audioOpen = true;
    return true;
}

}  // namespace

MCIERROR SdlMusicOpen(const char* path, void** music) {
    if (!OpenAudio()) return MCIERR_HARDWARE;
    *music = Mix_LoadMUS(path);
    if (!*music) {
        std::fprintf(stderr, "mci: %s: %s\n", path, Mix_GetError());
        return MCIERR_INVALID_FILE;
    }
    return 0;
}

bool SdlMusicPlay(void* music) { return Mix_PlayMusic(static_cast<Mix_Music*>(music), 0) == 0; }

void SdlMusicFree(void* music) {
    if (music) Mix_FreeMusic(static_cast<Mix_Music*>(music));
}

void SdlMusicShutdown() {
    if (!audioOpen) return;
    Mix_HaltMusic();
    MciReset();
    Mix_CloseAudio();
    audioOpen = false;
}
