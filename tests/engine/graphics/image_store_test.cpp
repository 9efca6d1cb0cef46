// AddImage: the image chain, the surfaces loaded from bitmap files with their
// colour keys, blank images, and every failure with its message and result.
// The fixture checks that no bitmap or device context is left behind.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/bitmap.h"
#include "tests/support/harness.h"

using namespace gfxtest;

namespace {

const char* const kHeadFailed = "Head image could not be loaded and/or found";
const char* const kFailed = "Image could not be loaded and/or found";

struct ImageStore : EngineGraphics {
    std::vector<Rgb> colours;
    // A 24-bit file with distinct colours and the given top-left pixel.
    std::string GoodFile(const char* name, int w = 5, int h = 4, Rgb topLeft = {255, 0, 255}) {
        BmpSpec s = Colours24(w, h);
        s.pixels[0] = topLeft;
        colours = s.pixels;
        return WriteFile(name, MakeBmp(s));
    }
    static Image* Add(const std::string& path) { return AddImage(path.c_str(), IMAGE_FROM_FILE, 0, 0); }
    void ExpectBoxes(std::vector<std::string> texts) {
        ASSERT_EQ(Boxes(), static_cast<int>(texts.size()));
        for (int i = 0; i < Boxes(); i++) {
            EXPECT_EQ(BoxText(i), texts[i]) << i;
            const bool report = texts[i] == kHeadFailed || texts[i] == "doing something stupid";
            EXPECT_EQ(BoxCaption(i), report ? "Report" : "Error!") << i;
        }
    }
};

TEST_F(ImageStore, FileImageBecomesAColourKeyedSurface) {
    std::string path = GoodFile("one.bmp");
    Image* image = Add(path);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(prog.images, image);
    EXPECT_STREQ(image->path, path.c_str());
    EXPECT_EQ(image->kind, 3001);
    EXPECT_EQ(image->mode, 3101);
    EXPECT_EQ(image->next, nullptr);
    EXPECT_EQ(image->holder->width, 5);
    EXPECT_EQ(image->holder->height, 4);
    IDirectDrawSurface4* s = image->holder->surface;
    ASSERT_NE(s, nullptr);
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 5; x++) EXPECT_EQ(s->pixels[y * (s->pitch / 2) + x], To565(colours[y * 5 + x]));
    EXPECT_TRUE(s->hasSrcKey);  // the top-left pixel: magenta at 16 bits
    EXPECT_EQ(s->srcKey.dwColorSpaceLowValue, 0xF81Fu);
    EXPECT_EQ(s->srcKey.dwColorSpaceHighValue, 0xF81Fu);
    EXPECT_FALSE(s->locked || s->dcOut);
    ExpectBoxes({});

    // The key is one 16-bit pixel: a one-pixel surface is not read past its end.
    Image* dot = Add(GoodFile("dot.bmp", 1, 1, Rgb{200, 100, 50}));
    ASSERT_NE(dot, nullptr);
    EXPECT_EQ(image->next, dot);
    EXPECT_EQ(dot->holder->surface->srcKey.dwColorSpaceLowValue, To565(Rgb{200, 100, 50}));
    EXPECT_EQ(dot->holder->surface->srcKey.dwColorSpaceHighValue, To565(Rgb{200, 100, 50}));
}

// A failed first image stays as the chain's head and its path is cut to 255
// characters; later images go behind it, and a later failure is an ordinary
// image failure. Freeing empties the chain.
TEST_F(ImageStore, FailedFirstImageLeavesADeadHead) {
    std::string missing(300, 'x');
    for (int i = 0; i < 300; i++) missing[i] = static_cast<char>('a' + i % 26);
    EXPECT_EQ(Add(missing), nullptr);
    Image* dead = prog.images;
    ASSERT_NE(dead, nullptr);
    EXPECT_EQ(std::string(dead->path), missing.substr(0, 255));
    EXPECT_EQ(dead->holder->surface, nullptr);

    Image* good = Add(GoodFile("after.bmp"));
    ASSERT_NE(good, nullptr);
    EXPECT_EQ(prog.images, dead);
    EXPECT_EQ(dead->next, good);
    EXPECT_EQ(Add(missing), nullptr);
    ExpectBoxes({kHeadFailed, kFailed});
    ASSERT_NE(good->next, nullptr);
    EXPECT_EQ(good->next->next, nullptr);

    FreeImages();
    EXPECT_EQ(prog.images, nullptr);
    FreeImages();  // nothing left: harmless
}

TEST_F(ImageStore, BlankImageShowsItsBoxThenMakesAnUnkeyedSurface) {
    ASSERT_NE(Add(GoodFile("first.bmp")), nullptr);
    Image* blank = AddImage("ignored.bmp", IMAGE_BLANK, 40, 30);
    ASSERT_NE(blank, nullptr);
    EXPECT_EQ(blank->kind, 3011);
    EXPECT_EQ(blank->mode, 3102);
    EXPECT_EQ(blank->holder->width, 40);
    EXPECT_EQ(blank->holder->height, 30);
    ASSERT_NE(blank->holder->surface, nullptr);
    EXPECT_EQ(blank->holder->surface->width, 40);
    EXPECT_EQ(blank->holder->surface->height, 30);
    EXPECT_FALSE(blank->holder->surface->hasSrcKey);
    // The box comes before the creation, even when that fails.
    HeadlessGetFaults()->createOffscreen = 1;
    EXPECT_EQ(AddImage("blank", IMAGE_BLANK, 8, 8), nullptr);
    ExpectBoxes({"doing something stupid", "doing something stupid", kFailed});
}

