// Internal to the platform library: the music routines of the SDL backend's
// table (sdl_music.cpp), and the end of its audio at process exit.
#pragma once
#include "platform/mmsystem.h"

MCIERROR SdlMusicOpen(const char* path, void** music);
bool SdlMusicPlay(void* music);
void SdlMusicFree(void* music);
// Stops the music, frees the devices and closes the audio device.
void SdlMusicShutdown();
