// The game's music: an original driving piece in A minor, composed from patterns.
#pragma once
#include "tools/assetgen/midi_writer.h"

void ComposeSong(MidiSong& song);
