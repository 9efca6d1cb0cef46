// Standard MIDI files (format 1) built from timed events.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct MidiEvent {
    uint32_t tick;
    int order;                   // among events of one tick: note-offs (0) come before everything else (1)
    std::vector<uint8_t> bytes;  // status and data, or 0xFF type length data for meta events
};

struct MidiTrack {
    std::vector<MidiEvent> events;
};

struct MidiSong {
    int ticksPerQuarter = 480;
    std::vector<MidiTrack> tracks;
};

void TrackName(MidiTrack& t, const std::string& name);
void TrackTempo(MidiTrack& t, uint32_t tick, uint32_t microsPerQuarter);
void TrackTimeSignature(MidiTrack& t, uint32_t tick, int numerator, int denominatorPower);
void TrackProgram(MidiTrack& t, uint32_t tick, int channel, int program);
void TrackControl(MidiTrack& t, uint32_t tick, int channel, int controller, int value);
// A note-on at tick and its note-off (a note-on of velocity 0) duration ticks later.
void TrackNote(MidiTrack& t, uint32_t tick, uint32_t duration, int channel, int note, int velocity);
// The file's bytes: header chunk, then one track chunk per track, events in time order, each track closed
// by an end-of-track event at its last event's time.
std::vector<uint8_t> MidiBytes(const MidiSong& song);
bool WriteMidi(const MidiSong& song, const std::string& path, std::string* error);
