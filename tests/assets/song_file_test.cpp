// song.mid read back with an independent parser: chunk structure, General MIDI use, notes and length.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/assets/generated_assets.h"

namespace {

struct ParsedTrack {
    uint32_t endTick = 0;
    bool endOfTrackLast = false;
};

struct ParsedSong {
    bool ok = false;
    std::string error;
    int format = -1, trackCount = 0, division = 0;
    std::vector<ParsedTrack> tracks;
    std::map<uint32_t, uint32_t> tempos;  // tick -> microseconds per quarter note
    std::map<int, int> notesPerChannel;   // channel (0-based) -> note-ons with velocity > 0
    std::set<int> programChannels;        // channels given a program change
    int unmatchedNotes = 0;               // note-ons never switched off, or offs without an on
    uint32_t lastTick = 0;
};

uint32_t Be(const std::vector<uint8_t>& b, size_t at, int n) {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i) v = (v << 8) | b[at + i];
    return v;
}

ParsedSong Parse(const std::vector<uint8_t>& b) {
    ParsedSong s;
    auto fail = [&s](const std::string& e) {
        s.error = e;
        return s;
    };
    if (b.size() < 14 || std::string(b.begin(), b.begin() + 4) != "MThd" || Be(b, 4, 4) != 6) return fail("no MThd");
    s.format = static_cast<int>(Be(b, 8, 2));
    s.trackCount = static_cast<int>(Be(b, 10, 2));
    s.division = static_cast<int>(Be(b, 12, 2));
    size_t at = 14;
    while (at + 8 <= b.size()) {
        if (std::string(b.begin() + at, b.begin() + at + 4) != "MTrk") return fail("chunk is not MTrk");
        const size_t end = at + 8 + Be(b, at + 4, 4);
        if (end > b.size()) return fail("track runs past the end of the file");
        at += 8;
        ParsedTrack track;
        uint32_t tick = 0;
        uint8_t status = 0;
        std::map<std::pair<int, int>, int> open;
        while (at < end) {
            uint32_t delta = 0;
            for (int i = 0;; ++i) {
                if (at >= end || i == 4) return fail("bad delta time");
                const uint8_t byte = b[at++];
                delta = (delta << 7) | (byte & 0x7F);
                if (!(byte & 0x80)) break;
            }
            tick += delta;
            if (at >= end) return fail("event cut off");
            track.endOfTrackLast = false;
            if (b[at] & 0x80) status = b[at++];
            if (status == 0xFF) {
                if (at + 2 > end) return fail("meta cut off");
                const uint8_t type = b[at];
                const uint32_t len = b[at + 1];  // all our meta events are short
                if (at + 2 + len > end) return fail("meta length");
                if (type == 0x51 && len == 3) s.tempos[tick] = Be(b, at + 2, 3);
                if (type == 0x2F) track.endOfTrackLast = true;
                at += 2 + len;
                status = 0;
            } else if (status == 0xF0 || status == 0xF7) {
                return fail("unexpected sysex");
            } else if (status >= 0x80) {
                const int kind = status >> 4, channel = status & 15;
                const int dataBytes = (kind == 0xC || kind == 0xD) ? 1 : 2;
                if (at + dataBytes > end) return fail("channel event cut off");
                const int d1 = b[at], d2 = dataBytes == 2 ? b[at + 1] : 0;
                at += dataBytes;
                if (kind == 0x9 && d2 > 0) {
                    ++s.notesPerChannel[channel];
                    ++open[{channel, d1}];
                } else if (kind == 0x8 || (kind == 0x9 && d2 == 0)) {
                    if (open[{channel, d1}]-- <= 0) ++s.unmatchedNotes;
                } else if (kind == 0xC) {
                    s.programChannels.insert(channel);
                }
            } else {
                return fail("data byte without a status");
            }
        }
        for (const auto& o : open) s.unmatchedNotes += std::max(0, o.second);
        track.endTick = tick;
        s.lastTick = std::max(s.lastTick, tick);
        s.tracks.push_back(track);
        at = end;
    }
    if (at != b.size()) return fail("bytes after the last chunk");
    s.ok = true;
    return s;
}

double Seconds(const ParsedSong& s, uint32_t tick) {
    double seconds = 0;
    uint32_t from = 0, tempo = 500000;  // 120 beats a minute until the first tempo event
    for (const auto& t : s.tempos) {
        if (t.first >= tick) break;
        seconds += double(t.first - from) * tempo / 1e6 / s.division;
        from = t.first;
        tempo = t.second;
    }
    return seconds + double(tick - from) * tempo / 1e6 / s.division;
}

const ParsedSong& Song() {
    static const ParsedSong song = [] {
        std::ifstream in(GeneratedAssetsDir() + "/song.mid", std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        return Parse(bytes);
    }();
    return song;
}

}  // namespace

TEST(SongFile, IsAFormatOneFileWhoseTracksAllParse) {
    const ParsedSong& s = Song();
    ASSERT_TRUE(s.ok) << s.error;
    EXPECT_EQ(s.format, 1);
    EXPECT_GE(s.trackCount, 2);
    EXPECT_EQ(static_cast<int>(s.tracks.size()), s.trackCount);
    EXPECT_GT(s.division, 0);
    EXPECT_LT(s.division, 0x8000);  // ticks per quarter note, not SMPTE time
    for (const ParsedTrack& t : s.tracks) EXPECT_TRUE(t.endOfTrackLast);
}

TEST(SongFile, PlaysNotesOnSeveralGeneralMidiChannelsWithDrumsOnChannelTen) {
    const ParsedSong& s = Song();
    ASSERT_TRUE(s.ok) << s.error;
    EXPECT_GT(s.notesPerChannel.count(9), 0u) << "no drums on channel 10";
    int melodic = 0;
    for (const auto& c : s.notesPerChannel)
        if (c.first != 9 && c.second > 0) {
            ++melodic;
            EXPECT_TRUE(s.programChannels.count(c.first)) << "channel " << c.first + 1 << " has no instrument";
        }
    EXPECT_GE(melodic, 3);  // bass, lead and chords at least
    EXPECT_EQ(s.unmatchedNotes, 0);
}

TEST(SongFile, LastsBetweenNinetySecondsAndThreeMinutes) {
    const ParsedSong& s = Song();
    ASSERT_TRUE(s.ok) << s.error;
    ASSERT_FALSE(s.tempos.empty());
    const double seconds = Seconds(s, s.lastTick);
    EXPECT_GE(seconds, 90.0);
    EXPECT_LE(seconds, 180.0);
}
