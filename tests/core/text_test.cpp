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

struct TextFixture : ::testing::Test {
    Layer layer;
    TextBlock block;
    bool made = false;
    long liveBefore = 0;

    void SetUp() override {
        ConstructLayer(&layer);
        MainLayer = &layer;
        TextImage = kFont;
        liveBefore = GameAllocLive();
    }
    void TearDown() override {
        GameAllocFailAt(0);
        if (made) {
            DestroyGlyphs(&block);
            GameFree(block.text);
        }
        EXPECT_EQ(layer.drawFirst, nullptr);
        EXPECT_EQ(layer.oldest, nullptr);
        EXPECT_EQ(GameAllocLive(), liveBefore) << "the block leaked or freed too much";
        MainLayer = nullptr;
        TextImage = nullptr;
    }
    void Make(int32_t x, int32_t y, const char* text) {
        ConstructTextBlock(&block, x, y, text);
        made = true;
    }
    // Objects of the draw list from drawFirst to oldest.
    std::vector<void*> DrawList() {
        std::vector<void*> out;
        for (SpriteLink* l = layer.drawFirst; l; l = l->older) out.push_back(l->object);
        return out;
    }
};

void ExpectGlyph(const Glyph* g, int32_t x, int32_t y, int32_t srcX, int32_t srcY) {
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->sprite.x, x);
    EXPECT_EQ(g->sprite.y, y);
    EXPECT_EQ(g->sprite.srcX, srcX);
    EXPECT_EQ(g->sprite.srcY, srcY);
    EXPECT_EQ(g->sprite.srcW, 6);
    EXPECT_EQ(g->sprite.srcH, 8);
    EXPECT_EQ(g->sprite.w, 6u);
    EXPECT_EQ(g->sprite.h, 8u);
    EXPECT_EQ(g->sprite.state, 0);
    EXPECT_EQ(g->sprite.image, kFont);
    ASSERT_NE(g->link, nullptr);
    EXPECT_EQ(g->link->object, g);
    EXPECT_EQ(g->link->layer, MainLayer);
}

TEST_F(TextFixture, TwoCharactersSideBySide) {
    Make(10, 20, "AB");
    ASSERT_EQ(block.length, 2);
    EXPECT_STREQ(block.text, "AB");
    EXPECT_EQ(block.x, 10);
    EXPECT_EQ(block.y, 20);
    ExpectGlyph(block.glyphs[0], 10, 20, 90, 16);
    ExpectGlyph(block.glyphs[1], 16, 20, 96, 16);
    EXPECT_EQ(block.width, 0);
    EXPECT_EQ(block.height, 0);
    // Chained in character order.
    EXPECT_EQ(block.glyphs[0]->prev, nullptr);
    EXPECT_EQ(block.glyphs[0]->next, block.glyphs[1]);
    EXPECT_EQ(block.glyphs[1]->prev, block.glyphs[0]);
    EXPECT_EQ(block.glyphs[1]->next, nullptr);
    // The newer glyph enters at drawFirst.
    EXPECT_EQ(DrawList(), (std::vector<void*>{block.glyphs[1], block.glyphs[0]}));
}

TEST_F(TextFixture, LineBreakHasItsOwnGlyph) {
    Make(0, 0, "A\nB");
    ASSERT_EQ(block.length, 3);
    ExpectGlyph(block.glyphs[0], 0, 0, 90, 16);
    ExpectGlyph(block.glyphs[1], 6, 0, 60, 0);
    ExpectGlyph(block.glyphs[2], 0, 8, 96, 16);
    EXPECT_EQ(block.width, 6);
    EXPECT_EQ(block.height, 8);
}

TEST_F(TextFixture, SpaceUsesColumnSevenRowOne) {
    Make(0, 0, " ");
    ExpectGlyph(block.glyphs[0], 0, 0, 42, 8);
}

TEST_F(TextFixture, EmptyStringMakesNoGlyphs) {
    Make(5, 5, "");
    EXPECT_EQ(block.length, 0);
    ASSERT_NE(block.text, nullptr);
    EXPECT_STREQ(block.text, "");
    EXPECT_EQ(block.width, 0);
    EXPECT_EQ(block.height, 0);
    EXPECT_EQ(layer.drawFirst, nullptr);
}

TEST_F(TextFixture, TwoLineBreaksLeaveAnEmptyLine) {
    Make(0, 0, "AB\n\nC");
    ASSERT_EQ(block.length, 5);
    ExpectGlyph(block.glyphs[2], 12, 0, 60, 0);    // first break after "AB"
    ExpectGlyph(block.glyphs[3], 0, 8, 60, 0);     // the empty line's break
    ExpectGlyph(block.glyphs[4], 0, 16, 102, 16);  // 'C' (67) two lines down
    EXPECT_EQ(block.width, 12);
    EXPECT_EQ(block.height, 16);
}

TEST_F(TextFixture, WidthCountsOnlyLinesEndedByABreak) {
    Make(0, 0, "AB\nCDEFG");
    EXPECT_EQ(block.width, 12);
    EXPECT_EQ(block.height, 8);
}

TEST_F(TextFixture, CodeAboveOneTwentySevenIsTakenAsSigned) {
    Make(0, 0, "\xC8");  // -56: column -6 of row -2, both truncated towards zero
    ExpectGlyph(block.glyphs[0], 0, 0, -36, -16);
}

