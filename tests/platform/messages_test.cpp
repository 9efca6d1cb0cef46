#include <SDL.h>

#include <tuple>

#include "tests/support/harness.h"

typedef std::vector<std::tuple<UINT, WPARAM, LPARAM>> Msgs;
static Msgs received;  // what reached the window procedure

static LRESULT Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    received.emplace_back(message, wParam, lParam);
    if (message == WM_DESTROY) PostQuitMessage(0);
    if (message == WM_SETCURSOR) SetCursor(nullptr);
    return message == WM_CLOSE ? DefWindowProcA(hwnd, message, wParam, lParam) : 0;
}
static HWND MakeWindow() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc, wc.lpszClassName = "Test";
    RegisterClassA(&wc), received.clear();
    return CreateWindowExA(0, "Test", "", WS_POPUP, 0, 0, 1024, 768, nullptr, nullptr, nullptr, nullptr);
}
static Msgs Drain() {  // every waiting message (the SDL backend pumps its events first)
    Msgs all;
    for (MSG m; PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE);) all.emplace_back(m.message, m.wParam, m.lParam);
    return all;
}
static LPARAM At(int x, int y) { return LPARAM(y << 16 | x); }

class MessagesTest : public PlatformTest {};

// A move folds only into a move waiting last, never into one before a click; a quit waits for the rest.
// mouse_event spans the picture with 0 to 65535 or moves up to its edges; buttons go where the pointer is.
TEST_F(MessagesTest, InputKeepsItsOrderAQuitComesLastAFilterTakesItsRange) {
    const DWORD to = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, down = MOUSEEVENTF_LEFTDOWN, up = MOUSEEVENTF_LEFTUP;
    const LPARAM at100 = At(100, 500), at900 = At(900, 500), at504 = At(504, 393);
    // clang-format off
    const DWORD input[][3] = {{to, 6400, 42667}, {down, 0, 0}, {to, 57600, 42667}, {up, 0, 0},
        {to | down | up, 32256, 33575}, {MOUSEEVENTF_MOVE, DWORD(-5000), 5000}, {to, 57600, 42667}};
    PostQuitMessage(3);
    for (auto [flags, x, y] : input) mouse_event(flags, x, y, 0, 0);
    EXPECT_EQ(Drain(), (Msgs{{WM_MOUSEMOVE, 0, at100}, {WM_LBUTTONDOWN, 0, at100}, {WM_MOUSEMOVE, 0, at900},
        {WM_LBUTTONUP, 0, at900}, {WM_MOUSEMOVE, 0, at504}, {WM_LBUTTONDOWN, 0, at504}, {WM_LBUTTONUP, 0, at504},
        {WM_MOUSEMOVE, 0, at900}, {WM_QUIT, 3, 0}}));
    // clang-format on
    mouse_event(down | up, 0, 0, 0, 0), PostQuitMessage(7);
    MSG msg = {};  // then the left-down that PM_NOREMOVE left, the quit (0) and -1 with nothing to come
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_LBUTTONUP, WM_LBUTTONUP, PM_REMOVE) && msg.message == WM_LBUTTONUP);
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE) && msg.message == WM_LBUTTONDOWN);
    for (auto [result, message, code] :
         {std::tuple(1, WM_LBUTTONDOWN, 0), std::tuple(0, WM_QUIT, 7), std::tuple(-1, 0, 0)})
        EXPECT_TRUE(GetMessageA(&msg, nullptr, 0, 0) == result && int(msg.message) == message &&
                    int(msg.wParam) == code);
}

