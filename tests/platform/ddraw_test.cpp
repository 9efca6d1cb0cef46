// The display object, the flip chain and off-screen surfaces: creation limits
// and failures, flips, lost surfaces, locks, colour keys and descriptions.
#include <sys/resource.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tests/support/harness.h"

namespace {

std::vector<uint16_t> presented;  // the first pixel of every frame shown

void RecordFrame(const uint16_t* pixels, int width, int height, int pitch, void*) {
    EXPECT_EQ(width, 1024);
    EXPECT_EQ(height, 768);
    EXPECT_EQ(pitch, 2048);
    presented.push_back(pixels[0]);
}

class DDrawTest : public PlatformTest {
  protected:
    IDirectDraw* first = nullptr;
    IDirectDraw4* dd = nullptr;
    IDirectDrawSurface4 *primary = nullptr, *back = nullptr, *s = nullptr;
    DDSURFACEDESC2 desc = {};  // for locks and descriptions
    DDSCAPS2 backCaps = {};

    void SetUp() override {
        PlatformTest::SetUp();
        presented.clear();
        desc.dwSize = sizeof desc;
        backCaps.dwCaps = DDSCAPS_BACKBUFFER;
        ASSERT_EQ(DirectDrawCreate(nullptr, &first, nullptr), DD_OK);
        ASSERT_EQ(first->QueryInterface(IID_IDirectDraw4, reinterpret_cast<LPVOID*>(&dd)), DD_OK);
    }
    void TearDown() override {
        if (s) s->Release();
        if (primary) primary->Release();
        dd->Release();
        first->Release();
        PlatformTest::TearDown();
    }
    // Creation sets out to a non-null value first, to see that a failure clears it.
    HRESULT Create(DWORD flags, DWORD caps, DWORD width, DWORD height, DWORD backBuffers, IDirectDrawSurface4** out) {
        *out = reinterpret_cast<IDirectDrawSurface4*>(1);
        DDSURFACEDESC2 d = {};
        d.dwSize = sizeof d;
        d.dwFlags = flags;
        d.ddsCaps.dwCaps = caps;
        d.dwWidth = width;
        d.dwHeight = height;
        d.dwBackBufferCount = backBuffers;
        return dd->CreateSurface(&d, out, nullptr);
    }
    HRESULT Offscreen(DWORD width, DWORD height, DWORD flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT) {
        if (s) s->Release();
        return Create(flags, DDSCAPS_OFFSCREENPLAIN, width, height, 0, &s);
    }
    HRESULT Primary(DWORD backBuffers = 1) {
        return Create(DDSD_CAPS | DDSD_BACKBUFFERCOUNT, DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX, 0, 0,
                      backBuffers, &primary);
    }
    // A 1024 x 768 flip chain: the primary and its back buffer.
    void Chain() {
        ASSERT_EQ(dd->SetDisplayMode(1024, 768, 16, 0, 0), DD_OK);
        ASSERT_EQ(Primary(), DD_OK);
        ASSERT_EQ(primary->GetAttachedSurface(&backCaps, &back), DD_OK);
    }
};

// The display's set-up steps in the order the engine takes them, each made to
// fail: the failure leaves no object behind, and the next try succeeds.
TEST_F(DDrawTest, EachCreationStepFailsWhenAsked) {
    HeadlessFaults* faults = HeadlessGetFaults();
    IDirectDraw* object = reinterpret_cast<IDirectDraw*>(1);
    faults->directDrawCreate = 1;
    EXPECT_NE(DirectDrawCreate(nullptr, &object, nullptr), DD_OK);
    EXPECT_EQ(object, nullptr);

    const GUID id = {0x9C59509A, 0x39BD, 0x11D1, {0x8C, 0x4A, 0x00, 0xC0, 0x4F, 0xD9, 0x30, 0xC5}};
    EXPECT_EQ(std::memcmp(&IID_IDirectDraw4, &id, sizeof id), 0);
    GUID other = IID_IDirectDraw4;
    other.Data1 ^= 1;
    IDirectDraw4* again = reinterpret_cast<IDirectDraw4*>(1);
    EXPECT_EQ(first->QueryInterface(other, reinterpret_cast<LPVOID*>(&again)), DDERR_NOINTERFACE);
    EXPECT_EQ(again, nullptr);
    faults->queryInterface = 1;
    again = reinterpret_cast<IDirectDraw4*>(1);
    EXPECT_NE(first->QueryInterface(IID_IDirectDraw4, reinterpret_cast<LPVOID*>(&again)), DD_OK);
    EXPECT_EQ(again, nullptr);

    HWND hwnd = reinterpret_cast<HWND>(&presented);
    faults->cooperativeLevel = 1;
    EXPECT_NE(dd->SetCooperativeLevel(hwnd, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
    EXPECT_EQ(dd->SetCooperativeLevel(hwnd, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
    EXPECT_EQ(dd->cooperativeFlags, 0x11u);

    EXPECT_EQ(Primary(), DDERR_INVALIDPARAMS);  // no mode yet
    EXPECT_EQ(dd->SetDisplayMode(1024, 768, 32, 0, 0), DDERR_INVALIDMODE);
    faults->setDisplayMode = 1;
    EXPECT_NE(dd->SetDisplayMode(1024, 768, 16, 0, 0), DD_OK);
    EXPECT_EQ(dd->modeWidth, 0);
    ASSERT_EQ(dd->SetDisplayMode(1024, 768, 16, 0, 0), DD_OK);

    EXPECT_EQ(Primary(2), DDERR_INVALIDPARAMS);  // only one back buffer
    faults->createPrimary = 1;
    EXPECT_NE(Primary(), DD_OK);
    EXPECT_EQ(primary, nullptr);
    ASSERT_EQ(Primary(), DD_OK);
    back = reinterpret_cast<IDirectDrawSurface4*>(1);
    faults->getAttached = 1;
    EXPECT_NE(primary->GetAttachedSurface(&backCaps, &back), DD_OK);
    EXPECT_EQ(back, nullptr);
    EXPECT_EQ(primary->GetAttachedSurface(&backCaps, &back), DD_OK);

    faults->createOffscreen = 2;  // counts down
    EXPECT_EQ(Offscreen(8, 8), DDERR_OUTOFMEMORY);
    EXPECT_EQ(s, nullptr);
    EXPECT_EQ(Offscreen(8, 8), DDERR_OUTOFMEMORY);
    ASSERT_EQ(Offscreen(8, 8), DD_OK);
    faults->lock = 1;
    EXPECT_NE(s->Lock(nullptr, &desc, 0, nullptr), DD_OK);
    EXPECT_EQ(s->Unlock(nullptr), DDERR_NOTLOCKED);
    EXPECT_EQ(s->Lock(nullptr, &desc, 0, nullptr), DD_OK);

    faults->createOffscreenNull = -1;  // success reported, but no surface: every time
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(Offscreen(8, 8), DD_OK);
        EXPECT_EQ(s, nullptr);
    }
}

// Rows are padded to 64 bytes so that the wide copy kernels may read whole
// blocks; padding and picture start zeroed.
TEST_F(DDrawTest, OffscreenSizeLimitsAndPitch) {
    const DWORD bad[][2] = {{0, 10}, {10, 0}, {16385, 1}, {1, 16385}, {0xFFFFFFFFu, 1}};
    for (const auto& b : bad) EXPECT_EQ(Offscreen(b[0], b[1]), DDERR_INVALIDPARAMS) << b[0] << "x" << b[1];
    EXPECT_EQ(Offscreen(10, 10, DDSD_CAPS | DDSD_WIDTH), DDERR_INVALIDPARAMS);
    EXPECT_EQ(s, nullptr);
    ASSERT_EQ(Offscreen(1, 16384), DD_OK);

    const int cases[][2] = {{1, 64}, {32, 64}, {33, 128}, {100, 256}, {16384, 32768}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c[0]);
        ASSERT_EQ(Offscreen(c[0], 3), DD_OK);
        EXPECT_EQ(s->width, c[0]);
        EXPECT_EQ(s->height, 3);
        EXPECT_EQ(s->pitch, c[1]);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(s->pixels) % 64, 0u);
        const uint8_t* bytes = reinterpret_cast<const uint8_t*>(s->pixels);
        for (int i = 0; i < s->pitch * 3; ++i) ASSERT_EQ(bytes[i], 0) << i;
    }
}

TEST_F(DDrawTest, FailedAllocationIsReportedNotCrashed) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "an address-space limit cannot be combined with AddressSanitizer's shadow memory";
#endif
    // In a child limited to 256 MiB more address space than it uses, the
    // largest surface (512 MiB) cannot be allocated.
    EXPECT_EXIT(
        {
            unsigned long pages = 0;
            if (FILE* statm = fopen("/proc/self/statm", "r")) {
                if (fscanf(statm, "%lu", &pages) != 1) pages = 0;
                fclose(statm);
            }
            struct rlimit limit;
            getrlimit(RLIMIT_AS, &limit);
            limit.rlim_cur = (256ull << 20) + pages * 4096ull;
            setrlimit(RLIMIT_AS, &limit);
            std::exit(Offscreen(16384, 16384) == DDERR_OUTOFMEMORY && s == nullptr ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(DDrawTest, FlipSwapsTheZeroedBuffersAndPresentsTheNewFront) {
    Chain();
    ASSERT_EQ(Offscreen(8, 8), DD_OK);
    HeadlessSetPresentHook(RecordFrame, nullptr);
    EXPECT_EQ(dd->primary, primary);
    EXPECT_EQ(back->width, 1024);
    EXPECT_EQ(back->height, 768);
    for (int i = 0; i < 1024 * 768; ++i) ASSERT_EQ(back->pixels[i], 0) << i;
    // Only the primary flips, and only with its own back buffer.
    EXPECT_EQ(s->Flip(nullptr, 0), DDERR_NOTFLIPPABLE);
    EXPECT_EQ(back->Flip(nullptr, 0), DDERR_NOTFLIPPABLE);
    EXPECT_EQ(primary->Flip(s, 0), DDERR_INVALIDPARAMS);
    EXPECT_EQ(s->GetAttachedSurface(&backCaps, &back), DDERR_NOTFOUND);
    EXPECT_EQ(back, nullptr);
    ASSERT_EQ(primary->GetAttachedSurface(&backCaps, &back), DD_OK);

    uint16_t* oldFront = primary->pixels;
    uint16_t* oldBack = back->pixels;
    back->pixels[0] = 0xF800;
    ASSERT_EQ(primary->Flip(back, 0), DD_OK);
    EXPECT_EQ(primary->pixels, oldBack);
    EXPECT_EQ(back->pixels, oldFront);
    ASSERT_EQ(primary->Flip(nullptr, 0), DD_OK);
    EXPECT_EQ(presented, (std::vector<uint16_t>{0xF800, 0}));
    EXPECT_EQ(HeadlessFramesPresented(), 2);
}

TEST_F(DDrawTest, StillDrawingLockedAndLostSurfacesDoNotFlip) {
    Chain();
    HeadlessSetPresentHook(RecordFrame, nullptr);
    uint16_t* front = primary->pixels;
    HeadlessGetFaults()->flipStillDrawing = 2;
    EXPECT_EQ(primary->Flip(nullptr, 0), DDERR_WASSTILLDRAWING);
    EXPECT_EQ(primary->Flip(nullptr, 0), DDERR_WASSTILLDRAWING);
    ASSERT_EQ(back->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(primary->Flip(nullptr, 0), DDERR_SURFACEBUSY);
    ASSERT_EQ(back->Unlock(nullptr), DD_OK);
    EXPECT_EQ(primary->pixels, front);

    HeadlessGetFaults()->flipLost = 1;
    EXPECT_EQ(primary->IsLost(), DD_OK);
    EXPECT_EQ(primary->Flip(nullptr, 0), DDERR_SURFACELOST);
    EXPECT_EQ(primary->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(primary->Flip(nullptr, 0), DDERR_SURFACELOST);  // the fault is spent; the loss stays
    EXPECT_EQ(back->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DDERR_SURFACELOST);
    HeadlessGetFaults()->restore = 1;
    EXPECT_NE(primary->Restore(), DD_OK);
    EXPECT_EQ(primary->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(primary->Restore(), DD_OK);
    EXPECT_EQ(back->IsLost(), DD_OK);
    EXPECT_TRUE(presented.empty());
    EXPECT_EQ(primary->Flip(nullptr, 0), DD_OK);
    EXPECT_EQ(presented.size(), 1u);
}

TEST_F(DDrawTest, LockDescribesTheSurfaceOrTheCornerOfARectangle) {
    ASSERT_EQ(Offscreen(100, 50), DD_OK);
    EXPECT_EQ(s->Unlock(nullptr), DDERR_NOTLOCKED);
    std::memset(&desc, 0xAB, sizeof desc);
    desc.dwSize = 124;
    ASSERT_EQ(s->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(desc.dwWidth, 100u);
    EXPECT_EQ(desc.dwHeight, 50u);
    EXPECT_EQ(desc.lPitch, 256);
    EXPECT_EQ(desc.lpSurface, (void*)s->pixels);
    EXPECT_EQ(desc.dwBackBufferCount, 0u);  // fields not described are cleared
    EXPECT_EQ(s->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
    EXPECT_EQ(s->Unlock(nullptr), DD_OK);

    RECT r = {10, 5, 20, 8};
    ASSERT_EQ(s->Lock(&r, &desc, 0, nullptr), DD_OK);
    EXPECT_EQ(desc.lpSurface, (void*)(reinterpret_cast<uint8_t*>(s->pixels) + 5 * 256 + 10 * 2));
    s->Unlock(nullptr);
    RECT outside[] = {{-1, 0, 10, 10}, {0, 0, 101, 10}, {0, 0, 10, 51}, {5, 5, 5, 6}, {5, 6, 6, 5}, {0, -3, 2, 2}};
    for (RECT& bad : outside) EXPECT_EQ(s->Lock(&bad, &desc, 0, nullptr), DDERR_INVALIDRECT) << bad.left;
    EXPECT_EQ(s->locked, 0);
    RECT whole = {0, 0, 100, 50};
    EXPECT_EQ(s->Lock(&whole, &desc, 0, nullptr), DD_OK);
}

TEST_F(DDrawTest, DescriptionGivesRgb565AndTheSourceColourKey) {
    ASSERT_EQ(Offscreen(33, 7), DD_OK);
    DDCOLORKEY key = {0xF81F, 0xF81F};
    EXPECT_EQ(s->SetColorKey(0x2 /* destination key */, &key), DDERR_INVALIDPARAMS);
    EXPECT_EQ(s->hasSrcKey, 0);
    ASSERT_EQ(s->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    ASSERT_EQ(s->GetSurfaceDesc(&desc), DD_OK);
    EXPECT_EQ(desc.lPitch, 128);
    EXPECT_EQ(desc.ddckCKSrcBlt.dwColorSpaceLowValue, 0xF81Fu);
    EXPECT_EQ(desc.ddckCKSrcBlt.dwColorSpaceHighValue, 0xF81Fu);
    const DDPIXELFORMAT& f = desc.ddpfPixelFormat;
    EXPECT_EQ(f.dwSize, 32u);
    EXPECT_EQ(f.dwRGBBitCount, 16u);
    EXPECT_EQ(f.dwFlags, (DWORD)DDPF_RGB);
    EXPECT_EQ(f.dwRBitMask, 0xF800u);
    EXPECT_EQ(f.dwGBitMask, 0x07E0u);
    EXPECT_EQ(f.dwBBitMask, 0x001Fu);
    EXPECT_EQ(s->locked, 0);                                   // describing is not locking
    ASSERT_EQ(s->SetColorKey(DDCKEY_SRCBLT, nullptr), DD_OK);  // removes the key
    EXPECT_EQ(s->hasSrcKey, 0);
}

TEST_F(DDrawTest, ReleasingThePrimaryTakesItsBackBuffer) {
    Chain();
    EXPECT_EQ(back->Release(), 1u);  // held by its primary
    EXPECT_EQ(primary->Release(), 0u);
    EXPECT_EQ(dd->primary, nullptr);
    EXPECT_EQ(primary->Release(), 0u);  // a second release is harmless
    Chain();                            // a new chain for the same mode
}

}  // namespace
