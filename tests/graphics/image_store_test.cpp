// AddImage: the image chain, the surfaces loaded from bitmap files with their
// colour keys, blank images, and every failure with its message and result.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/graphics/bmp_files.h"
#include "tests/graphics/engine_fixture.h"

using namespace gfxtest;

namespace {

struct ImageStore : EngineGraphics {
    // A 24-bit file with distinct colours; its top-left pixel is first.
    std::string GoodFile(const char* name, int w = 5, int h = 4, Rgb topLeft = {255, 0, 255}) {
        BmpSpec s;
        s.width = w;
        s.height = h;
        s.pixels = TestColours(w, h);
        s.pixels[0] = topLeft;
        colours = s.pixels;
        return WriteFile(name, MakeBmp(s));
    }
    std::vector<Rgb> colours;

    static uint16_t PixelOf(const Image* image, int x, int y) {
        const IDirectDrawSurface4* s = image->holder->surface;
        return s->pixels[y * (s->pitch / 2) + x];
    }
};

TEST_F(ImageStore, FileImageBecomesAColourKeyedSurface) {
    std::string path = GoodFile("one.bmp", 5, 4, Rgb{255, 0, 255});
    Image* image = AddImage(path.c_str(), IMAGE_FROM_FILE, 0, 0);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(prog.images, image);
    EXPECT_STREQ(image->path, path.c_str());
    EXPECT_EQ(image->kind, 3001);
    EXPECT_EQ(image->mode, 3101);
    EXPECT_EQ(image->next, nullptr);
    ASSERT_NE(image->holder, nullptr);
    EXPECT_EQ(image->holder->width, 5);
    EXPECT_EQ(image->holder->height, 4);
    IDirectDrawSurface4* s = image->holder->surface;
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->width, 5);
    EXPECT_EQ(s->height, 4);
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 5; x++) EXPECT_EQ(PixelOf(image, x, y), To565(colours[y * 5 + x])) << x << "," << y;
    // The key is the top-left pixel: magenta at 16 bits.
    EXPECT_TRUE(s->hasSrcKey);
    EXPECT_EQ(s->srcKey.dwColorSpaceLowValue, 0xF81Fu);
    EXPECT_EQ(s->srcKey.dwColorSpaceHighValue, 0xF81Fu);
    EXPECT_FALSE(s->locked) << "unlocked again after reading the key";
    EXPECT_FALSE(s->dcOut);
    EXPECT_EQ(Boxes(), 0);
}

TEST_F(ImageStore, KeyIsTheTopLeftPixelWhateverItIs) {
    Rgb c = {200, 100, 50};
    Image* image = AddImage(GoodFile("key.bmp", 3, 3, c).c_str(), IMAGE_FROM_FILE, 0, 0);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->holder->surface->srcKey.dwColorSpaceLowValue, To565(c));
    // A one-pixel image: its only pixel is the key.
    Image* dot = AddImage(GoodFile("dot.bmp", 1, 1, Rgb{1, 2, 3}).c_str(), IMAGE_FROM_FILE, 0, 0);
    ASSERT_NE(dot, nullptr);
    EXPECT_EQ(dot->holder->surface->srcKey.dwColorSpaceLowValue, To565(Rgb{1, 2, 3}));
}

TEST_F(ImageStore, ImagesAreChainedInOrder) {
    Image* a = AddImage(GoodFile("a.bmp").c_str(), IMAGE_FROM_FILE, 0, 0);
    Image* b = AddImage(GoodFile("b.bmp").c_str(), IMAGE_FROM_FILE, 0, 0);
    Image* c = AddImage(GoodFile("c.bmp").c_str(), IMAGE_FROM_FILE, 0, 0);
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(prog.images, a);
    EXPECT_EQ(a->next, b);
    EXPECT_EQ(b->next, c);
    EXPECT_EQ(c->next, nullptr);
    EXPECT_NE(a->holder->surface, b->holder->surface);
}

