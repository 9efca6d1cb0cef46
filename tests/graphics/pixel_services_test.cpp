// The five pixel services: formats, fills, locks and single pixels, with the
// results for null arguments, failed locks and positions off the surface.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/graphics/engine_fixture.h"

using namespace gfxtest;

namespace {

struct PixelServices : EngineGraphics {
    ImageSurface holder;
    void SetUp() override {
        EngineGraphics::SetUp();
        ConstructImageSurface(&holder);
        DDSURFACEDESC2 desc;
        std::memset(&desc, 0, sizeof desc);
        desc.dwSize = sizeof desc;
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
        desc.dwWidth = 1024;
        desc.dwHeight = 4;
        ASSERT_EQ(directDraw->CreateSurface(&desc, &holder.surface, nullptr), DD_OK);
        holder.width = 1024;
        holder.height = 4;
    }
    void TearDown() override {
        if (holder.surface) holder.surface->Release();
        EngineGraphics::TearDown();
    }
    uint16_t At(int x, int y) { return holder.surface->pixels[y * (holder.surface->pitch / 2) + x]; }
    PixelFormat Format() {
        PixelFormat f;
        EXPECT_EQ(GetPixelFormat(holder.surface, &f), 1);
        return f;
    }
};

TEST_F(PixelServices, FiveSixFiveMasksAndShifts) {
    PixelFormat f;
    std::memset(&f, 0xCC, sizeof f);
    ASSERT_EQ(GetPixelFormat(holder.surface, &f), 1);
    EXPECT_EQ(f.rMask, 0xF800u);
    EXPECT_EQ(f.gMask, 0x07E0u);
    EXPECT_EQ(f.bMask, 0x001Fu);
    EXPECT_EQ(f.bShift, 0);
    EXPECT_EQ(f.gShift, 5);
    EXPECT_EQ(f.rShift, 11);
}

TEST_F(PixelServices, GetPixelFormatNulls) {
    PixelFormat f;
    std::memset(&f, 0xCC, sizeof f);
    PixelFormat untouched = f;
    EXPECT_EQ(GetPixelFormat(nullptr, &f), 0);
    EXPECT_EQ(std::memcmp(&f, &untouched, sizeof f), 0);
    EXPECT_EQ(GetPixelFormat(holder.surface, nullptr), 0);
}

TEST_F(PixelServices, FillsWithPackedColours) {
    PixelFormat f = Format();
    ASSERT_EQ(FillSurface(31, 63, 31, &holder, &f), 1);
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 1024; x++) ASSERT_EQ(At(x, y), 0xFFFF);
    ASSERT_EQ(FillSurface(31, 0, 0, &holder, &f), 1);
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 1024; x++) ASSERT_EQ(At(x, y), 0xF800);
    // Components are neither scaled nor masked: blue 40 spills into green.
    ASSERT_EQ(FillSurface(0, 0, 40, &holder, &f), 1);
    EXPECT_EQ(At(0, 0), 0x0028);
}

TEST_F(PixelServices, FillFailures) {
    PixelFormat f = Format();
    EXPECT_EQ(FillSurface(1, 1, 1, nullptr, &f), 0);
    EXPECT_EQ(FillSurface(1, 1, 1, &holder, nullptr), 0);
    ImageSurface empty;
    ConstructImageSurface(&empty);
    EXPECT_EQ(FillSurface(1, 1, 1, &empty, &f), 0);
    holder.surface->locked = 1;  // Blt refuses a locked surface
    EXPECT_EQ(FillSurface(31, 63, 31, &holder, &f), 0);
    holder.surface->locked = 0;
    EXPECT_EQ(At(5, 1), 0);
}

