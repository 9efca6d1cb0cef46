// The SDL backend without a display: it refuses the drivers that show
// nothing, and, when a test allows the off-screen driver, it opens its window,
// presents frames and turns SDL events into window messages.
#include <SDL.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/platform/platform_fixture.h"

namespace {

std::vector<MSG> sent;  // what reached the window procedure

LRESULT Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG m = {};
    m.hwnd = hwnd;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    sent.push_back(m);
    if (message == WM_DESTROY) PostQuitMessage(0);
    if (message == WM_SETCURSOR) {
        SetCursor(nullptr);
        return 1;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

HWND MakeWindow() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.lpszClassName = "Sdl Test";
    RegisterClassA(&wc);
    return CreateWindowExA(0, "Sdl Test", "Sdl Test", WS_POPUP, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                           GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, nullptr, nullptr);
}

// Fetches every waiting message (pumping SDL first).
std::vector<MSG> Drain() {
    std::vector<MSG> all;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) all.push_back(msg);
    return all;
}

void Push(const SDL_Event& event) {
    SDL_Event copy = event;
    ASSERT_EQ(SDL_PushEvent(&copy), 1) << SDL_GetError();
}

SDL_Event Key(Uint32 type, SDL_Keycode key) {
    SDL_Event e = {};
    e.type = type;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = key;
    return e;
}

class SdlBackendTest : public PlatformTest {
  protected:
    std::vector<std::pair<std::string, std::string>> saved;

    void Set(const char* name, const char* value) {
        const char* old = std::getenv(name);
        saved.emplace_back(name, old ? std::string("=") + old : std::string());
        if (value) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }

    void SetUp() override {
        PlatformTest::SetUp();
        sent.clear();
        // No display: neither the test nor a message box may reach a real one.
        Set("DISPLAY", nullptr);
        Set("WAYLAND_DISPLAY", nullptr);
        Set("SDL_VIDEODRIVER", "offscreen");
        Set("KESTRA_ALLOW_OFFSCREEN", nullptr);
        // Software drawing only: the GL driver that SDL would otherwise load
        // for the off-screen window leaks when it is unloaded again.
        Set("SDL_RENDER_DRIVER", "software");
        Set("SDL_FRAMEBUFFER_ACCELERATION", "0");
    }
    void TearDown() override {
        PlatformSelectBackend(PLATFORM_HEADLESS);
        for (auto it = saved.rbegin(); it != saved.rend(); ++it) {
            if (it->second.empty()) {
                unsetenv(it->first.c_str());
            } else {
                setenv(it->first.c_str(), it->second.c_str() + 1, 1);
            }
        }
        PlatformTest::TearDown();
    }

    void StartAllowed() {
        Set("KESTRA_ALLOW_OFFSCREEN", "1");
        ASSERT_EQ(PlatformSelectBackend(PLATFORM_SDL), 1);
        ASSERT_NE(MakeWindow(), nullptr);
    }
};

TEST_F(SdlBackendTest, DriversThatShowNothingAreRefused) {
    for (const char* driver : {"offscreen", "dummy"}) {
        Set("SDL_VIDEODRIVER", driver);
        testing::internal::CaptureStderr();
        EXPECT_EQ(PlatformSelectBackend(PLATFORM_SDL), 0) << driver;
        EXPECT_EQ(PlatformCurrentBackend(), PLATFORM_SDL);
        EXPECT_EQ(MakeWindow(), nullptr) << driver;
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find(driver), std::string::npos) << err;
        PlatformSelectBackend(PLATFORM_HEADLESS);
    }
}

TEST_F(SdlBackendTest, WithoutADisplayMessagesGoToStandardErrorOnly) {
    testing::internal::CaptureStderr();
    ASSERT_EQ(PlatformSelectBackend(PLATFORM_SDL), 0);
    testing::internal::GetCapturedStderr();
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxA(nullptr, "Unexpected Windows error (hwnd was NULL).", "Error!", MB_OK), IDOK);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error!: Unexpected Windows error (hwnd was NULL).\n");
    EXPECT_EQ(HeadlessBoxCount(), 0);
}

TEST_F(SdlBackendTest, RefusedUnlessTheVariableIsExactlyOne) {
    Set("KESTRA_ALLOW_OFFSCREEN", "yes");
    testing::internal::CaptureStderr();
    EXPECT_EQ(PlatformSelectBackend(PLATFORM_SDL), 0);
    testing::internal::GetCapturedStderr();
}

TEST_F(SdlBackendTest, AllowedOffscreenWindowOpensAndActivatesWhenShown) {
    Set("KESTRA_ALLOW_OFFSCREEN", "1");
    ASSERT_EQ(PlatformSelectBackend(PLATFORM_SDL), 1);
    EXPECT_GT(GetSystemMetrics(SM_CXSCREEN), 0);
    EXPECT_GT(GetSystemMetrics(SM_CYSCREEN), 0);
    HWND hwnd = MakeWindow();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(MakeWindow(), nullptr);  // one window only
    ShowWindow(hwnd, SW_SHOWNORMAL);
    ASSERT_GE(sent.size(), 2u);
    EXPECT_EQ(sent[0].message, (UINT)WM_ACTIVATEAPP);
    EXPECT_EQ(sent[0].wParam, (WPARAM)1);
    EXPECT_EQ(sent[1].message, (UINT)WM_SETCURSOR);
    EXPECT_EQ(HeadlessCursorVisible(), 0);  // the procedure hid the pointer
    Uint32 before = SDL_GetTicks();
    DWORD now = timeGetTime();
    EXPECT_GE(now, before);
    EXPECT_LE(now, SDL_GetTicks());
}

