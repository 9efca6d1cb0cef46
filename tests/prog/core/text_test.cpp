// Text blocks: layout of glyphs, their sources and chain, the draw list, and
// what each failed allocation leaves.
#include "prog/core/text.h"

#include <gtest/gtest.h>

#include <vector>

#include "prog/core/alloc.h"
#include "prog/core/layers.h"
#include "prog/core/world.h"

namespace {

Image* const kFont = reinterpret_cast<Image*>(0x7e57);

struct At {
    int32_t x, y, srcX, srcY;
};

struct TextFixture : ::testing::Test {
    Layer layer;
    TextBlock block{};
    long liveBefore = 0;

    void SetUp() override {
        ConstructLayer(&layer);
        MainLayer = &layer;
        TextImage = kFont;
        liveBefore = GameAllocLive();
    }
    void TearDown() override {
        GameAllocFailAt(0);
        DestroyGlyphs(&block);
        GameFree(block.text);
        EXPECT_EQ(layer.drawFirst, nullptr);
        EXPECT_EQ(GameAllocLive(), liveBefore) << "the block leaked or freed too much";
        MainLayer = nullptr;
        TextImage = nullptr;
    }
    // Objects of the draw list from drawFirst to oldest.
    std::vector<void*> DrawList() {
        std::vector<void*> out;
        for (SpriteLink* l = layer.drawFirst; l; l = l->older) out.push_back(l->object);
        return out;
    }
};

void ExpectGlyph(const Glyph* g, At at) {
    ASSERT_NE(g, nullptr);
    const Sprite& s = g->sprite;
    EXPECT_EQ((std::vector<int64_t>{s.x, s.y, s.srcX, s.srcY, s.srcW, s.srcH, s.w, s.h, s.state}),
              (std::vector<int64_t>{at.x, at.y, at.srcX, at.srcY, 6, 8, 6, 8, 0}));
    EXPECT_EQ(s.image, kFont);
    ASSERT_NE(g->link, nullptr);
    EXPECT_EQ(g->link->object, g);
    EXPECT_EQ(g->link->layer, MainLayer);
}

// Every glyph is checked, and they are chained in character order with the
// newest at drawFirst.
void ExpectLayout(TextFixture& t, const std::vector<At>& glyphs, int32_t width, int32_t height) {
    const TextBlock& b = t.block;
    ASSERT_EQ(b.length, (int32_t)glyphs.size());
    std::vector<void*> drawn;
    for (size_t i = 0; i < glyphs.size(); ++i) {
        SCOPED_TRACE(::testing::Message() << "glyph " << i);
        ExpectGlyph(b.glyphs[i], glyphs[i]);
        EXPECT_EQ(b.glyphs[i]->prev, i ? b.glyphs[i - 1] : nullptr);
        EXPECT_EQ(b.glyphs[i]->next, i + 1 < glyphs.size() ? b.glyphs[i + 1] : nullptr);
        drawn.insert(drawn.begin(), b.glyphs[i]);
    }
    EXPECT_EQ(t.DrawList(), drawn);
    EXPECT_EQ(b.width, width);
    EXPECT_EQ(b.height, height);
}

TEST_F(TextFixture, Layouts) {
    struct Case {
        const char* text;
        int32_t x, y;
        std::vector<At> glyphs;
        int32_t width, height;
    };
    const Case cases[] = {
        {"AB", 10, 20, {{10, 20, 90, 16}, {16, 20, 96, 16}}, 0, 0},
        {"A\nB", 0, 0, {{0, 0, 90, 16}, {6, 0, 60, 0}, {0, 8, 96, 16}}, 6, 8},
        {" ", 0, 0, {{0, 0, 42, 8}}, 0, 0},
        {"", 5, 5, {}, 0, 0},
        // An empty line between two breaks; 'C' (67) two lines down.
        {"AB\n\nC", 0, 0, {{0, 0, 90, 16}, {6, 0, 96, 16}, {12, 0, 60, 0}, {0, 8, 60, 0}, {0, 16, 102, 16}}, 12, 16},
        // Characters after the last break count for neither width nor height.
        {"A\nCDE", 1, 2, {{1, 2, 90, 16}, {7, 2, 60, 0}, {1, 10, 102, 16}, {7, 10, 108, 16}, {13, 10, 114, 16}}, 6, 8},
        // Code 200 is -56 as a signed char: column -6 of row -2.
        {"\xC8", 0, 0, {{0, 0, -36, -16}}, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ConstructTextBlock(&block, c.x, c.y, c.text);
        ASSERT_NE(block.text, nullptr);
        EXPECT_STREQ(block.text, c.text);
        EXPECT_EQ(block.x, c.x);
        EXPECT_EQ(block.y, c.y);
        ExpectLayout(*this, c.glyphs, c.width, c.height);
        DestroyGlyphs(&block);
        GameFree(block.text);
    }
    block = TextBlock{};
}

TEST_F(TextFixture, SetTextRebuildsFromScratchAtTheSamePlace) {
    ConstructTextBlock(&block, 7, 9, "old text");
    char buffer[] = "X\nY";
    SetText(&block, buffer);
    buffer[0] = 'Z';  // the caller's buffer is not kept
    ExpectLayout(*this, {{7, 9, 78, 24}, {13, 9, 60, 0}, {7, 17, 84, 24}}, 6, 8);

    for (int i = 0; i < 3; ++i) block.glyphs[i]->sprite.state = 99;  // marks the old records
    const long calls = GameAllocCalls(), live = GameAllocLive();
    SetText(&block, "X\nY");
    EXPECT_EQ(GameAllocCalls() - calls, 1 + 1 + 2 * 3) << "text, array, and a glyph and a link per character";
    EXPECT_EQ(GameAllocLive(), live) << "the old glyphs, links, array and text were freed";
    ExpectLayout(*this, {{7, 9, 78, 24}, {13, 9, 60, 0}, {7, 17, 84, 24}}, 6, 8);
}

// A layout allocates the text copy, the array, then a glyph and a link per
// character.
TEST_F(TextFixture, GlyphOrLinkFailureLeavesThatCharacterUndrawn) {
    GameAllocFailAt(5);  // the glyph of 'B'
    ConstructTextBlock(&block, 0, 0, "ABC");
    ASSERT_EQ(block.length, 3);
    EXPECT_EQ(block.glyphs[1], nullptr);
    ExpectGlyph(block.glyphs[2], {12, 0, 102, 16});  // column counting unaffected
    EXPECT_EQ(block.glyphs[0]->next, nullptr);
    EXPECT_EQ(block.glyphs[2]->prev, nullptr) << "the next glyph is built with no previous one";
    EXPECT_EQ(DrawList(), (std::vector<void*>{block.glyphs[2], block.glyphs[0]}));

    GameAllocFailAt(4);  // the link of 'A'
    SetText(&block, "AB");
    ASSERT_NE(block.glyphs[0], nullptr);
    EXPECT_EQ(block.glyphs[0]->link, nullptr);
    EXPECT_EQ(block.glyphs[0]->next, block.glyphs[1]);
    EXPECT_EQ(DrawList(), (std::vector<void*>{block.glyphs[1]}));
}

// Without its text copy or its glyph array a block shows nothing until the
// next text.
TEST_F(TextFixture, TextOrArrayFailureShowsNothingUntilNextText) {
    GameAllocFailAt(1);
    ConstructTextBlock(&block, 0, 0, "AB");
    EXPECT_EQ(block.text, nullptr);
    EXPECT_EQ(block.length, 0);
    EXPECT_EQ(block.glyphs, nullptr);
    EXPECT_EQ(layer.drawFirst, nullptr);
    SetText(&block, "A\nB");
    ExpectLayout(*this, {{0, 0, 90, 16}, {6, 0, 60, 0}, {0, 8, 96, 16}}, 6, 8);

    GameAllocFailAt(2);
    SetText(&block, "CD");
    EXPECT_STREQ(block.text, "CD");
    EXPECT_EQ(block.glyphs, nullptr);
    EXPECT_EQ(block.width | block.height, 0);
    EXPECT_EQ(layer.drawFirst, nullptr) << "the old glyphs are gone and no new ones were made";
    SetText(&block, "CD");
    ExpectLayout(*this, {{0, 0, 102, 16}, {6, 0, 108, 16}}, 0, 0);
}

}  // namespace
