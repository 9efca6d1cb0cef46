// The display object, the flip chain and off-screen surfaces: creation limits
// and failures, flips, lost surfaces, locks, colour keys and descriptions.
#include <sys/resource.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tests/platform/platform_fixture.h"

namespace {

struct Frame {
    const uint16_t* pixels;
    int width, height, pitch;
    uint16_t firstPixel;
};
std::vector<Frame> frames;

void RecordFrame(const uint16_t* pixels, int width, int height, int pitch, void* user) {
    frames.push_back(Frame{pixels, width, height, pitch, pixels[0]});
}

class DDrawTest : public PlatformTest {
  protected:
    IDirectDraw* first = nullptr;
    IDirectDraw4* dd = nullptr;

    void SetUp() override {
        PlatformTest::SetUp();
        frames.clear();
        ASSERT_EQ(DirectDrawCreate(nullptr, &first, nullptr), DD_OK);
        ASSERT_EQ(first->QueryInterface(IID_IDirectDraw4, reinterpret_cast<LPVOID*>(&dd)), DD_OK);
        ASSERT_NE(dd, nullptr);
    }
    void TearDown() override {
        for (IDirectDrawSurface4* s : made) s->Release();
        if (dd) dd->Release();
        if (first) first->Release();
        PlatformTest::TearDown();
    }

    std::vector<IDirectDrawSurface4*> made;

    HRESULT Offscreen(DWORD width, DWORD height, IDirectDrawSurface4** out,
                      DWORD flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT) {
        DDSURFACEDESC2 desc = {};
        desc.dwSize = sizeof desc;
        desc.dwFlags = flags;
        desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
        desc.dwWidth = width;
        desc.dwHeight = height;
        HRESULT hr = dd->CreateSurface(&desc, out, nullptr);
        if (hr == DD_OK && *out) made.push_back(*out);
        return hr;
    }

    HRESULT Primary(IDirectDrawSurface4** out) {
        DDSURFACEDESC2 desc = {};
        desc.dwSize = sizeof desc;
        desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
        desc.dwBackBufferCount = 1;
        HRESULT hr = dd->CreateSurface(&desc, out, nullptr);
        if (hr == DD_OK && *out) made.push_back(*out);
        return hr;
    }

