#include "tools/assetgen/midi_writer.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

void Add(MidiTrack& t, uint32_t tick, int order, std::vector<uint8_t> bytes) {
    t.events.push_back(MidiEvent{tick, order, std::move(bytes)});
}

uint8_t Clamp7(int v) { return static_cast<uint8_t>(std::max(0, std::min(127, v))); }

void PutVarLen(std::vector<uint8_t>& out, uint32_t v) {
    uint8_t groups[5];
    int n = 0;
    do {
        groups[n++] = v & 0x7F;
        v >>= 7;
    } while (v);
    while (n > 1) out.push_back(groups[--n] | 0x80);
    out.push_back(groups[0]);
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back((v >> s) & 0xFF);
}

}  // namespace

void TrackName(MidiTrack& t, const std::string& name) {
    std::vector<uint8_t> b = {0xFF, 0x03, static_cast<uint8_t>(name.size())};
    b.insert(b.end(), name.begin(), name.end());
    Add(t, 0, 1, b);
}

void TrackTempo(MidiTrack& t, uint32_t tick, uint32_t us) {
    Add(t, tick, 1,
        {0xFF, 0x51, 0x03, static_cast<uint8_t>(us >> 16), static_cast<uint8_t>(us >> 8), static_cast<uint8_t>(us)});
}

void TrackTimeSignature(MidiTrack& t, uint32_t tick, int numerator, int denominatorPower) {
    Add(t, tick, 1, {0xFF, 0x58, 0x04, Clamp7(numerator), Clamp7(denominatorPower), 24, 8});
}

void TrackProgram(MidiTrack& t, uint32_t tick, int channel, int program) {
    Add(t, tick, 1, {static_cast<uint8_t>(0xC0 | (channel & 15)), Clamp7(program)});
}

void TrackControl(MidiTrack& t, uint32_t tick, int channel, int controller, int value) {
    Add(t, tick, 1, {static_cast<uint8_t>(0xB0 | (channel & 15)), Clamp7(controller), Clamp7(value)});
}

void TrackNote(MidiTrack& t, uint32_t tick, uint32_t duration, int channel, int note, int velocity) {
    const uint8_t on = static_cast<uint8_t>(0x90 | (channel & 15));
    Add(t, tick, 1, {on, Clamp7(note), static_cast<uint8_t>(std::max(1, std::min(127, velocity)))});
    Add(t, tick + duration, 0, {on, Clamp7(note), 0});
}

std::vector<uint8_t> MidiBytes(const MidiSong& song) {
    std::vector<uint8_t> out = {'M', 'T', 'h', 'd'};
    Put32(out, 6);
    out.push_back(0);
    out.push_back(1);  // format 1: simultaneous tracks
    out.push_back(static_cast<uint8_t>(song.tracks.size() >> 8));
    out.push_back(static_cast<uint8_t>(song.tracks.size()));
    out.push_back(static_cast<uint8_t>(song.ticksPerQuarter >> 8));
    out.push_back(static_cast<uint8_t>(song.ticksPerQuarter));
    for (const MidiTrack& track : song.tracks) {
        std::vector<MidiEvent> events = track.events;
        std::stable_sort(events.begin(), events.end(), [](const MidiEvent& a, const MidiEvent& b) {
            return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
        });
        std::vector<uint8_t> body;
        uint32_t now = 0;
        for (const MidiEvent& e : events) {
            PutVarLen(body, e.tick - now);
            now = e.tick;
            body.insert(body.end(), e.bytes.begin(), e.bytes.end());
        }
        PutVarLen(body, 0);
        body.insert(body.end(), {0xFF, 0x2F, 0x00});
        out.insert(out.end(), {'M', 'T', 'r', 'k'});
        Put32(out, static_cast<uint32_t>(body.size()));
        out.insert(out.end(), body.begin(), body.end());
    }
    return out;
}

bool WriteMidi(const MidiSong& song, const std::string& path, std::string* error) {
    const std::vector<uint8_t> bytes = MidiBytes(song);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        *error = "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = (std::fclose(f) == 0) && ok;
    if (!ok) *error = "cannot write " + path;
    return ok;
}