TEST_F(ImageStore, FailedFirstImageLeavesADeadHead) {
    std::string missing = TempPath("missing.bmp");
    EXPECT_EQ(AddImage(missing.c_str(), IMAGE_FROM_FILE, 0, 0), nullptr);
    ASSERT_EQ(Boxes(), 1);
    EXPECT_EQ(BoxText(0), "Head image could not be loaded and/or found");
    EXPECT_EQ(BoxCaption(0), "Report");
    Image* dead = prog.images;
    ASSERT_NE(dead, nullptr) << "the failed image stays as the head";
    EXPECT_STREQ(dead->path, missing.c_str());
    EXPECT_EQ(dead->holder->surface, nullptr);

    Image* good = AddImage(GoodFile("after.bmp").c_str(), IMAGE_FROM_FILE, 0, 0);
    ASSERT_NE(good, nullptr);
    EXPECT_EQ(prog.images, dead);
    EXPECT_EQ(dead->next, good);
    EXPECT_NE(good->holder->surface, nullptr);
    EXPECT_EQ(Boxes(), 1);

    // A failed first call is not retried by a second failure either: that one
    // is a later image.
    EXPECT_EQ(AddImage(missing.c_str(), IMAGE_FROM_FILE, 0, 0), nullptr);
    ASSERT_EQ(Boxes(), 2);
    EXPECT_EQ(BoxText(1), "Image could not be loaded and/or found");
    EXPECT_EQ(BoxCaption(1), "Error!");
    ASSERT_NE(good->next, nullptr);
    EXPECT_EQ(good->next->next, nullptr);
}

TEST_F(ImageStore, LongPathIsCutTo255Characters) {
    std::string longPath(300, 'x');
    for (int i = 0; i < 300; i++) longPath[i] = static_cast<char>('a' + i % 26);
    EXPECT_EQ(AddImage(longPath.c_str(), IMAGE_FROM_FILE, 0, 0), nullptr);
    ASSERT_NE(prog.images, nullptr);
    EXPECT_EQ(std::strlen(prog.images->path), 255u);
    EXPECT_EQ(std::string(prog.images->path), longPath.substr(0, 255));
}

TEST_F(ImageStore, BlankImageShowsItsBoxThenMakesAnUnkeyedSurface) {
    ASSERT_NE(AddImage(GoodFile("first.bmp").c_str(), IMAGE_FROM_FILE, 0, 0), nullptr);
    Image* blank = AddImage("ignored.bmp", IMAGE_BLANK, 40, 30);
    ASSERT_NE(blank, nullptr);
    ASSERT_EQ(Boxes(), 1);
    EXPECT_EQ(BoxText(0), "doing something stupid");
    EXPECT_EQ(BoxCaption(0), "Report");
    EXPECT_EQ(blank->kind, 3011);
    EXPECT_EQ(blank->mode, 3102);
    EXPECT_EQ(blank->holder->width, 40);
    EXPECT_EQ(blank->holder->height, 30);
    ASSERT_NE(blank->holder->surface, nullptr);
    EXPECT_EQ(blank->holder->surface->width, 40);
    EXPECT_EQ(blank->holder->surface->height, 30);
    EXPECT_FALSE(blank->holder->surface->hasSrcKey);
}

TEST_F(ImageStore, BlankImageBoxComesEvenWhenCreationFails) {
    HeadlessGetFaults()->createOffscreen = 1;
    EXPECT_EQ(AddImage("blank", IMAGE_BLANK, 8, 8), nullptr);
    ASSERT_EQ(Boxes(), 2);
    EXPECT_EQ(BoxText(0), "doing something stupid");
    EXPECT_EQ(BoxText(1), "Head image could not be loaded and/or found");
}

TEST_F(ImageStore, UnknownModeIsStoredAndFails) {
    EXPECT_EQ(AddImage(GoodFile("mode.bmp").c_str(), 3105, 0, 0), nullptr);
    ASSERT_NE(prog.images, nullptr);
    EXPECT_EQ(prog.images->mode, 3105);
    EXPECT_EQ(prog.images->kind, 3001);
    EXPECT_EQ(RealiseImage(prog.images, 0, 0), 3100);
    ASSERT_EQ(Boxes(), 1);
    EXPECT_EQ(BoxText(0), "Head image could not be loaded and/or found");
}

