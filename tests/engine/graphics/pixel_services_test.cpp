// The five pixel services: formats, fills, locks and single pixels, with the
// results for null arguments, failed locks and positions off the surface.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/support/harness.h"

using namespace gfxtest;

namespace {

// A 1024 x 4 off-screen surface from the display object: a pitch of 2048.
struct PixelServices : EngineGraphics {
    ImageSurface holder;
    PixelFormat f;
    void SetUp() override {
        EngineGraphics::SetUp();
        ConstructImageSurface(&holder);
        DDSURFACEDESC2 desc;
        std::memset(&desc, 0, sizeof desc);
        desc.dwSize = sizeof desc;
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
        desc.dwWidth = holder.width = 1024;
        desc.dwHeight = holder.height = 4;
        ASSERT_EQ(directDraw->CreateSurface(&desc, &holder.surface, nullptr), DD_OK);
        std::memset(&f, 0xCC, sizeof f);
        ASSERT_EQ(GetPixelFormat(holder.surface, &f), 1);
    }
    void TearDown() override {
        if (holder.surface) holder.surface->Release();
        EngineGraphics::TearDown();
    }
    std::vector<uint16_t> Pixels() {
        std::vector<uint16_t> p;
        for (int y = 0; y < 4; y++)
            for (int x = 0; x < 1024; x++) p.push_back(holder.surface->pixels[y * (holder.surface->pitch / 2) + x]);
        return p;
    }
};

TEST_F(PixelServices, FiveSixFiveFormatAndFills) {
    EXPECT_EQ(f.rMask, 0xF800u);
    EXPECT_EQ(f.gMask, 0x07E0u);
    EXPECT_EQ(f.bMask, 0x001Fu);
    EXPECT_EQ(f.bShift, 0);
    EXPECT_EQ(f.gShift, 5);
    EXPECT_EQ(f.rShift, 11);
    ASSERT_EQ(FillSurface(31, 63, 31, &holder, &f), 1);
    EXPECT_EQ(Pixels(), std::vector<uint16_t>(4096, 0xFFFF));
    ASSERT_EQ(FillSurface(31, 0, 0, &holder, &f), 1);
    EXPECT_EQ(Pixels(), std::vector<uint16_t>(4096, 0xF800));
    ASSERT_EQ(FillSurface(0, 0, 40, &holder, &f), 1);  // neither scaled nor masked: blue spills into green
    EXPECT_EQ(Pixels()[4095], 0x0028);
    holder.surface->locked = 1;  // Blt refuses a locked surface
    EXPECT_EQ(FillSurface(31, 63, 31, &holder, &f), 0);
    holder.surface->locked = 0;
    EXPECT_EQ(Pixels()[0], 0x0028);
}

TEST_F(PixelServices, EveryNullArgument) {
    PixelFormat untouched = f;
    EXPECT_EQ(GetPixelFormat(nullptr, &f), 0);
    EXPECT_EQ(std::memcmp(&f, &untouched, sizeof f), 0);
    EXPECT_EQ(GetPixelFormat(holder.surface, nullptr), 0);
    ImageSurface empty;
    ConstructImageSurface(&empty);
    EXPECT_EQ(FillSurface(1, 1, 1, nullptr, &f), 0);
    EXPECT_EQ(FillSurface(1, 1, 1, &holder, nullptr), 0);
    EXPECT_EQ(FillSurface(1, 1, 1, &empty, &f), 0);
    EXPECT_EQ(LockSurface(nullptr), 0);
    EXPECT_EQ(UnlockSurface(nullptr), 0);
    EXPECT_EQ(LockSurface(&empty), 0);
    EXPECT_EQ(empty.lockDesc.lpSurface, nullptr);
    EXPECT_EQ(UnlockSurface(&empty), 0);
    ASSERT_EQ(LockSurface(&holder), 1);
    EXPECT_EQ(PutPixel(0, 0, 31, 63, 31, nullptr, &f), 0);
    EXPECT_EQ(PutPixel(0, 0, 31, 63, 31, &holder.lockDesc, nullptr), 0);
    UnlockSurface(&holder);
    EXPECT_EQ(Pixels(), std::vector<uint16_t>(4096, 0));
}

// A failed lock is reported and leaves no address behind, so a PutPixel
// that follows anyway writes nothing; so is locking twice.
TEST_F(PixelServices, LockPutUnlock) {
    holder.lockDesc.lpSurface = holder.surface->pixels;  // a stale address from before
    HeadlessGetFaults()->lock = 1;
    EXPECT_EQ(LockSurface(&holder), 0);
    EXPECT_EQ(holder.lockDesc.lpSurface, nullptr);
    EXPECT_EQ(PutPixel(0, 0, 31, 63, 31, &holder.lockDesc, &f), 0);

    ASSERT_EQ(LockSurface(&holder), 1);
    EXPECT_TRUE(holder.surface->locked);
    EXPECT_EQ(holder.lockDesc.lpSurface, holder.surface->pixels);
    EXPECT_EQ(holder.lockDesc.lPitch, 2048);
    ImageSurface again = holder;
    EXPECT_EQ(LockSurface(&again), 0);
    EXPECT_EQ(PutPixel(3, 2, 31, 0, 0, &holder.lockDesc, &f), 0);
    EXPECT_EQ(UnlockSurface(&holder), 0);
    EXPECT_FALSE(holder.surface->locked);
    std::vector<uint16_t> expected(4096, 0);
    expected[2 * 1024 + 3] = 0xF800;
    EXPECT_EQ(Pixels(), expected);
}

// Column 3, row 2 with a pitch of 2048 bytes is element 2 x 1024 + 3 however
// narrow the surface; positions outside the described surface are ignored.
TEST_F(PixelServices, PutPixelIndexFromThePitchAndOnlyInside) {
    std::vector<uint16_t> memory(3 * 1024 + 64, 0);
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    desc.dwWidth = 1000;
    desc.dwHeight = 3;
    desc.lPitch = 2048;
    desc.lpSurface = memory.data() + 32;
    const int outside[][2] = {{-1, 0}, {0, -1}, {1000, 0}, {1023, 1}, {0, 3}, {5, 100000}, {-100000, 1}};
    for (auto& p : outside) EXPECT_EQ(PutPixel(p[0], p[1], 31, 63, 31, &desc, &f), 0);
    EXPECT_EQ(memory, std::vector<uint16_t>(memory.size(), 0));
    PutPixel(3, 2, 1, 2, 3, &desc, &f);
    PutPixel(999, 2, 31, 63, 31, &desc, &f);  // the last pixel is inside
    std::vector<uint16_t> expected(memory.size(), 0);
    expected[32 + 2 * 1024 + 3] = 1 << 11 | 2 << 5 | 3;
    expected[32 + 2 * 1024 + 999] = 0xFFFF;
    EXPECT_EQ(memory, expected);
}

}  // namespace
