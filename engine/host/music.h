// Background music: one MIDI file opened on the MCI sequencer and played once.
#pragma once
#include <cstddef>
#include <cstdint>

struct MusicPlayer {
    uint32_t deviceId;  // MCI device of the open file; 0 = none
    char* fileName;     // the player's own copy of the name it opened
};

// deviceId = 0, no name, then Open(name); the result of Open is not kept.
void MusicPlayerConstruct(MusicPlayer* player, const char* name);
int MusicPlayerOpen(MusicPlayer* player, const char* name);  // 1 = device open
int MusicPlayerPlay(MusicPlayer* player);                    // 1 = play sent

// Start-up's use: allocate the player, open "song.mid" and play it; reports
// "No midi for you!" when there is nothing to play. A player that cannot be
// allocated means no music and no message.
void StartMusic();

// Frees the player that start-up made (tests run several sessions).
void ResetMusicForTests();
