// Layers, tile maps, sprite headers and draw lists.
#include "prog/core/layers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "prog/core/alloc.h"
#include "prog/core/world.h"

namespace {

struct LayerFixture : ::testing::Test {
    Layer layer;
    std::vector<SpriteLink*> made;
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
    // Depths from drawFirst to oldest, checking both directions agree.
    std::vector<SpriteLink*> Order() {
        std::vector<SpriteLink*> forward, backward;
        for (SpriteLink* l = layer.drawFirst; l; l = l->older) forward.push_back(l);
        for (SpriteLink* l = layer.oldest; l; l = l->newer) backward.insert(backward.begin(), l);
        EXPECT_EQ(forward, backward);
        return forward;
    }
};

TEST_F(LayerFixture, AddLinkOnEmptyLayerIsBothEnds) {
    SpriteLink* a = Add(0);
    EXPECT_EQ(layer.drawFirst, a);
    EXPECT_EQ(layer.oldest, a);
    EXPECT_EQ(a->layer, &layer);
    EXPECT_EQ(a->depth, 0);
    EXPECT_EQ(a->object, nullptr);
}

TEST_F(LayerFixture, ObjectsAddedABCAreDrawnCBA) {
    SpriteLink* a = Add(0);
    SpriteLink* b = Add(0);
    SpriteLink* c = Add(0);
    EXPECT_EQ(Order(), (std::vector<SpriteLink*>{c, b, a}));
}

TEST_F(LayerFixture, UnlinkAtEachEnd) {
    SpriteLink* a = Add(0);
    SpriteLink* b = Add(0);
    SpriteLink* c = Add(0);
    Unlink(c);  // drawFirst
    EXPECT_EQ(layer.drawFirst, b);
    EXPECT_EQ(Order(), (std::vector<SpriteLink*>{b, a}));
    Unlink(a);  // oldest
    EXPECT_EQ(layer.oldest, b);
    EXPECT_EQ(Order(), (std::vector<SpriteLink*>{b}));
    Unlink(b);  // only link
    EXPECT_EQ(layer.drawFirst, nullptr);
    EXPECT_EQ(layer.oldest, nullptr);
}

TEST_F(LayerFixture, UnlinkInTheMiddleJoinsNeighbours) {
    SpriteLink* a = Add(0);
    SpriteLink* b = Add(0);
    SpriteLink* c = Add(0);
    Unlink(b);
    EXPECT_EQ(Order(), (std::vector<SpriteLink*>{c, a}));
}

// Builds the list 0, 1, 3, 3, 5 from drawFirst to oldest.
struct DepthList : LayerFixture {
    SpriteLink *d0, *d1, *d3a, *d3b, *d5;
    void SetUp() override {
        LayerFixture::SetUp();
        d5 = Add(5);
        d3b = Add(3);
        d3a = Add(3);
        d1 = Add(1);
        d0 = Add(0);
        ASSERT_EQ(Order(), (std::vector<SpriteLink*>{d0, d1, d3a, d3b, d5}));
    }
};

TEST_F(DepthList, RaisedToThreeLandsBeforeTheFirstThree) {
    EXPECT_EQ(SetDepth(d0, 3), 3);
    EXPECT_EQ(Order(), (std::vector<SpriteLink*>{d1, d0, d3a, d3b, d5}));
    EXPECT_EQ(layer.drawFirst, d1);
}

TEST_F(DepthList, FiveLoweredToThreeStaysAfterTheSecondThree) {
    EXPECT_EQ(SetDepth(d5, 3), 3);
    EXPECT_EQ(Order(), (std::vector<SpriteLink*>{d0, d1, d3a, d3b, d5}));
    EXPECT_EQ(GetDepth(d5), 3);
}

TEST_F(DepthList, OneRaisedToNineBecomesOldest) {
    SetDepth(d1, 9);
    EXPECT_EQ(Order(), (std::vector<SpriteLink*>{d0, d3a, d3b, d5, d1}));
    EXPECT_EQ(layer.oldest, d1);
}

TEST_F(DepthList, FiveLoweredToMinusOneBecomesDrawFirst) {
    SetDepth(d5, -1);
    EXPECT_EQ(Order(), (std::vector<SpriteLink*>{d5, d0, d1, d3a, d3b}));
    EXPECT_EQ(layer.drawFirst, d5);
    EXPECT_EQ(layer.oldest, d3b);
}

TEST_F(DepthList, SameDepthChangesNothing) {
    EXPECT_EQ(SetDepth(d3a, 3), 3);
    EXPECT_EQ(Order(), (std::vector<SpriteLink*>{d0, d1, d3a, d3b, d5}));
}

TEST_F(DepthList, RaisedToNeighboursDepthStays) {
    SetDepth(d1, 3);  // older neighbour already has 3
    EXPECT_EQ(Order(), (std::vector<SpriteLink*>{d0, d1, d3a, d3b, d5}));
    SetDepth(d3a, 0);  // newer neighbour (d1) now has 3 > 0: moves
    EXPECT_EQ(Order(), (std::vector<SpriteLink*>{d0, d3a, d1, d3b, d5}));
}

TEST_F(LayerFixture, NewLinkIsDrawnBeneathOlderLinksOfSameDepth) {
    SpriteLink* a = Add(2);
    SpriteLink* b = Add(2);
    EXPECT_EQ(Order(), (std::vector<SpriteLink*>{b, a}));
}

TEST_F(LayerFixture, AddLinkOutOfMemoryChangesNothing) {
    SpriteLink* a = Add(0);
    GameAllocFailAt(1);
    EXPECT_EQ(AddLink(&layer, 0, 0), nullptr);
    EXPECT_EQ(Order(), (std::vector<SpriteLink*>{a}));
}

TEST(Layers, ThreeAddLayerCallsChainBothWays) {
    Prog prog = {};
    Layer* a = AddLayer(&prog);
    Layer* b = AddLayer(&prog);
    Layer* c = AddLayer(&prog);
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(prog.layers, a);
    EXPECT_EQ(a->next, b);
    EXPECT_EQ(b->next, c);
    EXPECT_EQ(c->next, nullptr);
    EXPECT_EQ(c->prev, b);
    EXPECT_EQ(b->prev, a);
    EXPECT_EQ(a->prev, nullptr);
    EXPECT_EQ(b->map, nullptr);
    GameFree(a);
    GameFree(b);
    GameFree(c);
}

TEST(Layers, AddLayerOutOfMemoryLeavesChain) {
    Prog prog = {};
    Layer* a = AddLayer(&prog);
    GameAllocFailAt(1);
    EXPECT_EQ(AddLayer(&prog), nullptr);
    EXPECT_EQ(a->next, nullptr);
    GameFree(a);
}

TEST(TileMaps, ElevenByNineWithImage) {
    Image* image = reinterpret_cast<Image*>(0x1234);
    TileMap map;
    EXPECT_EQ(ConstructTileMap(&map, 11, 9, image, MAP_VISIBLE, -3, -4, 11, 9, 128, 128, 7), &map);
    ASSERT_NE(map.tiles, nullptr);
    for (int i = 0; i < 99; ++i) {
        EXPECT_EQ(map.tiles[i].image, image);
        EXPECT_EQ(map.tiles[i].col, 0);
        EXPECT_EQ(map.tiles[i].row, 0);
    }
    EXPECT_EQ(map.state, MAP_VISIBLE);
    EXPECT_EQ(map.scrollX, -3);
    EXPECT_EQ(map.scrollY, -4);
    EXPECT_EQ(map.tileW, 128u);
    EXPECT_EQ(map.userWord, 7u);
    GameFree(map.tiles);
}

TEST(TileMaps, WithoutImageEveryTileIsZero) {
    TileMap map;
    ConstructTileMap(&map, 11, 9, nullptr, 0, 0, 0, 11, 9, 128, 128, 0);
    ASSERT_NE(map.tiles, nullptr);
    for (int i = 0; i < 99; ++i) {
        EXPECT_EQ(map.tiles[i].image, nullptr);
        EXPECT_EQ(map.tiles[i].col | map.tiles[i].row, 0);
    }
    GameFree(map.tiles);
}

TEST(TileMaps, FailedTileArrayStillReturnsMap) {
    TileMap map;
    GameAllocFailAt(1);
    EXPECT_EQ(ConstructTileMap(&map, 11, 9, nullptr, 0, 0, 0, 11, 9, 128, 128, 0), &map);
    EXPECT_EQ(map.tiles, nullptr);
    EXPECT_EQ(map.cols, 11);
    EXPECT_EQ(AllocateTiles(&map), 1);
    GameFree(map.tiles);
    GameAllocFailAt(1);
    EXPECT_EQ(AllocateTiles(&map), ERR_OUT_OF_MEMORY);
}

TEST(Sprites, ConstructorClearsHeaderAndSetsInitialState) {
    Sprite s;
    std::memset(&s, 0x5A, sizeof s);
    ConstructSprite(&s);
    EXPECT_EQ(s.srcX | s.srcY | s.srcW | s.srcH | s.x | s.y, 0);
    EXPECT_EQ(s.w | s.h, 0u);
    EXPECT_EQ(s.image, nullptr);
    EXPECT_EQ(s.state, STATE_INITIAL);
    EXPECT_EQ(STATE_INITIAL, 6000);
}

TEST(Alloc, FailAtNthCallAndCountsLive) {
    long live = GameAllocLive();
    GameAllocFailAt(3);
    void* a = GameAlloc(8);
    void* b = GameAlloc(8);
    void* c = GameAlloc(8);
    void* d = GameAlloc(8);
    EXPECT_NE(a, nullptr);
    EXPECT_NE(b, nullptr);
    EXPECT_EQ(c, nullptr);
    EXPECT_NE(d, nullptr);
    EXPECT_EQ(GameAllocLive(), live + 3);
    GameFree(a);
    GameFree(b);
    GameFree(d);
    EXPECT_EQ(GameAllocLive(), live);
    GameAllocFailAt(2, true);
    void* e = GameAlloc(8);
    EXPECT_NE(e, nullptr);
    EXPECT_EQ(GameAlloc(8), nullptr);
    EXPECT_EQ(GameAlloc(8), nullptr);
    GameAllocFailAt(0);
    GameFree(e);
}

}  // namespace