TEST_F(ImageStore, RealiseResultCodes) {
    EXPECT_EQ(AddImage(GoodFile("mode.bmp").c_str(), 3105, 0, 0), nullptr);
    ASSERT_NE(prog.images, nullptr);
    EXPECT_EQ(prog.images->mode, 3105);  // stored, and fails when realised
    EXPECT_EQ(prog.images->kind, 3001);
    EXPECT_EQ(RealiseImage(prog.images, 0, 0), 3100);
    ExpectBoxes({kHeadFailed});

    EXPECT_EQ(RealiseImage(nullptr, 0, 0), 0);
    Image image = {};
    image.mode = IMAGE_FROM_FILE;
    EXPECT_EQ(RealiseImage(&image, 0, 0), -3) << "no surface holder";
    ImageSurface holder;
    ConstructImageSurface(&holder);
    image.holder = &holder;
    std::strcpy(image.path, GoodFile("r.bmp").c_str());
    HeadlessGetFaults()->createOffscreenNull = 1;
    EXPECT_EQ(RealiseImage(&image, 0, 0), -3) << "creation said yes and gave nothing";
    HeadlessGetFaults()->createOffscreen = 1;
    EXPECT_EQ(RealiseImage(&image, 0, 0), 0);
    ASSERT_EQ(RealiseImage(&image, 0, 0), 1);
    holder.surface->Release();
}

// The holder is allocated first, the image second.
TEST_F(ImageStore, AllocationFailures) {
    ImageStoreFailAllocation(2);
    EXPECT_EQ(Add(GoodFile("m.bmp")), nullptr);
    EXPECT_EQ(prog.images, nullptr) << "nothing joins the chain";
    ImageStoreFailAllocation(1);  // without a holder the image joins the chain and fails
    EXPECT_EQ(Add(GoodFile("h.bmp")), nullptr);
    ASSERT_NE(prog.images, nullptr);
    EXPECT_EQ(prog.images->holder, nullptr);
    ExpectBoxes({"No memory to add new image.", kHeadFailed});
}

// Every early way out of loading gives back the bitmap and the contexts made
// on the way (checked by the fixture) and leaves the surface neither locked
// nor holding a context; so do broken files and a missing display object.
TEST_F(ImageStore, FailuresAlongTheWayLeaveNothingBehind) {
    ASSERT_NE(Add(GoodFile("ok.bmp")), nullptr);
    HeadlessGetFaults()->createOffscreen = 1;
    EXPECT_EQ(Add(GoodFile("f1.bmp")), nullptr);
    GdiGetFaults()->surfaceGetDC = 1;
    EXPECT_EQ(Add(GoodFile("f2.bmp")), nullptr);
    HeadlessGetFaults()->lock = 1;
    EXPECT_EQ(Add(GoodFile("f3.bmp")), nullptr);
    std::vector<uint8_t> good = MakeBmp(Colours24(16, 16)), huge = good;
    const uint8_t big[8] = {0xA0, 0x86, 0x01, 0, 0xA0, 0x86, 0x01, 0};  // 100000 x 100000
    std::memcpy(huge.data() + 18, big, 8);
    EXPECT_EQ(Add(WriteFile("t.bmp", std::vector<uint8_t>(good.begin(), good.begin() + good.size() / 2))), nullptr);
    EXPECT_EQ(Add(WriteFile("h.bmp", huge)), nullptr);
    EXPECT_EQ(Add(WriteFile("e.bmp", {})), nullptr);
    IDirectDraw4* held = directDraw;
    directDraw = nullptr;
    EXPECT_EQ(Add(GoodFile("n.bmp")), nullptr);
    directDraw = held;
    ExpectBoxes(std::vector<std::string>(7, kFailed));
    for (Image* i = prog.images; i; i = i->next)
        EXPECT_FALSE(i->holder->surface && (i->holder->surface->locked || i->holder->surface->dcOut));
}

TEST_F(ImageStore, FailedMemoryContextIsReportedAndLoadingGoesOn) {
    GdiGetFaults()->createCompatibleDC = 1;
    testing::internal::CaptureStderr();
    Image* image = Add(GoodFile("dc.bmp"));
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("CreateCompatableDC failed\n"), std::string::npos) << err;
    // Nothing was copied, but the surface exists, keyed by its empty first pixel.
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->holder->surface->pixels[0], 0);
    EXPECT_EQ(image->holder->surface->srcKey.dwColorSpaceLowValue, 0u);
    ExpectBoxes({});
}

}  // namespace
