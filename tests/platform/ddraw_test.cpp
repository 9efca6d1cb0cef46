#include "tests/support/harness.h"

struct DDrawTest : PlatformTest {
    IDirectDraw* first = nullptr;
    IDirectDraw4* dd = nullptr;
    IDirectDrawSurface4 *primary = nullptr, *back = nullptr, *s = nullptr;
    DDSURFACEDESC2 desc = {};
    DDSCAPS2 backCaps = {DDSCAPS_BACKBUFFER, 0, 0, 0};
    HeadlessFaults* f = HeadlessGetFaults();

    void SetUp() override {
        PlatformTest::SetUp();
        ASSERT_EQ(DirectDrawCreate(nullptr, &first, nullptr), DD_OK);
        ASSERT_EQ(first->QueryInterface(IID_IDirectDraw4, reinterpret_cast<LPVOID*>(&dd)), DD_OK);
    }
    void TearDown() override {
        for (IDirectDrawSurface4* surface : {s, primary}) surface && surface->Release();
        dd->Release(), first->Release(), PlatformTest::TearDown();
    }
    // Without a size the primary; the result is preset to see that a failure clears it.
    HRESULT Create(DWORD width = 0, DWORD height = 0) {
        IDirectDrawSurface4*& out = width ? s : primary;
        if (out) out->Release();
        out = reinterpret_cast<IDirectDrawSurface4*>(1);
        DDSURFACEDESC2 d = {};
        d.dwSize = sizeof d, d.dwWidth = width, d.dwHeight = height, d.dwBackBufferCount = !width;
        d.dwFlags = width ? DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT : DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
        d.ddsCaps.dwCaps = width ? DDSCAPS_OFFSCREENPLAIN : DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
        return dd->CreateSurface(&d, &out, nullptr);
    }
};

// A driver may also report success and give no surface. Sides run from 1 to 16384.
TEST_F(DDrawTest, EachCreationStepFailsWhenAsked) {
    f->directDrawCreate = f->queryInterface = f->cooperativeLevel = f->setDisplayMode = f->createPrimary = FailNext();
    f->getAttached = f->createOffscreenNull = FailNext(), f->createOffscreen = FailNext(2);
    IDirectDraw* object = reinterpret_cast<IDirectDraw*>(1);
    IDirectDraw4* again = reinterpret_cast<IDirectDraw4*>(1);
    EXPECT_NE(DirectDrawCreate(nullptr, &object, nullptr), DD_OK);
    EXPECT_NE(first->QueryInterface(IID_IDirectDraw4, reinterpret_cast<LPVOID*>(&again)), DD_OK);
    EXPECT_TRUE(!object && !again);
    for (int i = 0; i < 2; i++) {
        EXPECT_EQ(dd->SetCooperativeLevel(HWND(this), DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN) == DD_OK, i);
        EXPECT_EQ(dd->SetDisplayMode(1024, 768, 16, 0, 0) == DD_OK, i);
        EXPECT_EQ(Create() == DD_OK && primary, i);
    }
    back = reinterpret_cast<IDirectDrawSurface4*>(1);
    EXPECT_TRUE(primary->GetAttachedSurface(&backCaps, &back) != DD_OK && !back);
    for (HRESULT result : {DDERR_OUTOFMEMORY, DDERR_OUTOFMEMORY, DD_OK}) EXPECT_EQ(Create(8, 8), result);
    EXPECT_EQ(s, nullptr);  // the success without a surface
    for (DWORD side : {0u, 16385u}) EXPECT_EQ(Create(8, side), DDERR_INVALIDPARAMS);
    EXPECT_EQ(Create(16385, 8), DDERR_INVALIDPARAMS);
    EXPECT_EQ(dd->SetDisplayMode(1024, 768, 32, 0, 0), DDERR_INVALIDMODE);
    ASSERT_EQ(Create(8, 16384), DD_OK);
    EXPECT_EQ(s->pitch, 64);            // rows padded to 64 bytes: the wide copy kernels read whole blocks
    DDCOLORKEY key = {0xF81F, 0xF81F};  // described with the surface
    ASSERT_EQ(s->SetColorKey(DDCKEY_SRCBLT, &key) | s->GetSurfaceDesc(&desc), DD_OK);
    EXPECT_EQ(desc.ddckCKSrcBlt.dwColorSpaceLowValue + desc.ddckCKSrcBlt.dwColorSpaceHighValue, 2u * 0xF81F);
}

// Still drawing, a locked back buffer or a loss keep the pictures; a loss lasts until restored.
TEST_F(DDrawTest, LocksStillDrawingAndLostSurfaces) {
    std::vector<uint16_t> shown;  // the first pixel of every frame shown; the reset drops the hook
    HeadlessSetPresentHook(
        [](const uint16_t* p, int, int, int, void* to) { static_cast<decltype(shown)*>(to)->push_back(*p); }, &shown);
    ASSERT_EQ(dd->SetDisplayMode(1024, 768, 16, 0, 0) | Create(), DD_OK);
    EXPECT_EQ(primary->GetAttachedSurface(nullptr, &back) | primary->GetAttachedSurface(&backCaps, nullptr),
              DDERR_INVALIDPARAMS);
    ASSERT_EQ(primary->GetAttachedSurface(&backCaps, &back), DD_OK);
    uint16_t *front = primary->pixels, *behind = back->pixels;
    f->flipStillDrawing = f->restore = FailNext();
    EXPECT_EQ(primary->Flip(nullptr, 0), DDERR_WASSTILLDRAWING);
    for (RECT r : {RECT{-1, 0, 9, 9}, {0, -3, 2, 2}, {0, 0, 1025, 9}, {0, 0, 9, 769}, {5, 5, 5, 6}, {5, 6, 6, 5}})
        EXPECT_EQ(back->Lock(&r, &desc, 0, nullptr), DDERR_INVALIDRECT) << r.left << "," << r.top;
    RECT r = {0, 5, 20, 8};
    ASSERT_EQ(back->Lock(&r, &desc, 0, nullptr), DD_OK);
    EXPECT_EQ(desc.lpSurface, (void*)(back->pixels + 5 * 1024));
    EXPECT_EQ(primary->Flip(nullptr, 0), DDERR_SURFACEBUSY);
    back->Unlock(nullptr), f->flipLost = FailNext();
    for (int i = 0; i < 2; i++) EXPECT_EQ(primary->Flip(nullptr, 0), DDERR_SURFACELOST);  // the loss outlasts the fault
    EXPECT_TRUE(primary->Restore() != DD_OK && back->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) == DDERR_SURFACELOST);
    EXPECT_TRUE(!primary->Restore() && !back->Lock(nullptr, &desc, 0, nullptr) && !back->Unlock(nullptr));
    back->pixels[0] = 0xF800;
    EXPECT_EQ(back->Flip(nullptr, 0), DDERR_NOTFLIPPABLE);
    ASSERT_EQ(primary->Flip(back, 0), DD_OK);
    EXPECT_EQ(std::make_pair(primary->pixels, back->pixels), std::make_pair(behind, front));
    EXPECT_EQ(shown, std::vector<uint16_t>{0xF800});
}
