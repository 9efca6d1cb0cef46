// A fresh headless platform and engine for each graphics test: a DirectDraw
// object in the display's global, no display mode, an empty image chain.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "engine/graphics/display.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/image_store.h"
#include "engine/host/engine.h"
#include "platform/gdi.h"
#include "platform/headless.h"

namespace gfxtest {

struct EngineGraphics : ::testing::Test {
    IDirectDraw* first = nullptr;
    int bitmapsBefore = 0, dcsBefore = 0;

    void SetUp() override {
        HeadlessReset();
        ResetEngineForTests();
        ResetDisplayForTests();
        GdiResetFaults();
        ImageStoreFailAllocation(0);
        bitmapsBefore = GdiLiveBitmaps();
        dcsBefore = GdiLiveDCs();
        ASSERT_EQ(DirectDrawCreate(nullptr, &first, nullptr), DD_OK);
        ASSERT_EQ(first->QueryInterface(IID_IDirectDraw4, reinterpret_cast<LPVOID*>(&directDraw)), DD_OK);
    }
    void TearDown() override {
        ResetEngineForTests();  // frees the image chain
        ResetDisplayForTests();
        if (first) first->Release();
        GdiResetFaults();
        ImageStoreFailAllocation(0);
        HeadlessReset();
        EXPECT_EQ(GdiLiveBitmaps(), bitmapsBefore) << "a bitmap was left behind";
        EXPECT_EQ(GdiLiveDCs(), dcsBefore) << "a device context was left behind";
    }

    static int Boxes() { return HeadlessBoxCount(); }
    static std::string BoxText(int i) { return HeadlessBoxText(i) ? HeadlessBoxText(i) : ""; }
    static std::string BoxCaption(int i) { return HeadlessBoxCaption(i) ? HeadlessBoxCaption(i) : ""; }
};

}  // namespace gfxtest
