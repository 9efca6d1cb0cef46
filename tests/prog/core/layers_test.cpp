// Draw lists and tile maps.
#include "prog/core/layers.h"

#include "tests/support/world.h"

namespace {

// Added A, B, C, D at one depth: drawn D, C, B, A (the newest first); each unlink keeps both directions of the list in
// step.
TEST(Layers, AddLinkAndUnlinkAtEachEnd) {
    Layer layer;
    ConstructLayer(&layer);
    std::vector<SpriteLink*> links, forward, backward;
    for (int i = 0; i < 4; ++i) links.insert(links.begin(), AddLink(&layer, 0, 0));
    EXPECT_TRUE(links[3]->layer == &layer && !links[3]->object);
    for (SpriteLink* gone : {links[1], links[0], links[3], links[2], (SpriteLink*)nullptr}) {
        forward.clear(), backward.clear();
        for (SpriteLink* l = layer.drawFirst; l; l = l->older) forward.push_back(l);
        for (SpriteLink* l = layer.oldest; l; l = l->newer) backward.insert(backward.begin(), l);
        EXPECT_EQ(forward, links);
        EXPECT_EQ(backward, links);
        if (gone) UnlinkSprite(gone), links.erase(std::find(links.begin(), links.end(), gone)), GameFree(gone);
    }
}
// Every tile starts at cell (0, 0) with the map's image; a map whose tile array cannot be allocated is kept without
// tiles, reported as out of memory.
TEST(Layers, NinetyNineTilesWithAndWithoutImageOrMemory) {
    for (Image* image : {fake::ImageFor("tiles.bmp"), static_cast<Image*>(nullptr)}) {
        TileMap map;
        EXPECT_EQ(ConstructTileMap(&map, 11, 9, image, MAP_VISIBLE, -3, -4, 10, 8, 128, 64, 7), &map);
        for (int i = 0; i < 99; ++i)
            ASSERT_TRUE(map.tiles[i].image == image && map.tiles[i].col == 0 && map.tiles[i].row == 0) << i;
        EXPECT_EQ((V{map.cols, map.rows, map.state, map.scrollX, map.scrollY, (int32_t)map.spanCols,
                     (int32_t)map.spanRows, (int32_t)map.tileW, (int32_t)map.tileH, (int32_t)map.userWord}),
                  (V{11, 9, MAP_VISIBLE, -3, -4, 10, 8, 128, 64, 7}));
        GameFree(map.tiles);
        GameGetFaults()->alloc = FailNth(1);
        EXPECT_EQ(ConstructTileMap(&map, 11, 9, image, 0, 0, 0, 11, 9, 128, 128, 0)->tiles, nullptr);
        EXPECT_EQ((GameGetFaults()->alloc = FailNth(1), AllocateTiles(&map)), 4100);
    }
}

}  // namespace