TEST_F(PixelServices, LockPutUnlock) {
    PixelFormat f = Format();
    ASSERT_EQ(LockSurface(&holder), 1);
    EXPECT_TRUE(holder.surface->locked);
    EXPECT_EQ(holder.lockDesc.lpSurface, holder.surface->pixels);
    EXPECT_EQ(holder.lockDesc.lPitch, 2048);
    EXPECT_EQ(PutPixel(3, 2, 31, 0, 0, &holder.lockDesc, &f), 0);
    EXPECT_EQ(holder.surface->pixels[2 * 1024 + 3], 0xF800);
    EXPECT_EQ(UnlockSurface(&holder), 0);
    EXPECT_FALSE(holder.surface->locked);
    // Everything else is as it was.
    for (int y = 0; y < 4; y++) {
        for (int x = 0; x < 1024; x++) {
            if (!(x == 3 && y == 2)) {
                ASSERT_EQ(At(x, y), 0) << x << "," << y;
            }
        }
    }
}

// Column 3, row 2 of a description with a pitch of 2048 bytes is element
// 2 x 1024 + 3, whatever memory the description points at.
TEST_F(PixelServices, PutPixelIndexFromThePitch) {
    std::vector<uint16_t> memory(3 * 1024, 0);
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    desc.dwWidth = 1000;  // narrower than the pitch
    desc.dwHeight = 3;
    desc.lPitch = 2048;
    desc.lpSurface = memory.data();
    PixelFormat f = Format();
    PutPixel(3, 2, 1, 2, 3, &desc, &f);
    for (size_t i = 0; i < memory.size(); i++)
        ASSERT_EQ(memory[i], i == 2 * 1024 + 3 ? (1 << 11 | 2 << 5 | 3) : 0) << i;
}

TEST_F(PixelServices, PutPixelIgnoresPositionsOffTheSurface) {
    std::vector<uint16_t> memory(3 * 1024 + 64, 0);
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    desc.dwWidth = 1000;
    desc.dwHeight = 3;
    desc.lPitch = 2048;
    desc.lpSurface = memory.data() + 32;
    PixelFormat f = Format();
    const int spots[][2] = {{-1, 0}, {0, -1}, {1000, 0}, {1023, 1}, {0, 3}, {5, 100000}, {-100000, 1}};
    for (auto& p : spots) EXPECT_EQ(PutPixel(p[0], p[1], 31, 63, 31, &desc, &f), 0);
    for (uint16_t v : memory) ASSERT_EQ(v, 0);
    PutPixel(999, 2, 31, 63, 31, &desc, &f);  // the last pixel is inside
    EXPECT_EQ(memory[32 + 2 * 1024 + 999], 0xFFFF);
}

TEST_F(PixelServices, PutPixelNulls) {
    ASSERT_EQ(LockSurface(&holder), 1);
    PixelFormat f = Format();
    EXPECT_EQ(PutPixel(0, 0, 31, 63, 31, nullptr, &f), 0);
    EXPECT_EQ(PutPixel(0, 0, 31, 63, 31, &holder.lockDesc, nullptr), 0);
    UnlockSurface(&holder);
    EXPECT_EQ(At(0, 0), 0);
}

// A failed lock is reported and leaves no address, so a PutPixel that follows
// anyway writes nothing.
TEST_F(PixelServices, FailedLockIsReported) {
    PixelFormat f = Format();
    holder.lockDesc.lpSurface = holder.surface->pixels;  // a stale address from before
    HeadlessGetFaults()->lock = 1;
    EXPECT_EQ(LockSurface(&holder), 0);
    EXPECT_EQ(holder.lockDesc.lpSurface, nullptr);
    EXPECT_EQ(PutPixel(0, 0, 31, 63, 31, &holder.lockDesc, &f), 0);
    EXPECT_EQ(At(0, 0), 0);
    // Locked twice: the second fails.
    ASSERT_EQ(LockSurface(&holder), 1);
    ImageSurface again = holder;
    EXPECT_EQ(LockSurface(&again), 0);
    UnlockSurface(&holder);
}

TEST_F(PixelServices, NullHolders) {
    EXPECT_EQ(LockSurface(nullptr), 0);
    EXPECT_EQ(UnlockSurface(nullptr), 0);
    ImageSurface empty;
    ConstructImageSurface(&empty);
    EXPECT_EQ(LockSurface(&empty), 0);
    EXPECT_EQ(empty.lockDesc.lpSurface, nullptr);
    EXPECT_EQ(UnlockSurface(&empty), 0);
}

}  // namespace