TEST_F(ImageStore, RealiseResults) {
    EXPECT_EQ(RealiseImage(nullptr, 0, 0), 0);
    Image image = {};
    image.mode = IMAGE_FROM_FILE;
    EXPECT_EQ(RealiseImage(&image, 0, 0), -3) << "no surface holder";

    ImageSurface holder;
    ConstructImageSurface(&holder);
    EXPECT_EQ(holder.surface, nullptr);
    EXPECT_EQ(holder.width, 0);
    EXPECT_EQ(holder.height, 0);
    image.holder = &holder;
    std::string path = GoodFile("r.bmp");
    std::strcpy(image.path, path.c_str());
    HeadlessGetFaults()->createOffscreenNull = 1;
    EXPECT_EQ(RealiseImage(&image, 0, 0), -3) << "creation said yes and gave nothing";
    HeadlessGetFaults()->createOffscreen = 1;
    EXPECT_EQ(RealiseImage(&image, 0, 0), 0);
    ASSERT_EQ(RealiseImage(&image, 0, 0), 1);
    holder.surface->Release();
}

TEST_F(ImageStore, OutOfMemoryForTheImage) {
    ImageStoreFailAllocation(2);  // the holder comes first, the image second
    EXPECT_EQ(AddImage(GoodFile("m.bmp").c_str(), IMAGE_FROM_FILE, 0, 0), nullptr);
    ASSERT_EQ(Boxes(), 1);
    EXPECT_EQ(BoxText(0), "No memory to add new image.");
    EXPECT_EQ(BoxCaption(0), "Error!");
    EXPECT_EQ(prog.images, nullptr) << "nothing joins the chain";
}

TEST_F(ImageStore, OutOfMemoryForTheHolder) {
    ImageStoreFailAllocation(1);
    EXPECT_EQ(AddImage(GoodFile("h.bmp").c_str(), IMAGE_FROM_FILE, 0, 0), nullptr);
    ASSERT_EQ(Boxes(), 1);
    EXPECT_EQ(BoxText(0), "Head image could not be loaded and/or found");
    ASSERT_NE(prog.images, nullptr);
    EXPECT_EQ(prog.images->holder, nullptr);
}

TEST_F(ImageStore, NoDisplayObjectNoImage) {
    IDirectDraw4* held = directDraw;
    directDraw = nullptr;
    EXPECT_EQ(AddImage(GoodFile("n.bmp").c_str(), IMAGE_FROM_FILE, 0, 0), nullptr);
    EXPECT_EQ(AddImage("blank", IMAGE_BLANK, 4, 4), nullptr);
    directDraw = held;
    ASSERT_EQ(Boxes(), 3);
    EXPECT_EQ(BoxText(0), "Head image could not be loaded and/or found");
    EXPECT_EQ(BoxText(1), "doing something stupid");
    EXPECT_EQ(BoxText(2), "Image could not be loaded and/or found");
}

// Platform failures along the loading steps: each ends in the failure
// message, and the bitmap and contexts made on the way are all given back
// (checked by the fixture).
TEST_F(ImageStore, PlatformFailuresAlongTheWay) {
    ASSERT_NE(AddImage(GoodFile("ok.bmp").c_str(), IMAGE_FROM_FILE, 0, 0), nullptr);
    HeadlessGetFaults()->createOffscreen = 1;
    EXPECT_EQ(AddImage(GoodFile("f1.bmp").c_str(), IMAGE_FROM_FILE, 0, 0), nullptr);
    GdiGetFaults()->surfaceGetDC = 1;
    EXPECT_EQ(AddImage(GoodFile("f2.bmp").c_str(), IMAGE_FROM_FILE, 0, 0), nullptr);
    HeadlessGetFaults()->lock = 1;
    EXPECT_EQ(AddImage(GoodFile("f3.bmp").c_str(), IMAGE_FROM_FILE, 0, 0), nullptr);
    ASSERT_EQ(Boxes(), 3);
    for (int i = 0; i < 3; i++) EXPECT_EQ(BoxText(i), "Image could not be loaded and/or found") << i;
    for (int i = 0; i < 3; i++) EXPECT_EQ(BoxCaption(i), "Error!") << i;
    for (Image* i = prog.images; i; i = i->next) {
        if (i->holder->surface) {
            EXPECT_FALSE(i->holder->surface->locked || i->holder->surface->dcOut);
        }
    }
}

