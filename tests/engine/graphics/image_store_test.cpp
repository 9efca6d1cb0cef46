#include "tests/support/bitmap.h"
#include "tests/support/harness.h"

using namespace gfxtest;

struct ImageStore : EngineGraphics {
    static Image* Add(const std::string& path) { return AddImage(path.c_str(), IMAGE_FROM_FILE, 0, 0); }
    static std::string Good(const char* name) { return WriteFile(name, MakeBmp(Colours24(5, 4))); }
};
const std::pair<std::string, std::string> kFailed = {"Error!", "Image could not be loaded and/or found"};

// A blank image's box comes first, even when the creation then fails.
TEST_F(ImageStore, FileImageBecomesAColourKeyedSurfaceAndBlankImageAnUnkeyedOne) {
    BmpLayout layout = Colours24(5, 4);
    layout.pixels[0] = {255, 0, 255};
    const std::string path = WriteFile("one.bmp", MakeBmp(layout));
    Image* image = Add(path);
    ASSERT_NE(image, nullptr);
    IDirectDrawSurface4* s = image->holder->surface;
    EXPECT_EQ(std::make_tuple(prog.images, std::string(image->path), image->kind, image->mode, image->holder->width,
                              image->holder->height, s->locked, s->dcOut),
              std::make_tuple(image, path, 3001, 3101, 5, 4, 0, 0));
    for (int i = 0; i < 20; i++) EXPECT_EQ(s->pixels[i / 5 * (s->pitch / 2) + i % 5], To565(layout.pixels[i])) << i;
    EXPECT_EQ(std::tie(s->hasSrcKey, s->srcKey.dwColorSpaceLowValue, s->srcKey.dwColorSpaceHighValue),
              std::make_tuple(1, 0xF81Fu, 0xF81Fu));  // magenta
    Image* blank = AddImage("ignored.bmp", IMAGE_BLANK, 40, 30);
    ASSERT_NE(blank, nullptr);
    s = blank->holder->surface;
    EXPECT_EQ(std::tie(blank->kind, blank->mode, s->width, s->height, s->hasSrcKey), std::tuple(3011, 3102, 40, 30, 0));
    HeadlessGetFaults()->createOffscreen = FailNext();
    EXPECT_EQ(AddImage("blank", IMAGE_BLANK, 8, 8), nullptr);
    EXPECT_EQ(Boxes(), (BoxList{{"Report", "doing something stupid"}, {"Report", "doing something stupid"}, kFailed}));
}

// A failed first image stays as the head (path cut to 255) with a report; later failures are errors.
TEST_F(ImageStore, FailuresAreReportedAndLeaveNothingBehind) {
    engineFaults.imageStore = FailNth(2);
    EXPECT_TRUE(!Add(Good("m.bmp")) && !prog.images);
    EXPECT_TRUE(!Add(std::string(255, 'a') + "/x.bmp") && prog.images->path == std::string(255, 'a'));
    ASSERT_NE(Add(Good("ok.bmp")), nullptr);
    engineFaults.imageStore = FailNth(1);
    EXPECT_TRUE(!Add(Good("h.bmp")) && !prog.images->next->next->holder);
    for (Fault* fault :
         {&HeadlessGetFaults()->createOffscreen, &HeadlessGetFaults()->surfaceGetDC, &HeadlessGetFaults()->lock}) {
        *fault = FailNext();
        EXPECT_EQ(Add(Good("f.bmp")), nullptr);
    }
    std::vector<uint8_t> cut = MakeBmp(Colours24(16, 16));
    EXPECT_EQ(Add(WriteFile("t.bmp", std::vector<uint8_t>(cut.begin(), cut.begin() + cut.size() / 2))), nullptr);
    IDirectDraw4* held = std::exchange(directDraw, nullptr);
    EXPECT_EQ(Add(Good("n.bmp")), nullptr);
    directDraw = held;
    BoxList expected = {{"Error!", "No memory to add new image."},
                        {"Report", "Head image could not be loaded and/or found"}};
    expected.resize(8, kFailed);
    EXPECT_EQ(Boxes(), expected);
    for (Image* i = prog.images; i; i = i->next)
        EXPECT_FALSE(i->holder && i->holder->surface && (i->holder->surface->locked || i->holder->surface->dcOut));
    HeadlessGetFaults()->createCompatibleDC = FailNext();
    testing::internal::CaptureStderr();
    Image* image = Add(Good("dc.bmp"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "CreateCompatableDC failed\n");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->holder->surface->pixels[0] + image->holder->surface->srcKey.dwColorSpaceLowValue, 0u);
}