// Shown twice, the window activates once; DefWindowProcA destroys it. A reset puts everything back.
TEST_F(MessagesTest, WindowLifeAndReset) {
    EXPECT_EQ(std::make_pair(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)), std::make_pair(1024, 768));
    HWND hwnd = MakeWindow();
    ShowWindow(hwnd, SW_SHOWNORMAL), ShowWindow(hwnd, SW_SHOWNORMAL), HeadlessPost(WM_CLOSE, 0, 0);
    MSG msg = {};
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) && DispatchMessageA(&msg) == 0 && !DestroyWindow(hwnd));
    EXPECT_EQ(received, (Msgs{{WM_ACTIVATEAPP, 1, 0},
                              {WM_SETCURSOR, WPARAM(hwnd), 1 | WM_MOUSEMOVE << 16},
                              {WM_CLOSE, 0, 0},
                              {WM_DESTROY, 0, 0}}));
    MessageBoxA(nullptr, "text", "caption", MB_OK), HeadlessAdvance(500), HeadlessGetFaults()->lock = FailNext(-1);
    auto state = [] {  // pointer shown, boxes, messages waiting, clock, a fault
        return std::vector<long>{HeadlessCursorVisible(), HeadlessBoxCount(), HeadlessQueueLength(),
                                 long(timeGetTime()), HeadlessGetFaults()->lock.fail};
    };
    EXPECT_EQ(state(), std::vector<long>({0, 1, 1, 500, -1}));  // the procedure hid the pointer; WM_QUIT waits
    EXPECT_TRUE(HeadlessBoxText(0) == std::string("text") && !HeadlessBoxCaption(1) && !HeadlessBoxCaption(-1));
    WNDCLASSA noProc = {}, noName = {};
    noProc.lpszClassName = "Other", noName.lpfnWndProc = Proc;
    EXPECT_EQ(RegisterClassA(nullptr) | RegisterClassA(&noProc) | RegisterClassA(&noName), 0);
    HeadlessReset();
    EXPECT_EQ(state(), std::vector<long>({1, 0, 0, 0, 0}));
    EXPECT_EQ(CreateWindowExA(0, "Test", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
}

// Drivers that show nothing are refused, saying which, unless allowed with "1". Off-screen draws in
// software (its GL driver leaks when unloaded). Destroying the window takes it off the screen.
TEST_F(MessagesTest, SdlDriversThatShowNothingNeedAllowingAndEventsBecomeMessages) {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "KESTRA_ALLOW_OFFSCREEN"}) unsetenv(name);
    setenv("SDL_RENDER_DRIVER", "software", 1), setenv("SDL_FRAMEBUFFER_ACCELERATION", "0", 1);
    for (const char* change : {"offscreen", "dummy", "yes"}) {
        setenv(change[0] == 'y' ? "KESTRA_ALLOW_OFFSCREEN" : "SDL_VIDEODRIVER", change, 1);
        testing::internal::CaptureStderr();
        EXPECT_EQ(PlatformSelectBackend(PLATFORM_SDL), 0);
        EXPECT_EQ(MakeWindow(), nullptr);
        EXPECT_NE(testing::internal::GetCapturedStderr().find(change[0] == 'y' ? "dummy" : change), std::string::npos);
        PlatformSelectBackend(PLATFORM_HEADLESS);
    }
    setenv("KESTRA_ALLOW_OFFSCREEN", "1", 1), setenv("SDL_VIDEODRIVER", "offscreen", 1);
    ASSERT_EQ(PlatformSelectBackend(PLATFORM_SDL), 1);
    HWND hwnd = MakeWindow();
    ShowWindow(hwnd, SW_SHOWNORMAL);
    Drain();  // whatever the driver said about the new window
    SDL_Event e[] = {{SDL_KEYDOWN},       {SDL_KEYDOWN},     {SDL_KEYUP},       {SDL_MOUSEMOTION},
                     {SDL_MOUSEBUTTONUP}, {SDL_WINDOWEVENT}, {SDL_WINDOWEVENT}, {SDL_QUIT}};
    e[0].key.keysym.sym = SDLK_a, e[1].key.keysym.sym = SDLK_F1, e[2].key.keysym.sym = SDLK_F12;
    e[3].motion.x = 300, e[3].motion.y = 400, e[5].window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    e[6].window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
    e[4].button.button = SDL_BUTTON_RIGHT, e[4].button.x = 9, e[4].button.y = 8;
    for (SDL_Event& event : e) ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
    // clang-format off
    EXPECT_EQ(Drain(), (Msgs{{WM_KEYDOWN, 'A', 1}, {WM_KEYDOWN, 0x70, 1}, {WM_KEYUP, 0x7B, 1}, {WM_MOUSEMOVE, 0,
        At(300, 400)}, {WM_RBUTTONUP, 0, At(9, 8)}, {WM_ACTIVATEAPP, 0, 0}, {WM_ACTIVATEAPP, 1, 0}, {WM_CLOSE, 0, 0}}));
    // clang-format on
    auto windows = [] {  // SDL numbers its windows from 1
        int n = 0;
        for (Uint32 id = 1; id < 1000; id++) n += SDL_GetWindowFromID(id) != nullptr;
        return n;
    };
    EXPECT_EQ(windows(), 1);
    DestroyWindow(hwnd);  // and the window is gone from the screen
    EXPECT_EQ(windows(), 0);
    PlatformSelectBackend(PLATFORM_HEADLESS);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
}
