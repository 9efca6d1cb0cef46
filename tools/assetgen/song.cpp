#include "tools/assetgen/song.h"

#include "tools/assetgen/rng.h"

namespace {

constexpr int PPQ = 480;
constexpr int BAR = 4 * PPQ;
constexpr int EIGHTH = PPQ / 2;
constexpr int SIXTEENTH = PPQ / 4;
constexpr int BPM = 150;

// General MIDI channels (0-based) and programs.
constexpr int LEAD = 0, BASS = 1, CHORDS = 2, ARP = 3, DRUMS = 9;
constexpr int KICK = 36, SNARE = 38, CLAP = 39, HAT = 42, OPEN_HAT = 46, CRASH = 49, RIDE = 51;
constexpr int TOM_LOW = 45, TOM_MID = 47, TOM_HIGH = 50;

// A natural minor, as semitones above A.
const int SCALE[7] = {0, 2, 3, 5, 7, 8, 10};

// Pitch of a scale degree (0 = A) above a base note; degrees may be negative or beyond one octave.
int Degree(int base, int degree) {
    int octave = degree >= 0 ? degree / 7 : -((6 - degree) / 7);
    int step = degree - octave * 7;
    return base + octave * 12 + SCALE[step];
}

// One step of a motif: where it starts and how long it lasts (in eighths), and its scale degree above
// the bar's chord root.
struct Step {
    int at, len, degree;
};
using Motif = std::vector<Step>;

// Two-bar phrases for the lead.
const Motif VERSE[2] = {
    {{0, 2, 4}, {2, 1, 2}, {3, 1, 4}, {4, 2, 7}, {6, 2, 4}},
    {{0, 1, 7}, {1, 1, 6}, {2, 2, 4}, {4, 3, 2}, {7, 1, 1}},
};
const Motif VERSE_ANSWER[2] = {
    {{0, 1, 2}, {1, 1, 4}, {2, 1, 7}, {3, 1, 9}, {4, 3, 8}, {7, 1, 7}},
    {{0, 3, 4}, {3, 1, 2}, {4, 4, 0}},
};
const Motif CHORUS[2] = {
    {{0, 3, 7}, {3, 1, 6}, {4, 4, 4}},
    {{0, 2, 2}, {2, 2, 4}, {4, 2, 5}, {6, 2, 6}},
};
const Motif CHORUS_END[2] = {
    {{0, 3, 9}, {3, 1, 8}, {4, 2, 7}, {6, 2, 6}},
    {{0, 6, 7}, {6, 1, 4}, {7, 1, 6}},
};
const Motif BRIDGE[2] = {
    {{0, 6, 4}, {6, 2, 2}},
    {{0, 4, 2}, {4, 4, 0}},
};

// Chord roots as scale degrees: 0 Am, 2 C, 3 Dm, 4 Em, 5 F, 6 G.
const int VERSE_CHORDS[4] = {0, 5, 2, 6};
const int CHORUS_CHORDS[4] = {5, 6, 4, 0};
const int BRIDGE_CHORDS[4] = {3, 4, 5, 6};

enum class Feel { Intro, Verse, Chorus, Bridge, Break };

struct Section {
    Feel feel;
    int bars;
    const int* chords;
};

struct Composer {
    MidiSong* song;
    Rng rng;
    uint32_t tick;
};

int Humanise(Composer& c, int velocity) { return velocity + RngBelow(c.rng, 9) - 4; }

void Drums(Composer& c, Feel feel, int bar, int bars) {
    MidiTrack& t = c.song->tracks[5];
    const uint32_t start = c.tick;
    const bool fill = (bar % 4 == 3) && feel != Feel::Break;
    if (bar == 0 && feel != Feel::Intro) TrackNote(t, start, EIGHTH, DRUMS, CRASH, 110);
    for (int s = 0; s < 16; ++s) {
        const uint32_t at = start + s * SIXTEENTH;
        if (fill && s >= 12) {
            const int toms[4] = {TOM_HIGH, TOM_MID, TOM_LOW, SNARE};
            TrackNote(t, at, SIXTEENTH, DRUMS, toms[s - 12], Humanise(c, 100 + (s - 12) * 6));
            continue;
        }
        switch (feel) {
            case Feel::Intro:
                if (s % 4 == 0) TrackNote(t, at, EIGHTH, DRUMS, KICK, Humanise(c, 96));
                if (bar >= 2 && s % 2 == 0) TrackNote(t, at, SIXTEENTH, DRUMS, HAT, Humanise(c, 60 + s * 2));
                if (bar == bars - 1 && s >= 8) TrackNote(t, at, SIXTEENTH, DRUMS, SNARE, Humanise(c, 70 + s * 3));
                break;
            case Feel::Verse:
                if (s == 0 || s == 6 || s == 8 || (s == 14 && bar % 2))
                    TrackNote(t, at, EIGHTH, DRUMS, KICK, Humanise(c, 104));
                if (s == 4 || s == 12) TrackNote(t, at, EIGHTH, DRUMS, SNARE, Humanise(c, 108));
                if (s % 2 == 0)
                    TrackNote(t, at, SIXTEENTH, DRUMS, s == 14 ? OPEN_HAT : HAT, Humanise(c, s % 4 ? 62 : 80));
                break;
            case Feel::Chorus:
                if (s % 4 == 0 || s == 10) TrackNote(t, at, EIGHTH, DRUMS, KICK, Humanise(c, 108));
                if (s == 4 || s == 12) {
                    TrackNote(t, at, EIGHTH, DRUMS, SNARE, Humanise(c, 112));
                    TrackNote(t, at, EIGHTH, DRUMS, CLAP, Humanise(c, 80));
                }
                TrackNote(t, at, SIXTEENTH, DRUMS, s % 4 == 2 ? OPEN_HAT : HAT, Humanise(c, s % 2 ? 54 : 76));
                break;
            case Feel::Bridge:  // half time, on the ride
                if (s == 0 || s == 10) TrackNote(t, at, EIGHTH, DRUMS, KICK, Humanise(c, 100));
                if (s == 8) TrackNote(t, at, EIGHTH, DRUMS, SNARE, Humanise(c, 104));
                if (s % 4 == 0) TrackNote(t, at, EIGHTH, DRUMS, RIDE, Humanise(c, 74));
                break;
            case Feel::Break:  // kick and a rising snare roll into the last section
                if (s % 4 == 0) TrackNote(t, at, EIGHTH, DRUMS, KICK, Humanise(c, 110));
                if (bar >= 2 && (bar == 3 || s % 2 == 0))
                    TrackNote(t, at, SIXTEENTH, DRUMS, SNARE, Humanise(c, 60 + bar * 12 + s * 2));
                break;
        }
    }
}

void Bass(Composer& c, Feel feel, int root, int bar) {
    const int low = Degree(33, root);  // around A1
    // Eighth-note patterns: 0 rest, 1 root, 2 octave, 3 fifth.
    static const int DRIVE[8] = {1, 1, 2, 1, 1, 1, 2, 1};
    static const int SYNCOPATED[8] = {1, 0, 1, 2, 0, 1, 3, 2};
    static const int HALF[8] = {1, 0, 0, 1, 3, 0, 2, 0};
    const int* pattern = feel == Feel::Chorus ? SYNCOPATED : (feel == Feel::Bridge ? HALF : DRIVE);
    for (int e = 0; e < 8; ++e) {
        if (feel == Feel::Intro && bar < 2 && e % 2) continue;
        const int kind = pattern[e];
        if (kind == 0) continue;
        const int note = kind == 1 ? low : (kind == 2 ? low + 12 : Degree(33, root + 4));
        TrackNote(c.song->tracks[2], c.tick + e * EIGHTH, EIGHTH - 30, BASS, note, Humanise(c, e % 2 ? 92 : 108));
    }
}

void Chords(Composer& c, Feel feel, int root) {
    MidiTrack& t = c.song->tracks[3];
    const int notes[3] = {Degree(57, root), Degree(57, root + 2), Degree(57, root + 4)};
    if (feel == Feel::Chorus) {  // off-beat stabs
        for (int e = 1; e < 8; e += 2)
            for (int n : notes) TrackNote(t, c.tick + e * EIGHTH, EIGHTH - 60, CHORDS, n, Humanise(c, 76));
    } else if (feel != Feel::Break) {
        for (int n : notes) TrackNote(t, c.tick, BAR - 40, CHORDS, n, Humanise(c, feel == Feel::Intro ? 50 : 64));
    }
}

void Arpeggio(Composer& c, int root, int bar) {
    MidiTrack& t = c.song->tracks[4];
    const int shape[8] = {0, 2, 4, 7, 4, 2, 4, 9};
    for (int s = 0; s < 16; ++s) {
        const int degree = root + shape[(s + bar) % 8];
        TrackNote(t, c.tick + s * SIXTEENTH, SIXTEENTH - 20, ARP, Degree(69, degree), Humanise(c, s % 4 ? 58 : 74));
    }
}

void Lead(Composer& c, const Motif& motif, int root, bool vary) {
    MidiTrack& t = c.song->tracks[1];
    for (size_t i = 0; i < motif.size(); ++i) {
        const Step& step = motif[i];
        int degree = root + step.degree;
        // A varied repeat moves an inner note by one step, so a phrase never returns quite the same.
        if (vary && i > 0 && i + 1 < motif.size() && RngBelow(c.rng, 3) == 0) degree += RngBelow(c.rng, 2) ? 1 : -1;
        const int note = Degree(69, degree);
        TrackNote(t, c.tick + step.at * EIGHTH, step.len * EIGHTH - 40, LEAD, note,
                  Humanise(c, step.at == 0 ? 104 : 94));
    }
}

void PlaySection(Composer& c, const Section& s, int index) {
    for (int bar = 0; bar < s.bars; ++bar) {
        const int root = s.chords[bar % 4];
        const bool secondHalf = (bar / 4) % 2 == 1;
        Drums(c, s.feel, bar, s.bars);
        if (s.feel != Feel::Break || bar >= 2) Bass(c, s.feel, root, bar);
        Chords(c, s.feel, root);
        switch (s.feel) {
            case Feel::Verse:
                Lead(c, secondHalf ? VERSE_ANSWER[bar % 2] : VERSE[bar % 2], root, index > 2);
                if (index > 2) Arpeggio(c, root, bar);
                break;
            case Feel::Chorus:
                Lead(c, secondHalf ? CHORUS_END[bar % 2] : CHORUS[bar % 2], root, index > 4);
                break;
            case Feel::Bridge:
                Lead(c, BRIDGE[bar % 2], root, false);
                Arpeggio(c, root, bar);
                break;
            default:
                break;
        }
        c.tick += BAR;
    }
}

}  // namespace

