// Text blocks: the layout of glyphs and what each failed allocation leaves.
#include "prog/core/text.h"

#include "tests/support/world.h"

namespace {

// Glyphs left to right from the block's place, a line break starting the next 8 rows down; the cell of a character is
// its code as a signed byte, 25 cells a row; only lines ended by a break count for the size. A layout allocates the
// text copy, the array, then a glyph and a link per character: a missing glyph leaves its character undrawn (the next
// chained to none), a missing link its glyph undrawn; without its copy or array a block shows nothing until the next
// text. Row: failing allocation, text; then each glyph's x, y, srcX, srcY (-1 for none), width, height.
TEST(Text, LayoutAndWhatEachFailedAllocationLeaves) {
    Layer layer;
    ConstructLayer(&layer), MainLayer = &layer, TextImage = fake::ImageFor("text.bmp");
    TextBlock block{};
    const long live = GameAllocLive();
    const struct {
        int failAt;
        std::string text, kept;
        V layout;
    } rows[] = {{5, "ABC", "ABC", {10, 20, 90, 16, -1, -1, -1, -1, 22, 20, 102, 16, 0, 0}},
                {4, "A\nB", "A\nB", {10, 20, 90, 16, 16, 20, 60, 0, 10, 28, 96, 16, 6, 8}},
                {1, "AB", "", {0, 0}},
                {2, "CD", "CD", {0, 0}},
                {0,
                 "\xC8\n\nCD",
                 "\xC8\n\nCD",  // code 200 is -56: column -6 of row -2
                 {10, 20, -36, -16, 16, 20, 60, 0, 10, 28, 60, 0, 10, 36, 102, 16, 16, 36, 108, 16, 6, 16}}};
    for (const auto& r : rows) {
        std::string buffer = r.text;
        GameGetFaults()->alloc = FailNth(r.failAt);
        if (r.failAt == 5)
            ConstructTextBlock(&block, 10, 20, buffer.data());
        else
            SetText(&block, buffer.data());
        buffer[0] = 'X';  // the block keeps no caller's buffer
        EXPECT_EQ(block.text ? block.text : "", r.kept);
        V out;
        std::vector<void*> drawn, listed;
        for (int i = 0; block.glyphs && i < block.length; ++i) {
            const Glyph* g = block.glyphs[i];
            const Sprite& s = g ? g->sprite : Sprite{-1, -1, 6, 8, -1, -1, 6, 8, TextImage, 0};
            out.insert(out.end(), {s.x, s.y, s.srcX, s.srcY});
            EXPECT_EQ((V{s.srcW, s.srcH, (int32_t)s.w, (int32_t)s.h, s.state, s.image == TextImage}),
                      (V{6, 8, 6, 8, 0, 1}));
            EXPECT_TRUE(!g || (g->prev == (i ? block.glyphs[i - 1] : nullptr) &&
                               g->next == (i + 1 < block.length ? block.glyphs[i + 1] : nullptr) &&
                               (!g->link || g->link->object == g)))
                << i;
            if (g && g->link) drawn.insert(drawn.begin(), (void*)g);
        }
        for (SpriteLink* l = layer.drawFirst; l; l = l->older) listed.push_back(l->object);
        EXPECT_EQ(listed, drawn) << "the linked glyphs, newest first";
        out.insert(out.end(), {block.width, block.height});
        EXPECT_EQ(out, r.layout) << r.failAt;
    }
    GameGetFaults()->alloc = Fault{};
    DestroyGlyphs(&block), GameFree(block.text);
    EXPECT_EQ((V{layer.drawFirst == nullptr, GameAllocLive() == live}), (V{1, 1}));
    MainLayer = nullptr, TextImage = nullptr;
}

}  // namespace