TEST_F(SdlBackendTest, EventsBecomeWindowMessages) {
    StartAllowed();
    Drain();  // whatever the driver said about the new window
    Push(Key(SDL_KEYDOWN, SDLK_a));
    Push(Key(SDL_KEYUP, SDLK_ESCAPE));
    Push(Key(SDL_KEYDOWN, SDLK_RETURN));
    Push(Key(SDL_KEYDOWN, SDLK_SPACE));
    Push(Key(SDL_KEYDOWN, SDLK_7));
    Push(Key(SDL_KEYDOWN, SDLK_w));
    SDL_Event motion = {};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.x = 100;
    motion.motion.y = 200;
    Push(motion);
    motion.motion.x = 300;
    motion.motion.y = 400;
    Push(motion);
    SDL_Event button = {};
    button.type = SDL_MOUSEBUTTONDOWN;
    button.button.button = SDL_BUTTON_LEFT;
    button.button.x = 300;
    button.button.y = 400;
    Push(button);
    button.type = SDL_MOUSEBUTTONUP;
    button.button.button = SDL_BUTTON_RIGHT;
    Push(button);
    SDL_Event focus = {};
    focus.type = SDL_WINDOWEVENT;
    focus.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    Push(focus);
    focus.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
    Push(focus);
    SDL_Event quit = {};
    quit.type = SDL_QUIT;
    Push(quit);

    std::vector<MSG> got = Drain();
    struct Expected {
        UINT message;
        WPARAM wParam;
    } expected[] = {
        {WM_KEYDOWN, 'A'}, {WM_KEYUP, VK_ESCAPE}, {WM_KEYDOWN, VK_RETURN}, {WM_KEYDOWN, VK_SPACE},
        {WM_KEYDOWN, '7'}, {WM_KEYDOWN, 'W'},     {WM_MOUSEMOVE, 0},       {WM_LBUTTONDOWN, 0},
        {WM_RBUTTONUP, 0}, {WM_ACTIVATEAPP, 0},   {WM_ACTIVATEAPP, 1},     {WM_CLOSE, 0},
    };
    ASSERT_EQ(got.size(), sizeof expected / sizeof expected[0]);
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].message, expected[i].message) << i;
        if (expected[i].message != WM_MOUSEMOVE && expected[i].message < WM_LBUTTONDOWN) {
            EXPECT_EQ(got[i].wParam, expected[i].wParam) << i;
        }
    }
    EXPECT_EQ(got[6].lParam, (LPARAM)((400 << 16) | 300));  // the two moves became one, at the latest place
    EXPECT_EQ(got[7].lParam, (LPARAM)((400 << 16) | 300));
    POINT at = {};
    GetCursorPos(&at);
    EXPECT_EQ(at.x, 300);
    EXPECT_EQ(at.y, 400);

    // Closing destroys the window and ends the loop.
    DispatchMessageA(&got.back());
    MSG msg = {};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, (UINT)WM_QUIT);
}

TEST_F(SdlBackendTest, MouseEventMovesTheRealPointer) {
    StartAllowed();
    Drain();
    mouse_event(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, 32256, 33575, 0, 0);
    POINT at = {};
    GetCursorPos(&at);
    EXPECT_EQ(at.x, 504);
    EXPECT_EQ(at.y, 393);
    // The pointer's own motion comes back as the move message.
    std::vector<MSG> got = Drain();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].message, (UINT)WM_MOUSEMOVE);
    LONG x = (LONG)(got[0].lParam & 0xFFFF), y = (LONG)(got[0].lParam >> 16);
    EXPECT_NEAR(x, 504, 1);
    EXPECT_NEAR(y, 393, 1);
}

TEST_F(SdlBackendTest, MessageBoxWithoutADisplayDoesNotBlock) {
    StartAllowed();
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxA(nullptr, "text", "Report", MB_OK), IDOK);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.rfind("Report: text\n", 0), 0u) << err;
    EXPECT_EQ(HeadlessBoxCount(), 0);  // a real box, not a recorded one
}

TEST_F(SdlBackendTest, FlipPresentsThroughTheRenderer) {
    StartAllowed();
    IDirectDraw* first = nullptr;
    IDirectDraw4* dd = nullptr;
    ASSERT_EQ(DirectDrawCreate(nullptr, &first, nullptr), DD_OK);
    ASSERT_EQ(first->QueryInterface(IID_IDirectDraw4, reinterpret_cast<LPVOID*>(&dd)), DD_OK);
    ASSERT_EQ(dd->SetDisplayMode(1024, 768, 16, 0, 0), DD_OK);
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    desc.dwBackBufferCount = 1;
    IDirectDrawSurface4* primary = nullptr;
    ASSERT_EQ(dd->CreateSurface(&desc, &primary, nullptr), DD_OK);
    primary->attached->pixels[0] = 0x07E0;
    EXPECT_EQ(primary->Flip(nullptr, 0), DD_OK);
    EXPECT_EQ(primary->Flip(nullptr, 0), DD_OK);
    EXPECT_EQ(HeadlessFramesPresented(), 2);
    primary->Release();
    dd->Release();
    first->Release();
}

}  // namespace