TEST_F(ImageStore, FailedMemoryContextIsReportedAndLoadingGoesOn) {
    GdiGetFaults()->createCompatibleDC = 1;
    testing::internal::CaptureStderr();
    Image* image = AddImage(GoodFile("dc.bmp").c_str(), IMAGE_FROM_FILE, 0, 0);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("CreateCompatableDC failed\n"), std::string::npos) << err;
    // Nothing could be copied, but the surface exists, keyed by its (empty)
    // first pixel.
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(PixelOf(image, 2, 2), 0);
    EXPECT_EQ(image->holder->surface->srcKey.dwColorSpaceLowValue, 0u);
    EXPECT_EQ(Boxes(), 0);
}

TEST_F(ImageStore, BrokenFilesFailWithTheMessage) {
    BmpSpec s;
    s.width = 16;
    s.height = 16;
    s.pixels = TestColours(16, 16);
    std::vector<uint8_t> good = MakeBmp(s);
    std::vector<uint8_t> truncated(good.begin(), good.begin() + good.size() / 2);
    std::vector<uint8_t> huge = good;
    const uint8_t big[8] = {0xA0, 0x86, 0x01, 0, 0xA0, 0x86, 0x01, 0};  // 100000 x 100000
    std::memcpy(huge.data() + 18, big, 8);
    std::vector<uint8_t> garbage(200, 0x42);
    EXPECT_EQ(AddImage(WriteFile("t.bmp", truncated).c_str(), IMAGE_FROM_FILE, 0, 0), nullptr);
    EXPECT_EQ(AddImage(WriteFile("h.bmp", huge).c_str(), IMAGE_FROM_FILE, 0, 0), nullptr);
    EXPECT_EQ(AddImage(WriteFile("g.bmp", garbage).c_str(), IMAGE_FROM_FILE, 0, 0), nullptr);
    EXPECT_EQ(AddImage(WriteFile("e.bmp", {}).c_str(), IMAGE_FROM_FILE, 0, 0), nullptr);
    ASSERT_EQ(Boxes(), 4);
    EXPECT_EQ(BoxText(0), "Head image could not be loaded and/or found");
    for (int i = 1; i < 4; i++) EXPECT_EQ(BoxText(i), "Image could not be loaded and/or found");
}

TEST_F(ImageStore, PalettisedFileThroughTheStore) {
    BmpSpec s;
    s.width = 9;
    s.height = 2;
    s.bits = 4;
    s.topDown = true;
    s.palette = {{255, 0, 255}, {10, 20, 30}, {250, 250, 5}};
    std::vector<Rgb> want;
    for (int i = 0; i < 18; i++) {
        s.indices.push_back(static_cast<uint8_t>(i % 3));
        want.push_back(s.palette[i % 3]);
    }
    Image* image = AddImage(WriteFile("p4.bmp", MakeBmp(s)).c_str(), IMAGE_FROM_FILE, 0, 0);
    ASSERT_NE(image, nullptr);
    for (int y = 0; y < 2; y++)
        for (int x = 0; x < 9; x++) EXPECT_EQ(PixelOf(image, x, y), To565(want[y * 9 + x]));
    EXPECT_EQ(image->holder->surface->srcKey.dwColorSpaceLowValue, 0xF81Fu);
}

TEST_F(ImageStore, FreeImagesEmptiesTheChain) {
    ASSERT_NE(AddImage(GoodFile("x.bmp").c_str(), IMAGE_FROM_FILE, 0, 0), nullptr);
    ASSERT_NE(AddImage(GoodFile("y.bmp").c_str(), IMAGE_FROM_FILE, 0, 0), nullptr);
    EXPECT_EQ(AddImage(TempPath("none.bmp").c_str(), IMAGE_FROM_FILE, 0, 0), nullptr);
    FreeImages();
    EXPECT_EQ(prog.images, nullptr);
    FreeImages();  // nothing left: harmless
    // A new chain starts from scratch.
    ASSERT_NE(AddImage(GoodFile("z.bmp").c_str(), IMAGE_FROM_FILE, 0, 0), nullptr);
    EXPECT_EQ(prog.images->next, nullptr);
}

}  // namespace