TEST_F(TextFixture, SetTextSameStringMakesNewGlyphsInSamePlaces) {
    Make(3, 4, "Hi\nyo");
    std::vector<Sprite> sprites;
    for (int i = 0; i < block.length; ++i) {
        sprites.push_back(block.glyphs[i]->sprite);
        block.glyphs[i]->sprite.state = 99;  // marks the old records
    }
    long calls = GameAllocCalls();
    long live = GameAllocLive();
    SetText(&block, "Hi\nyo");
    EXPECT_EQ(GameAllocCalls() - calls, 1 + 1 + 2 * 5) << "text, array, and a glyph and a link per character";
    EXPECT_EQ(GameAllocLive(), live) << "the old glyphs, links, array and text were freed";
    ASSERT_EQ(block.length, 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(block.glyphs[i]->sprite.state, 0) << "a new glyph was constructed";
        EXPECT_EQ(block.glyphs[i]->sprite.x, sprites[i].x);
        EXPECT_EQ(block.glyphs[i]->sprite.y, sprites[i].y);
        EXPECT_EQ(block.glyphs[i]->sprite.srcX, sprites[i].srcX);
        EXPECT_EQ(block.glyphs[i]->sprite.srcY, sprites[i].srcY);
    }
    EXPECT_EQ(DrawList().size(), 5u) << "the old glyphs must have left the draw list";
}

TEST_F(TextFixture, SetTextReplacesTextKeepsPosition) {
    Make(7, 9, "old text");
    SetText(&block, "XY");
    EXPECT_STREQ(block.text, "XY");
    ASSERT_EQ(block.length, 2);
    ExpectGlyph(block.glyphs[0], 7, 9, 78, 24);   // 'X' = 88
    ExpectGlyph(block.glyphs[1], 13, 9, 84, 24);  // 'Y' = 89
    EXPECT_EQ(DrawList(), (std::vector<void*>{block.glyphs[1], block.glyphs[0]}));
}

TEST_F(TextFixture, SetTextDoesNotKeepTheCallersBuffer) {
    char buffer[] = "ABC";
    Make(0, 0, "x");
    SetText(&block, buffer);
    buffer[0] = 'Z';
    EXPECT_STREQ(block.text, "ABC");
}

TEST_F(TextFixture, NewGlyphsAreDrawnBeneathOlderObjects) {
    SpriteLink* older = AddLink(&layer, 0, 0);
    Make(0, 0, "A");
    EXPECT_EQ(layer.drawFirst, block.glyphs[0]->link);
    EXPECT_EQ(layer.oldest, older);
    Unlink(older);
    GameFree(older);
}

// Allocation order of a layout: text copy, array, then glyph and link per character.
TEST_F(TextFixture, GlyphAllocationFailureLeavesNullEntry) {
    GameAllocFailAt(5);  // text 1, array 2, glyph A 3, link A 4, glyph B 5
    Make(0, 0, "ABC");
    GameAllocFailAt(0);
    ASSERT_EQ(block.length, 3);
    ExpectGlyph(block.glyphs[0], 0, 0, 90, 16);
    EXPECT_EQ(block.glyphs[1], nullptr);
    ExpectGlyph(block.glyphs[2], 12, 0, 102, 16);  // column counting unaffected
    EXPECT_EQ(block.glyphs[0]->next, nullptr);
    EXPECT_EQ(block.glyphs[2]->prev, nullptr) << "the next glyph is built with no previous one";
    EXPECT_EQ(DrawList().size(), 2u);
}

TEST_F(TextFixture, LinkFailureLeavesGlyphUndrawn) {
    GameAllocFailAt(4);  // the link of 'A'
    Make(0, 0, "AB");
    GameAllocFailAt(0);
    ASSERT_NE(block.glyphs[0], nullptr);
    EXPECT_EQ(block.glyphs[0]->link, nullptr);
    EXPECT_EQ(block.glyphs[0]->next, block.glyphs[1]);
    ExpectGlyph(block.glyphs[1], 6, 0, 96, 16);
    EXPECT_EQ(DrawList(), (std::vector<void*>{block.glyphs[1]}));
}

TEST_F(TextFixture, TextCopyFailureShowsNothingUntilNextText) {
    GameAllocFailAt(1);
    Make(0, 0, "AB");
    GameAllocFailAt(0);
    EXPECT_EQ(block.text, nullptr);
    EXPECT_EQ(block.length, 0);
    EXPECT_EQ(block.glyphs, nullptr);
    EXPECT_EQ(block.width, 0);
    EXPECT_EQ(layer.drawFirst, nullptr);
    SetText(&block, "A\nB");
    EXPECT_STREQ(block.text, "A\nB");
    ExpectGlyph(block.glyphs[2], 0, 8, 96, 16);
    EXPECT_EQ(block.height, 8);
}

TEST_F(TextFixture, GlyphArrayFailureShowsNothingUntilNextText) {
    Make(0, 0, "AB");
    GameAllocFailAt(2);  // new text copy 1, array 2
    SetText(&block, "A\nB");
    GameAllocFailAt(0);
    EXPECT_STREQ(block.text, "A\nB");
    EXPECT_EQ(block.glyphs, nullptr);
    EXPECT_EQ(block.width, 0);
    EXPECT_EQ(block.height, 0);
    EXPECT_EQ(layer.drawFirst, nullptr) << "the old glyphs are gone and no new ones were made";
    SetText(&block, "CD");
    ExpectGlyph(block.glyphs[1], 6, 0, 108, 16);  // 'D' = 68
}

TEST_F(TextFixture, EveryFailingAllocationOfARewriteIsSurvived) {
    Make(0, 0, "start");
    for (long n = 1; n <= 12; ++n) {
        GameAllocFailAt(n);
        SetText(&block, "AB\nC");
        GameAllocFailAt(0);
        int drawn = 0;
        for (int32_t i = 0; block.glyphs && i < block.length; ++i)
            if (block.glyphs[i] && block.glyphs[i]->link) ++drawn;
        EXPECT_EQ((int)DrawList().size(), drawn) << "failing allocation " << n;
        EXPECT_LE(drawn, 4);
    }
}

}  // namespace
