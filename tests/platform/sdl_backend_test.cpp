// The SDL backend without a display: it refuses the drivers that show
// nothing, and, when a test allows the off-screen driver, it opens its window,
// presents frames and turns SDL events into window messages.
#include <SDL.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/harness.h"

namespace {

std::vector<MSG> sent;  // what reached the window procedure

LRESULT Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    sent.push_back(MSG{hwnd, message, wParam, lParam, 0, {0, 0}});
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

// Queues an SDL event: what is the key, the button or the window event.
void Push(Uint32 type, int what = 0, int x = 0, int y = 0) {
    SDL_Event e = {};
    e.type = type;
    if (type == SDL_KEYDOWN || type == SDL_KEYUP) e.key.keysym.sym = what;
    if (type == SDL_WINDOWEVENT) e.window.event = (Uint8)what;
    if (type == SDL_MOUSEMOTION) {
        e.motion.x = x;
        e.motion.y = y;
    }
    if (type == SDL_MOUSEBUTTONDOWN || type == SDL_MOUSEBUTTONUP) {
        e.button.button = (Uint8)what;
        e.button.x = x;
        e.button.y = y;
    }
    ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
}

class SdlBackendTest : public PlatformTest {
  protected:
    // No display: neither the test nor a message box may reach a real one.
    // Software drawing only: the GL driver that SDL would otherwise load for
    // the off-screen window leaks when it is unloaded again. (Only this
    // program's SDL tests read these variables, so they are not put back.)
    void SetUp() override {
        PlatformTest::SetUp();
        sent.clear();
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("KESTRA_ALLOW_OFFSCREEN");
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        setenv("SDL_RENDER_DRIVER", "software", 1);
        setenv("SDL_FRAMEBUFFER_ACCELERATION", "0", 1);
    }
    void TearDown() override {
        PlatformSelectBackend(PLATFORM_HEADLESS);
        PlatformTest::TearDown();
    }

    HWND window = nullptr;

    void StartAllowed() {
        setenv("KESTRA_ALLOW_OFFSCREEN", "1", 1);
        ASSERT_EQ(PlatformSelectBackend(PLATFORM_SDL), 1);
        window = MakeWindow();
        ASSERT_NE(window, nullptr);
    }
};

TEST_F(SdlBackendTest, DriversThatShowNothingAreRefusedUnlessAllowedWithOne) {
    const char* cases[][2] = {{"offscreen", nullptr}, {"dummy", nullptr}, {"offscreen", "yes"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c[0]) + " " + (c[1] ? c[1] : "unset"));
        setenv("SDL_VIDEODRIVER", c[0], 1);
        if (c[1]) setenv("KESTRA_ALLOW_OFFSCREEN", c[1], 1);  // unset until then
        testing::internal::CaptureStderr();
        EXPECT_EQ(PlatformSelectBackend(PLATFORM_SDL), 0);
        EXPECT_EQ(PlatformCurrentBackend(), PLATFORM_SDL);
        EXPECT_EQ(MakeWindow(), nullptr);
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find(c[0]), std::string::npos) << err;
        PlatformSelectBackend(PLATFORM_HEADLESS);
    }
}

// Without a usable display no SDL message box is attempted: the text goes to
// standard error only. With the off-screen driver allowed a box is tried, and
// it must not block.
TEST_F(SdlBackendTest, MessageBoxesWithoutADisplayGoToStandardError) {
    testing::internal::CaptureStderr();
    ASSERT_EQ(PlatformSelectBackend(PLATFORM_SDL), 0);
    testing::internal::GetCapturedStderr();
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxA(nullptr, "Unexpected Windows error (hwnd was NULL).", "Error!", MB_OK), IDOK);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error!: Unexpected Windows error (hwnd was NULL).\n");

    StartAllowed();
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxA(nullptr, "text", "Report", MB_OK), IDOK);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.rfind("Report: text\n", 0), 0u) << err;
    EXPECT_EQ(HeadlessBoxCount(), 0);  // never the headless recording
}

TEST_F(SdlBackendTest, WindowActivatesWhenShownAndEventsBecomeMessages) {
    StartAllowed();
    EXPECT_EQ(MakeWindow(), nullptr);  // one window only
    ShowWindow(window, SW_SHOWNORMAL);
    ASSERT_GE(sent.size(), 2u);
    EXPECT_EQ(sent[0].message, (UINT)WM_ACTIVATEAPP);
    EXPECT_EQ(sent[0].wParam, (WPARAM)1);
    EXPECT_EQ(sent[1].message, (UINT)WM_SETCURSOR);
    EXPECT_EQ(HeadlessCursorVisible(), 0);  // the procedure hid the pointer

    Drain();  // whatever the driver said about the new window
    for (SDL_Keycode key : {SDLK_a, SDLK_RETURN, SDLK_SPACE, SDLK_7, SDLK_w}) Push(SDL_KEYDOWN, key);
    Push(SDL_KEYUP, SDLK_ESCAPE);
    Push(SDL_MOUSEMOTION, 0, 100, 200);
    Push(SDL_MOUSEMOTION, 0, 300, 400);
    Push(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 300, 400);
    Push(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 300, 400);
    Push(SDL_WINDOWEVENT, SDL_WINDOWEVENT_FOCUS_LOST);
    Push(SDL_WINDOWEVENT, SDL_WINDOWEVENT_FOCUS_GAINED);
    Push(SDL_QUIT);
    std::vector<MSG> got = Drain();
    typedef std::pair<UINT, WPARAM> Kind;  // key codes and activation; other wParams do not matter
    const std::vector<Kind> expected = {
        {WM_KEYDOWN, 'A'}, {WM_KEYDOWN, VK_RETURN}, {WM_KEYDOWN, VK_SPACE}, {WM_KEYDOWN, '7'},
        {WM_KEYDOWN, 'W'}, {WM_KEYUP, 27},          {WM_MOUSEMOVE, 0},      {WM_LBUTTONDOWN, 0},
        {WM_RBUTTONUP, 0}, {WM_ACTIVATEAPP, 0},     {WM_ACTIVATEAPP, 1},    {WM_CLOSE, 0},
    };
    std::vector<Kind> kinds;
    for (const MSG& m : got) kinds.emplace_back(m.message, m.message >= WM_MOUSEMOVE ? 0 : m.wParam);
    EXPECT_EQ(kinds, expected);
    ASSERT_EQ(got.size(), expected.size());
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
    EXPECT_NEAR((LONG)(got[0].lParam & 0xFFFF), 504, 1);
    EXPECT_NEAR((LONG)(got[0].lParam >> 16), 393, 1);
}

TEST_F(SdlBackendTest, FlipPresentsThroughTheRenderer) {
    StartAllowed();
    IDirectDraw* first = nullptr;
    IDirectDraw4* dd = nullptr;
    IDirectDrawSurface4* primary = nullptr;
    ASSERT_EQ(DirectDrawCreate(nullptr, &first, nullptr), DD_OK);
    ASSERT_EQ(first->QueryInterface(IID_IDirectDraw4, reinterpret_cast<LPVOID*>(&dd)), DD_OK);
    ASSERT_EQ(dd->SetDisplayMode(1024, 768, 16, 0, 0), DD_OK);
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    desc.dwBackBufferCount = 1;
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
