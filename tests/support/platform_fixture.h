// Every platform test starts from a fresh headless platform.
#pragma once
#include <gtest/gtest.h>

#include "platform/backend.h"
#include "platform/ddraw.h"
#include "platform/headless.h"
#include "platform/mmsystem.h"
#include "platform/win32.h"

class PlatformTest : public ::testing::Test {
  protected:
    void SetUp() override {
        PlatformSelectBackend(PLATFORM_HEADLESS);
        HeadlessReset();
    }
    void TearDown() override { HeadlessReset(); }
};
