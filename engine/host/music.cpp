#include "engine/host/music.h"

#include <cstdlib>
#include <cstring>

#include "engine/base/session.h"
#include "platform/winapi.h"

static MusicPlayer* musicPlayer = nullptr;  // made once by start-up, kept until exit

void MusicPlayerConstruct(MusicPlayer* player, const char* name) {
    player->deviceId = 0;
    player->fileName = nullptr;
    MusicPlayerOpen(player, name);
}

int MusicPlayerOpen(MusicPlayer* player, const char* name) {
    free(player->fileName);
    size_t length = strlen(name);
    player->fileName = static_cast<char*>(AllocUnlessFault(&engineFaults.musicName, length + 1));
    if (!player->fileName) return 0;
    memcpy(player->fileName, name, length + 1);

    MCI_OPEN_PARMSA open;
    memset(&open, 0, sizeof open);
    open.lpstrDeviceType = "sequencer";
    open.lpstrElementName = player->fileName;
    if (mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT, reinterpret_cast<DWORD_PTR>(&open)) != 0)
        return 0;
    player->deviceId = open.wDeviceID;
    return 1;
}

int MusicPlayerPlay(MusicPlayer* player) {
    if (player->deviceId == 0) return 0;
    MCI_PLAY_PARMS play;
    memset(&play, 0, sizeof play);
    mciSendCommandA(player->deviceId, MCI_PLAY, 0, reinterpret_cast<DWORD_PTR>(&play));
    return 1;
}

void StartMusic() {
    MusicPlayer* player = static_cast<MusicPlayer*>(AllocUnlessFault(&engineFaults.musicPlayer, sizeof(MusicPlayer)));
    if (!player) return;
    MusicPlayerConstruct(player, "song.mid");
    musicPlayer = player;
    if (!MusicPlayerPlay(player)) Report("No midi for you!");
}

void ResetMusicForTests() {
    if (musicPlayer) {
        free(musicPlayer->fileName);
        free(musicPlayer);
        musicPlayer = nullptr;
    }
}
