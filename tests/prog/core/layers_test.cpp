// Layers, tile maps, sprite headers and draw lists.
#include "prog/core/layers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "prog/core/alloc.h"
#include "prog/core/world.h"

namespace {

using Links = std::vector<SpriteLink*>;

struct LayerFixture : ::testing::Test {
    Layer layer;
    Links made;
    void SetUp() override { ConstructLayer(&layer); }
    void TearDown() override {
        for (SpriteLink* l : made) GameFree(l);
        GameAllocFailAt(0);
    }
    SpriteLink* Add(int depth) {
        SpriteLink* l = AddLink(&layer, depth, 0);
        made.push_back(l);
        return l;
    }
    // Links from drawFirst to oldest, checking that both directions agree.
    Links Order() {
        Links forward, backward;
        for (SpriteLink* l = layer.drawFirst; l; l = l->older) forward.push_back(l);
        for (SpriteLink* l = layer.oldest; l; l = l->newer) backward.insert(backward.begin(), l);
        EXPECT_EQ(forward, backward);
        return forward;
    }
};

TEST_F(LayerFixture, AddLinkAndUnlinkAtEachEnd) {
    SpriteLink* a = Add(0);
    EXPECT_EQ(Order(), Links{a});
    EXPECT_EQ(a->layer, &layer);
    EXPECT_EQ(a->object, nullptr);
    SpriteLink* b = Add(0);
    SpriteLink* c = Add(0);
    SpriteLink* d = Add(0);
    EXPECT_EQ(Order(), (Links{d, c, b, a})) << "added A, B, C, D: drawn D, C, B, A";
    Unlink(c);
    EXPECT_EQ(Order(), (Links{d, b, a}));
    Unlink(d);
    EXPECT_EQ(Order(), (Links{b, a}));
    Unlink(a);
    EXPECT_EQ(Order(), Links{b});
    Unlink(b);
    EXPECT_EQ(layer.drawFirst, nullptr);
    EXPECT_EQ(layer.oldest, nullptr);
}

TEST_F(LayerFixture, NewLinkIsDrawnBeneathOlderLinksOfSameDepth) {
    SpriteLink* a = Add(2);
    SpriteLink* b = Add(2);
    EXPECT_EQ(Order(), (Links{b, a}));
}

// The list 0, 1, 3, 3, 5 from drawFirst to oldest, one change at a time.
TEST_F(LayerFixture, SetDepthInTheList01335) {
    struct Case {
        int link, depth;
        std::vector<int> order;  // indices into {0, 1, 3a, 3b, 5} afterwards
    };
    const Case cases[] = {
        {0, 3, {1, 0, 2, 3, 4}},   // raised to 3: before the first 3
        {4, 3, {0, 1, 2, 3, 4}},   // lowered to 3: after the second 3, where it was
        {1, 9, {0, 2, 3, 4, 1}},   // becomes oldest
        {4, -1, {4, 0, 1, 2, 3}},  // becomes drawFirst
        {2, 3, {0, 1, 2, 3, 4}},   // same depth
        {1, 3, {0, 1, 2, 3, 4}},   // raised to the older neighbour's depth
        {1, 0, {0, 1, 2, 3, 4}},   // lowered to the newer neighbour's depth
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "link " << c.link << " to depth " << c.depth);
        Links links;
        for (int depth : {5, 3, 3, 1, 0}) links.insert(links.begin(), Add(depth));
        EXPECT_EQ(SetDepth(links[c.link], c.depth), c.depth);
        EXPECT_EQ(GetDepth(links[c.link]), c.depth);
        Links expected;
        for (int i : c.order) expected.push_back(links[i]);
        EXPECT_EQ(Order(), expected);
        for (SpriteLink* l : links) Unlink(l);
    }
}

TEST(Layers, ThreeAddLayerCallsChainBothWays) {
    Prog prog = {};
    Layer* a = AddLayer(&prog);
    Layer* b = AddLayer(&prog);
    Layer* c = AddLayer(&prog);
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ((std::vector<void*>{prog.layers, a->prev, a->next, b->prev, b->next, c->prev, c->next, b->map}),
              (std::vector<void*>{a, nullptr, b, a, c, b, nullptr, nullptr}));
    for (Layer* l : {a, b, c}) GameFree(l);
}

TEST_F(LayerFixture, FailedAllocationsLeaveEverythingAsItWas) {
    SpriteLink* a = Add(0);
    GameAllocFailAt(1);
    EXPECT_EQ(AddLink(&layer, 0, 0), nullptr);
    EXPECT_EQ(Order(), Links{a});

    Prog prog = {};
    Layer* first = AddLayer(&prog);
    GameAllocFailAt(1);
    EXPECT_EQ(AddLayer(&prog), nullptr);
    EXPECT_EQ(first->next, nullptr);
    GameFree(first);

    TileMap map;
    GameAllocFailAt(1);
    EXPECT_EQ(ConstructTileMap(&map, 11, 9, nullptr, 0, 0, 0, 11, 9, 128, 128, 0), &map);
    EXPECT_EQ(map.tiles, nullptr);
    EXPECT_EQ(map.cols, 11);
    GameAllocFailAt(1);
    EXPECT_EQ(AllocateTiles(&map), 4100);
    EXPECT_EQ(AllocateTiles(&map), 1);
    GameFree(map.tiles);
}

TEST(TileMaps, NinetyNineTilesWithAndWithoutImage) {
    for (Image* image : {reinterpret_cast<Image*>(0x1234), static_cast<Image*>(nullptr)}) {
        SCOPED_TRACE(image ? "with image" : "without image");
        TileMap map;
        EXPECT_EQ(ConstructTileMap(&map, 11, 9, image, MAP_VISIBLE, -3, -4, 10, 8, 128, 64, 7), &map);
        ASSERT_NE(map.tiles, nullptr);
        for (int i = 0; i < 99; ++i) {
            EXPECT_EQ(map.tiles[i].image, image);
            EXPECT_EQ(map.tiles[i].col | map.tiles[i].row, 0);
        }
        EXPECT_EQ((std::vector<int64_t>{map.cols, map.rows, map.state, map.scrollX, map.scrollY, map.spanCols,
                                        map.spanRows, map.tileW, map.tileH, map.userWord}),
                  (std::vector<int64_t>{11, 9, MAP_VISIBLE, -3, -4, 10, 8, 128, 64, 7}));
        GameFree(map.tiles);
    }
}

TEST(Sprites, ConstructorClearsHeaderAndSetsInitialState) {
    Sprite s;
    std::memset(&s, 0x5A, sizeof s);
    ConstructSprite(&s);
    EXPECT_EQ(s.srcX | s.srcY | s.srcW | s.srcH | s.x | s.y, 0);
    EXPECT_EQ(s.w | s.h, 0u);
    EXPECT_EQ(s.image, nullptr);
    EXPECT_EQ(s.state, 6000);
}

}  // namespace
