// rand and srand of the replay engine: the generator of GNU libc, which
// engine-headless and the desktop game get on Linux (an additive feedback
// generator over 31 words, seeded through the minimal standard generator),
// in place of emscripten's C library's, which gives other numbers for the
// same seed. The game module draws every random number through rand, so a
// run in the page with the seed of an engine-headless run repeats it.
#include <cstdint>

namespace {

constexpr int kWords = 31;      // the generator's degree
constexpr int kSeparation = 3;  // between the two words added

struct Generator {
    uint32_t words[kWords];
    int front;  // the word that takes the sum
    int rear;   // the word added to it
    bool seeded;
};

Generator generator;

uint32_t Next() {
    uint32_t sum = generator.words[generator.front] += generator.words[generator.rear];
    generator.front = (generator.front + 1) % kWords;
    generator.rear = (generator.rear + 1) % kWords;
    return sum >> 1;  // the lowest bit is the least random
}

void Seed(unsigned seed) {
    if (seed == 0) seed = 1;
    int32_t word = static_cast<int32_t>(seed);
    generator.words[0] = seed;
    for (int i = 1; i < kWords; ++i) {
        // 16807 * word modulo 2^31 - 1, without overflow (Schrage).
        const int64_t high = word / 127773, low = word % 127773;
        word = static_cast<int32_t>(16807 * low - 2836 * high);
        if (word < 0) word += 2147483647;
        generator.words[i] = static_cast<uint32_t>(word);
    }
    generator.front = kSeparation;
    generator.rear = 0;
    generator.seeded = true;
    for (int i = 0; i < 10 * kWords; ++i) Next();
}

}  // namespace

extern "C" void srand(unsigned seed) { Seed(seed); }

// Unseeded, the generator runs as if seeded with 1.
extern "C" int rand(void) {
    if (!generator.seeded) Seed(1);
    return static_cast<int>(Next());
}