    // A 1024 x 768 flip chain: the primary and its back buffer.
    void Chain(IDirectDrawSurface4** primary, IDirectDrawSurface4** back) {
        ASSERT_EQ(dd->SetDisplayMode(1024, 768, 16, 0, 0), DD_OK);
        ASSERT_EQ(Primary(primary), DD_OK);
        DDSCAPS2 caps = {};
        caps.dwCaps = DDSCAPS_BACKBUFFER;
        ASSERT_EQ((*primary)->GetAttachedSurface(&caps, back), DD_OK);
        ASSERT_NE(*back, nullptr);
    }
};

TEST_F(DDrawTest, DirectDrawCreateFaultAndBadArguments) {
    IDirectDraw* object = reinterpret_cast<IDirectDraw*>(1);
    EXPECT_EQ(DirectDrawCreate(nullptr, nullptr, nullptr), DDERR_INVALIDPARAMS);
    HeadlessGetFaults()->directDrawCreate = 1;
    EXPECT_NE(DirectDrawCreate(nullptr, &object, nullptr), DD_OK);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(DirectDrawCreate(nullptr, &object, nullptr), DD_OK);
    ASSERT_NE(object, nullptr);
    object->Release();
}

TEST_F(DDrawTest, QueryInterfaceGivesOnlyIDirectDraw4) {
    GUID other = IID_IDirectDraw4;
    other.Data1 ^= 1;
    IDirectDraw4* again = reinterpret_cast<IDirectDraw4*>(1);
    EXPECT_EQ(first->QueryInterface(other, reinterpret_cast<LPVOID*>(&again)), DDERR_NOINTERFACE);
    EXPECT_EQ(again, nullptr);
    HeadlessGetFaults()->queryInterface = 1;
    EXPECT_NE(first->QueryInterface(IID_IDirectDraw4, reinterpret_cast<LPVOID*>(&again)), DD_OK);
    EXPECT_EQ(again, nullptr);
    EXPECT_EQ(IID_IDirectDraw4.Data1, 0x9C59509Au);
    EXPECT_EQ(IID_IDirectDraw4.Data2, 0x39BD);
    EXPECT_EQ(IID_IDirectDraw4.Data3, 0x11D1);
    const uint8_t tail[8] = {0x8C, 0x4A, 0x00, 0xC0, 0x4F, 0xD9, 0x30, 0xC5};
    EXPECT_EQ(std::memcmp(IID_IDirectDraw4.Data4, tail, 8), 0);
}

TEST_F(DDrawTest, CooperativeLevelAndItsFault) {
    HWND hwnd = reinterpret_cast<HWND>(&frames);
    HeadlessGetFaults()->cooperativeLevel = 1;
    EXPECT_NE(dd->SetCooperativeLevel(hwnd, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
    EXPECT_EQ(dd->SetCooperativeLevel(hwnd, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
    EXPECT_EQ(dd->window, hwnd);
    EXPECT_EQ(dd->cooperativeFlags, 0x11u);
}

TEST_F(DDrawTest, DisplayModeIsSixteenBitsWithPositiveSize) {
    EXPECT_EQ(dd->SetDisplayMode(1024, 768, 32, 0, 0), DDERR_INVALIDMODE);
    EXPECT_EQ(dd->SetDisplayMode(1024, 768, 8, 0, 0), DDERR_INVALIDMODE);
    EXPECT_EQ(dd->SetDisplayMode(0, 768, 16, 0, 0), DDERR_INVALIDMODE);
    EXPECT_EQ(dd->SetDisplayMode(1024, 0, 16, 0, 0), DDERR_INVALIDMODE);
    EXPECT_EQ(dd->modeWidth, 0);
    HeadlessGetFaults()->setDisplayMode = 1;
    EXPECT_NE(dd->SetDisplayMode(1024, 768, 16, 0, 0), DD_OK);
    EXPECT_EQ(dd->modeWidth, 0);
    EXPECT_EQ(dd->SetDisplayMode(1024, 768, 16, 0, 0), DD_OK);
    EXPECT_EQ(dd->modeWidth, 1024);
    EXPECT_EQ(dd->modeHeight, 768);
    EXPECT_EQ(dd->modeBits, 16);
}

TEST_F(DDrawTest, PrimaryNeedsAModeAndMakesAZeroedBackBufferOfItsSize) {
    IDirectDrawSurface4* primary = nullptr;
    EXPECT_EQ(Primary(&primary), DDERR_INVALIDPARAMS);
    EXPECT_EQ(primary, nullptr);
    ASSERT_EQ(dd->SetDisplayMode(640, 480, 16, 0, 0), DD_OK);
    ASSERT_EQ(Primary(&primary), DD_OK);
    EXPECT_EQ(dd->primary, primary);
    EXPECT_EQ(primary->width, 640);
    EXPECT_EQ(primary->height, 480);
    EXPECT_EQ(primary->pitch, 1280);
    DDSCAPS2 caps = {};
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    IDirectDrawSurface4* back = nullptr;
    ASSERT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);
    ASSERT_NE(back, nullptr);
    EXPECT_NE(back, primary);
    EXPECT_EQ(back->width, 640);
    EXPECT_EQ(back->height, 480);
    EXPECT_NE(back->pixels, primary->pixels);
    for (int y = 0; y < back->height; ++y) {
        const uint16_t* row =
            reinterpret_cast<const uint16_t*>(reinterpret_cast<const uint8_t*>(back->pixels) + y * back->pitch);
        for (int x = 0; x < back->width; ++x) ASSERT_EQ(row[x], 0) << x << "," << y;
    }
    // An off-screen surface has nothing attached.
    IDirectDrawSurface4* plain = nullptr;
    ASSERT_EQ(Offscreen(8, 8, &plain), DD_OK);
    IDirectDrawSurface4* none = reinterpret_cast<IDirectDrawSurface4*>(1);
    EXPECT_EQ(plain->GetAttachedSurface(&caps, &none), DDERR_NOTFOUND);
    EXPECT_EQ(none, nullptr);
}

TEST_F(DDrawTest, PrimaryFaultsAndAttachedFault) {
    ASSERT_EQ(dd->SetDisplayMode(1024, 768, 16, 0, 0), DD_OK);
    IDirectDrawSurface4* primary = reinterpret_cast<IDirectDrawSurface4*>(1);
    HeadlessGetFaults()->createPrimary = 1;
    EXPECT_NE(Primary(&primary), DD_OK);
    EXPECT_EQ(primary, nullptr);
    ASSERT_EQ(Primary(&primary), DD_OK);
    HeadlessGetFaults()->getAttached = 1;
    DDSCAPS2 caps = {};
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    IDirectDrawSurface4* back = nullptr;
    EXPECT_NE(primary->GetAttachedSurface(&caps, &back), DD_OK);
    EXPECT_EQ(back, nullptr);
    EXPECT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);
    EXPECT_NE(back, nullptr);
}

TEST_F(DDrawTest, PrimaryOnlyAsAFlipChainWithOneBackBuffer) {
    ASSERT_EQ(dd->SetDisplayMode(1024, 768, 16, 0, 0), DD_OK);
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    desc.dwBackBufferCount = 2;
    IDirectDrawSurface4* out = nullptr;
    EXPECT_EQ(dd->CreateSurface(&desc, &out, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(dd->CreateSurface(nullptr, &out, nullptr), DDERR_INVALIDPARAMS);
    desc.dwBackBufferCount = 1;
    EXPECT_EQ(dd->CreateSurface(&desc, nullptr, nullptr), DDERR_INVALIDPARAMS);
    desc.ddsCaps.dwCaps = 0;
    EXPECT_EQ(dd->CreateSurface(&desc, &out, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(out, nullptr);
}

TEST_F(DDrawTest, OffscreenSizeLimitsAndPitch) {
    IDirectDrawSurface4* s = nullptr;
    EXPECT_EQ(Offscreen(0, 10, &s), DDERR_INVALIDPARAMS);
    EXPECT_EQ(Offscreen(10, 0, &s), DDERR_INVALIDPARAMS);
    EXPECT_EQ(Offscreen(16385, 1, &s), DDERR_INVALIDPARAMS);
    EXPECT_EQ(Offscreen(1, 16385, &s), DDERR_INVALIDPARAMS);
    EXPECT_EQ(Offscreen(0xFFFFFFFFu, 1, &s), DDERR_INVALIDPARAMS);
    EXPECT_EQ(Offscreen(10, 10, &s, DDSD_CAPS | DDSD_WIDTH), DDERR_INVALIDPARAMS);
    EXPECT_EQ(s, nullptr);

    struct Case {
        DWORD width;
        int pitch;
    } cases[] = {{1, 64}, {32, 64}, {33, 128}, {100, 256}, {1024, 2048}, {16384, 32768}};
    for (const Case& c : cases) {
        ASSERT_EQ(Offscreen(c.width, 3, &s), DD_OK) << c.width;
        EXPECT_EQ(s->width, (int)c.width);
        EXPECT_EQ(s->height, 3);
        EXPECT_EQ(s->pitch, c.pitch) << c.width;
        EXPECT_EQ(reinterpret_cast<uintptr_t>(s->pixels) % 64, 0u);
        EXPECT_EQ(s->caps & DDSCAPS_OFFSCREENPLAIN, (DWORD)DDSCAPS_OFFSCREENPLAIN);
        // Every byte of every row, padding included, starts at zero.
        const uint8_t* bytes = reinterpret_cast<const uint8_t*>(s->pixels);
        for (int i = 0; i < s->pitch * 3; ++i) ASSERT_EQ(bytes[i], 0) << i;
    }
    ASSERT_EQ(Offscreen(1, 16384, &s), DD_OK);
}

TEST_F(DDrawTest, OffscreenFaults) {
    IDirectDrawSurface4* s = reinterpret_cast<IDirectDrawSurface4*>(1);
    HeadlessGetFaults()->createOffscreen = 2;
    EXPECT_EQ(Offscreen(8, 8, &s), DDERR_OUTOFMEMORY);
    EXPECT_EQ(s, nullptr);
    EXPECT_EQ(Offscreen(8, 8, &s), DDERR_OUTOFMEMORY);
    EXPECT_EQ(Offscreen(8, 8, &s), DD_OK);
    EXPECT_NE(s, nullptr);

    HeadlessGetFaults()->createOffscreenNull = -1;
    for (int i = 0; i < 3; ++i) {
        s = reinterpret_cast<IDirectDrawSurface4*>(1);
        EXPECT_EQ(Offscreen(8, 8, &s), DD_OK);
        EXPECT_EQ(s, nullptr);
    }
}

#if defined(__SANITIZE_ADDRESS__)
#define KESTRA_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KESTRA_ASAN 1
#endif
#endif

TEST_F(DDrawTest, FailedAllocationIsReportedNotCrashed) {
#ifdef KESTRA_ASAN
    GTEST_SKIP() << "an address-space limit cannot be combined with AddressSanitizer's shadow memory";
#else
    // In a child limited to little more address space than it uses, the
    // largest surface (512 MiB) cannot be allocated.
    EXPECT_EXIT(
        {
            struct rlimit limit;
            getrlimit(RLIMIT_AS, &limit);
            limit.rlim_cur = 256ull << 20;
            FILE* statm = fopen("/proc/self/statm", "r");
            unsigned long pages = 0;
            if (statm && fscanf(statm, "%lu", &pages) == 1) limit.rlim_cur += pages * 4096ull;
            if (statm) fclose(statm);
            setrlimit(RLIMIT_AS, &limit);
            IDirectDrawSurface4* s = reinterpret_cast<IDirectDrawSurface4*>(1);
            HRESULT hr = Offscreen(16384, 16384, &s);
            std::exit(hr == DDERR_OUTOFMEMORY && s == nullptr ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
#endif
}

TEST_F(DDrawTest, FlipSwapsTheBuffersAndPresentsTheNewFront) {
    IDirectDrawSurface4 *primary = nullptr, *back = nullptr;
    Chain(&primary, &back);
    HeadlessSetPresentHook(RecordFrame, nullptr);
    uint16_t* oldFront = primary->pixels;
    uint16_t* oldBack = back->pixels;
    back->pixels[0] = 0xF800;
    ASSERT_EQ(primary->Flip(nullptr, 0), DD_OK);
    EXPECT_EQ(primary->pixels, oldBack);
    EXPECT_EQ(back->pixels, oldFront);
    EXPECT_EQ(primary->pixels[0], 0xF800);
    EXPECT_EQ(back->pixels[0], 0);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].pixels, primary->pixels);
    EXPECT_EQ(frames[0].firstPixel, 0xF800);
    EXPECT_EQ(frames[0].width, 1024);
    EXPECT_EQ(frames[0].height, 768);
    EXPECT_EQ(frames[0].pitch, 2048);
    EXPECT_EQ(HeadlessFramesPresented(), 1);
    ASSERT_EQ(primary->Flip(nullptr, 0), DD_OK);
    EXPECT_EQ(primary->pixels, oldFront);
    EXPECT_EQ(HeadlessFramesPresented(), 2);
}

TEST_F(DDrawTest, OnlyThePrimaryFlips) {
    IDirectDrawSurface4 *primary = nullptr, *back = nullptr, *plain = nullptr;
    Chain(&primary, &back);
    ASSERT_EQ(Offscreen(8, 8, &plain), DD_OK);
    EXPECT_EQ(plain->Flip(nullptr, 0), DDERR_NOTFLIPPABLE);
    EXPECT_EQ(back->Flip(nullptr, 0), DDERR_NOTFLIPPABLE);
    EXPECT_EQ(primary->Flip(plain, 0), DDERR_INVALIDPARAMS);
    EXPECT_EQ(primary->Flip(back, 0), DD_OK);
    EXPECT_EQ(HeadlessFramesPresented(), 1);
}

TEST_F(DDrawTest, StillDrawingFlipsFailWithoutPresenting) {
    IDirectDrawSurface4 *primary = nullptr, *back = nullptr;
    Chain(&primary, &back);
    HeadlessSetPresentHook(RecordFrame, nullptr);
    uint16_t* front = primary->pixels;
    HeadlessGetFaults()->flipStillDrawing = 2;
    EXPECT_EQ(primary->Flip(nullptr, 0), DDERR_WASSTILLDRAWING);
    EXPECT_EQ(primary->Flip(nullptr, 0), DDERR_WASSTILLDRAWING);
    EXPECT_EQ(primary->pixels, front);
    EXPECT_TRUE(frames.empty());
    EXPECT_EQ(primary->Flip(nullptr, 0), DD_OK);
    EXPECT_EQ(frames.size(), 1u);
}

TEST_F(DDrawTest, LostSurfaceRefusesFlipsUntilRestored) {
    IDirectDrawSurface4 *primary = nullptr, *back = nullptr;
    Chain(&primary, &back);
    EXPECT_EQ(primary->IsLost(), DD_OK);
    HeadlessGetFaults()->flipLost = 1;
    EXPECT_EQ(primary->Flip(nullptr, 0), DDERR_SURFACELOST);
    EXPECT_EQ(primary->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(primary->Flip(nullptr, 0), DDERR_SURFACELOST);  // the fault is spent; the loss stays
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof desc;
    EXPECT_EQ(back->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DDERR_SURFACELOST);
    EXPECT_EQ(HeadlessFramesPresented(), 0);

    HeadlessGetFaults()->restore = 1;
    EXPECT_NE(primary->Restore(), DD_OK);
    EXPECT_EQ(primary->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(primary->Restore(), DD_OK);
    EXPECT_EQ(primary->IsLost(), DD_OK);
    EXPECT_EQ(back->IsLost(), DD_OK);
    EXPECT_EQ(primary->Flip(nullptr, 0), DD_OK);
    EXPECT_EQ(HeadlessFramesPresented(), 1);
}

TEST_F(DDrawTest, NoFlipWhileABufferIsLocked) {
    IDirectDrawSurface4 *primary = nullptr, *back = nullptr;
    Chain(&primary, &back);
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof desc;
    ASSERT_EQ(back->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    uint16_t* drawing = back->pixels;
    EXPECT_EQ(primary->Flip(nullptr, 0), DDERR_SURFACEBUSY);
    EXPECT_EQ(back->pixels, drawing);
    EXPECT_EQ(HeadlessFramesPresented(), 0);
    ASSERT_EQ(back->Unlock(nullptr), DD_OK);
    EXPECT_EQ(primary->Flip(nullptr, 0), DD_OK);
}

TEST_F(DDrawTest, LockUnlockStateMachine) {
    IDirectDrawSurface4* s = nullptr;
    ASSERT_EQ(Offscreen(100, 50, &s), DD_OK);
    EXPECT_EQ(s->Unlock(nullptr), DDERR_NOTLOCKED);
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0xAB, sizeof desc);
    desc.dwSize = 124;
    EXPECT_EQ(s->Lock(nullptr, nullptr, 0, nullptr), DDERR_INVALIDPARAMS);
    ASSERT_EQ(s->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(desc.dwSize, 124u);
    EXPECT_EQ(desc.dwWidth, 100u);
    EXPECT_EQ(desc.dwHeight, 50u);
    EXPECT_EQ(desc.lPitch, 256);
    EXPECT_EQ(desc.lpSurface, (void*)s->pixels);
    EXPECT_EQ(desc.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_LPSURFACE | DDSD_PIXELFORMAT),
              (DWORD)(DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_LPSURFACE | DDSD_PIXELFORMAT));
    EXPECT_EQ(desc.ddpfPixelFormat.dwRBitMask, 0xF800u);
    EXPECT_EQ(desc.dwBackBufferCount, 0u);  // fields not described are cleared
    DDSURFACEDESC2 again = {};
    again.dwSize = sizeof again;
    EXPECT_EQ(s->Lock(nullptr, &again, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
    EXPECT_EQ(s->Unlock(nullptr), DD_OK);
    EXPECT_EQ(s->Unlock(nullptr), DDERR_NOTLOCKED);
    EXPECT_EQ(s->Lock(nullptr, &again, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(s->Unlock(nullptr), DD_OK);
}

TEST_F(DDrawTest, LockOfARectanglePointsAtItsCorner) {
    IDirectDrawSurface4* s = nullptr;
    ASSERT_EQ(Offscreen(100, 50, &s), DD_OK);
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof desc;
    RECT r = {10, 5, 20, 8};
    ASSERT_EQ(s->Lock(&r, &desc, 0, nullptr), DD_OK);
    EXPECT_EQ(desc.lpSurface, (void*)(reinterpret_cast<uint8_t*>(s->pixels) + 5 * 256 + 10 * 2));
    s->Unlock(nullptr);
    RECT outside[] = {{-1, 0, 10, 10}, {0, 0, 101, 10}, {0, 0, 10, 51}, {5, 5, 5, 6}, {5, 6, 6, 5}, {0, -3, 2, 2}};
    for (RECT& bad : outside) {
        EXPECT_EQ(s->Lock(&bad, &desc, 0, nullptr), DDERR_INVALIDRECT);
        EXPECT_EQ(s->locked, 0);
    }
    RECT whole = {0, 0, 100, 50};
    EXPECT_EQ(s->Lock(&whole, &desc, 0, nullptr), DD_OK);
}

TEST_F(DDrawTest, LockFault) {
    IDirectDrawSurface4* s = nullptr;
    ASSERT_EQ(Offscreen(4, 4, &s), DD_OK);
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof desc;
    HeadlessGetFaults()->lock = 1;
    EXPECT_NE(s->Lock(nullptr, &desc, 0, nullptr), DD_OK);
    EXPECT_EQ(s->locked, 0);
    EXPECT_EQ(s->Unlock(nullptr), DDERR_NOTLOCKED);
    EXPECT_EQ(s->Lock(nullptr, &desc, 0, nullptr), DD_OK);
}

TEST_F(DDrawTest, ColourKeyIsStoredForSourceBlitsOnly) {
    IDirectDrawSurface4* s = nullptr;
    ASSERT_EQ(Offscreen(4, 4, &s), DD_OK);
    EXPECT_EQ(s->hasSrcKey, 0);
    DDCOLORKEY key = {0xF81F, 0xF81F};
    EXPECT_EQ(s->SetColorKey(0x2 /* destination key */, &key), DDERR_INVALIDPARAMS);
    EXPECT_EQ(s->hasSrcKey, 0);
    ASSERT_EQ(s->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    EXPECT_EQ(s->hasSrcKey, 1);
    EXPECT_EQ(s->srcKey.dwColorSpaceLowValue, 0xF81Fu);
    EXPECT_EQ(s->srcKey.dwColorSpaceHighValue, 0xF81Fu);
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof desc;
    ASSERT_EQ(s->GetSurfaceDesc(&desc), DD_OK);
    EXPECT_EQ(desc.ddckCKSrcBlt.dwColorSpaceLowValue, 0xF81Fu);
    ASSERT_EQ(s->SetColorKey(DDCKEY_SRCBLT, nullptr), DD_OK);  // removes the key
    EXPECT_EQ(s->hasSrcKey, 0);
}

TEST_F(DDrawTest, SurfaceDescriptionGivesTheRgb565Format) {
    IDirectDrawSurface4* s = nullptr;
    ASSERT_EQ(Offscreen(33, 7, &s), DD_OK);
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof desc;
    EXPECT_EQ(s->GetSurfaceDesc(nullptr), DDERR_INVALIDPARAMS);
    ASSERT_EQ(s->GetSurfaceDesc(&desc), DD_OK);
    EXPECT_EQ(desc.dwSize, (DWORD)sizeof desc);
    EXPECT_EQ(desc.dwWidth, 33u);
    EXPECT_EQ(desc.dwHeight, 7u);
    EXPECT_EQ(desc.lPitch, 128);
    EXPECT_EQ(desc.ddpfPixelFormat.dwSize, 32u);
    EXPECT_EQ(desc.ddpfPixelFormat.dwFlags, (DWORD)DDPF_RGB);
    EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 16u);
    EXPECT_EQ(desc.ddpfPixelFormat.dwRBitMask, 0xF800u);
    EXPECT_EQ(desc.ddpfPixelFormat.dwGBitMask, 0x07E0u);
    EXPECT_EQ(desc.ddpfPixelFormat.dwBBitMask, 0x001Fu);
    EXPECT_EQ(s->locked, 0);  // describing is not locking
}

TEST_F(DDrawTest, ReleasingThePrimaryTakesItsBackBuffer) {
    IDirectDrawSurface4 *primary = nullptr, *back = nullptr;
    Chain(&primary, &back);
    made.clear();
    EXPECT_EQ(back->Release(), 1u);  // held by its primary
    EXPECT_EQ(primary->Release(), 0u);
    EXPECT_EQ(dd->primary, nullptr);
    EXPECT_EQ(primary->Release(), 0u);  // a second release is harmless
    // A new chain can be made for the same mode.
    Chain(&primary, &back);
}

}  // namespace