void ComposeSong(MidiSong& song) {
    song.ticksPerQuarter = PPQ;
    song.tracks.assign(6, MidiTrack{});
    MidiTrack& conductor = song.tracks[0];
    TrackName(conductor, "Kestra - Skyline Run");
    TrackTempo(conductor, 0, 60000000 / BPM);
    TrackTimeSignature(conductor, 0, 4, 2);
    const char* names[] = {"", "Lead", "Bass", "Chords", "Arpeggio", "Drums"};
    for (int i = 1; i < 6; ++i) TrackName(song.tracks[i], names[i]);
    TrackProgram(song.tracks[1], 0, LEAD, 81);    // Lead 2 (sawtooth)
    TrackProgram(song.tracks[2], 0, BASS, 38);    // Synth Bass 1
    TrackProgram(song.tracks[3], 0, CHORDS, 50);  // Synth Strings 1
    TrackProgram(song.tracks[4], 0, ARP, 80);     // Lead 1 (square)
    TrackControl(song.tracks[1], 0, LEAD, 7, 100);
    TrackControl(song.tracks[2], 0, BASS, 7, 110);
    TrackControl(song.tracks[3], 0, CHORDS, 7, 80);
    TrackControl(song.tracks[4], 0, ARP, 7, 64);
    TrackControl(song.tracks[4], 0, ARP, 10, 96);  // arpeggio a little to the right

    const Section sections[] = {
        {Feel::Intro, 4, VERSE_CHORDS},   {Feel::Verse, 8, VERSE_CHORDS},   {Feel::Chorus, 8, CHORUS_CHORDS},
        {Feel::Verse, 8, VERSE_CHORDS},   {Feel::Chorus, 8, CHORUS_CHORDS}, {Feel::Bridge, 8, BRIDGE_CHORDS},
        {Feel::Break, 4, VERSE_CHORDS},   {Feel::Verse, 8, VERSE_CHORDS},   {Feel::Chorus, 8, CHORUS_CHORDS},
        {Feel::Chorus, 4, CHORUS_CHORDS},
    };
    Composer c{&song, RngMake(0x5EED5u), 0};
    int index = 0;
    for (const Section& s : sections) PlaySection(c, s, index++);

    // Ending: one held A minor chord over a crash, then the piece stops (it plays once).
    TrackNote(song.tracks[5], c.tick, BAR, DRUMS, CRASH, 118);
    TrackNote(song.tracks[5], c.tick, EIGHTH, DRUMS, KICK, 120);
    TrackNote(song.tracks[2], c.tick, 2 * BAR, BASS, 33, 110);
    for (int d : {0, 2, 4, 7}) TrackNote(song.tracks[3], c.tick, 2 * BAR, CHORDS, Degree(57, d), 80);
    TrackNote(song.tracks[1], c.tick, 2 * BAR, LEAD, 69 + 12, 100);
}
