// The message queue, the window and its procedure, the pointer, the clock and
// the message boxes of the headless backend.
#include <string>
#include <vector>

#include "tests/platform/platform_fixture.h"

namespace {

struct Received {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Received> received;

LRESULT RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    received.push_back(Received{hwnd, message, wParam, lParam});
    if (message == WM_DESTROY) PostQuitMessage(0);
    if (message == WM_CLOSE) return DefWindowProcA(hwnd, message, wParam, lParam);
    return 77;
}

HWND MakeWindow() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = RecordingProc;
    wc.lpszClassName = "Test Class";
    RegisterClassA(&wc);
    return CreateWindowExA(0, "Test Class", "Test", WS_POPUP, 0, 0, 1024, 768, nullptr, nullptr, nullptr, nullptr);
}

class MessagesTest : public PlatformTest {
  protected:
    void SetUp() override {
        PlatformTest::SetUp();
        received.clear();
    }
};

TEST_F(MessagesTest, MessagesComeOutInPostingOrderAndNoRemoveLeavesThem) {
    HeadlessPost(WM_KEYDOWN, 'A', 0);
    HeadlessPost(WM_LBUTTONDOWN, 0, 0);
    HeadlessPost(WM_KEYUP, 'A', 0);
    MSG msg = {};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, (UINT)WM_KEYDOWN);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, (UINT)WM_KEYDOWN);
    EXPECT_EQ(HeadlessQueueLength(), 3);

    ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
    EXPECT_EQ(msg.message, (UINT)WM_KEYDOWN);
    EXPECT_EQ(msg.wParam, (WPARAM)'A');
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, (UINT)WM_LBUTTONDOWN);
    ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
    EXPECT_EQ(msg.message, (UINT)WM_KEYUP);
    EXPECT_EQ(HeadlessQueueLength(), 0);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
}

TEST_F(MessagesTest, FilterRangePicksTheFirstMatchingMessage) {
    HeadlessPost(WM_KEYDOWN, 'A', 0);
    HeadlessPost(WM_LBUTTONDOWN, 0, 0);
    MSG msg = {};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_MOUSEMOVE, WM_RBUTTONUP, PM_REMOVE));
    EXPECT_EQ(msg.message, (UINT)WM_LBUTTONDOWN);
    EXPECT_EQ(HeadlessQueueLength(), 1);
}

TEST_F(MessagesTest, AtMostOneMouseMoveWaitsAndItCarriesTheLatestPosition) {
    HeadlessPost(WM_MOUSEMOVE, 0, (2 << 16) | 1);
    HeadlessPost(WM_KEYDOWN, 'B', 0);
    HeadlessPost(WM_MOUSEMOVE, 0, (4 << 16) | 3);
    HeadlessPost(WM_MOUSEMOVE, 0, (600 << 16) | 1000);
    ASSERT_EQ(HeadlessQueueLength(), 2);
    MSG msg = {};
    ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
    EXPECT_EQ(msg.message, (UINT)WM_MOUSEMOVE);  // keeps its place in the queue
    EXPECT_EQ(msg.lParam, (LPARAM)((600 << 16) | 1000));
    ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
    EXPECT_EQ(msg.message, (UINT)WM_KEYDOWN);

    // Once the waiting move is fetched, the next one queues again.
    HeadlessPost(WM_MOUSEMOVE, 0, (5 << 16) | 6);
    EXPECT_EQ(HeadlessQueueLength(), 1);
    EXPECT_EQ(HeadlessCursor().x, 6);
    EXPECT_EQ(HeadlessCursor().y, 5);
}

TEST_F(MessagesTest, QuitMessageEndsGetMessageAndCarriesTheExitCode) {
    HeadlessPost(WM_KEYDOWN, 'C', 0);
    PostQuitMessage(7);
    MSG msg = {};
    EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, (UINT)WM_QUIT);
    EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 0);
    EXPECT_EQ(msg.message, (UINT)WM_QUIT);
    EXPECT_EQ(msg.wParam, (WPARAM)7);
}

TEST_F(MessagesTest, GetMessageOnAnEmptyQueueWithNothingToWaitForFails) {
    MSG msg = {};
    EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), -1);
}

TEST_F(MessagesTest, DispatchCallsTheWindowProcedureWithTheMessage) {
    HWND hwnd = MakeWindow();
    ASSERT_NE(hwnd, nullptr);
    HeadlessPost(WM_KEYUP, 'Q', 123);
    MSG msg = {};
    ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
    EXPECT_EQ(msg.hwnd, hwnd);
    EXPECT_EQ(DispatchMessageA(&msg), 77);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].hwnd, hwnd);
    EXPECT_EQ(received[0].message, (UINT)WM_KEYUP);
    EXPECT_EQ(received[0].wParam, (WPARAM)'Q');
    EXPECT_EQ(received[0].lParam, 123);
}

TEST_F(MessagesTest, CloseLeadsToDestroySentAtOnceAndThenToQuit) {
    HWND hwnd = MakeWindow();
    ASSERT_NE(hwnd, nullptr);
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
    MSG msg = {};
    ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
    DispatchMessageA(&msg);
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].message, (UINT)WM_CLOSE);
    EXPECT_EQ(received[1].message, (UINT)WM_DESTROY);  // inside DefWindowProcA, before it returned
    EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 0);
    EXPECT_EQ(msg.wParam, (WPARAM)0);

    // The window is gone: no second destroy, nothing dispatched to it.
    EXPECT_FALSE(DestroyWindow(hwnd));
    HeadlessPost(WM_KEYDOWN, 'A', 0);
    ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
    EXPECT_EQ(DispatchMessageA(&msg), 0);
    EXPECT_EQ(received.size(), 2u);
}

TEST_F(MessagesTest, OtherMessagesGetZeroFromTheDefaultProcedure) {
    HWND hwnd = MakeWindow();
    EXPECT_EQ(DefWindowProcA(hwnd, WM_ACTIVATEAPP, 1, 0), 0);
    EXPECT_EQ(DefWindowProcA(hwnd, WM_KEYDOWN, 'A', 0), 0);
    EXPECT_TRUE(received.empty());
}

TEST_F(MessagesTest, OneWindowOfARegisteredClass) {
    EXPECT_EQ(CreateWindowExA(0, "Nope", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
    HWND hwnd = MakeWindow();
    EXPECT_NE(hwnd, nullptr);
    EXPECT_EQ(CreateWindowExA(0, "Test Class", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_TRUE(UpdateWindow(hwnd));
    EXPECT_EQ(SetFocus(hwnd), nullptr);
    EXPECT_EQ(SetFocus(hwnd), hwnd);
}

TEST_F(MessagesTest, CreateWindowFaultFiresAsManyTimesAsAsked) {
    HeadlessGetFaults()->createWindow = 1;
    EXPECT_EQ(MakeWindow(), nullptr);
    EXPECT_NE(MakeWindow(), nullptr);
    HeadlessReset();
    HeadlessGetFaults()->createWindow = -1;
    EXPECT_EQ(MakeWindow(), nullptr);
    EXPECT_EQ(MakeWindow(), nullptr);
}

TEST_F(MessagesTest, FirstShowActivatesTheApplicationOnce) {
    HWND hwnd = MakeWindow();
    ShowWindow(hwnd, SW_SHOWNORMAL);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    int activations = 0;
    for (const Received& r : received) {
        if (r.message == WM_ACTIVATEAPP) {
            ++activations;
            EXPECT_EQ(r.wParam, (WPARAM)1);
        }
    }
    EXPECT_EQ(activations, 1);
}

TEST_F(MessagesTest, SetCursorNullHidesThePointer) {
    EXPECT_EQ(HeadlessCursorVisible(), 1);
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    EXPECT_NE(arrow, nullptr);
    EXPECT_NE(LoadIconA(nullptr, IDI_APPLICATION), nullptr);
    EXPECT_NE(GetStockObject(BLACK_BRUSH), nullptr);
    SetCursor(arrow);
    EXPECT_EQ(SetCursor(nullptr), arrow);
    EXPECT_EQ(HeadlessCursorVisible(), 0);
    SetCursor(arrow);
    EXPECT_EQ(HeadlessCursorVisible(), 1);
}

TEST_F(MessagesTest, ScreenIsThePictureSize) {
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
}

TEST_F(MessagesTest, AbsoluteMouseEventPlacesThePointerAndPostsTheMove) {
    mouse_event(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, 32256, 33575, 0, 0);
    POINT at = {};
    ASSERT_TRUE(GetCursorPos(&at));
    EXPECT_EQ(at.x, 504);
    EXPECT_EQ(at.y, 393);
    MSG msg = {};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, (UINT)WM_MOUSEMOVE);
    EXPECT_EQ(msg.lParam, (LPARAM)((393 << 16) | 504));

    mouse_event(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, 65535, 65535, 0, 0);
    EXPECT_EQ(HeadlessCursor().x, 1023);
    EXPECT_EQ(HeadlessCursor().y, 767);
    mouse_event(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, 0, 0, 0, 0);
    EXPECT_EQ(HeadlessCursor().x, 0);
    EXPECT_EQ(HeadlessCursor().y, 0);
}

TEST_F(MessagesTest, RelativeMouseEventMovesBySignedAmountsWithinThePicture) {
    HeadlessPost(WM_MOUSEMOVE, 0, (400 << 16) | 500);
    MSG msg = {};
    PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
    mouse_event(MOUSEEVENTF_MOVE, (DWORD)-10, 5, 0, 0);
    EXPECT_EQ(HeadlessCursor().x, 490);
    EXPECT_EQ(HeadlessCursor().y, 405);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, (UINT)WM_MOUSEMOVE);
    EXPECT_EQ(msg.lParam, (LPARAM)((405 << 16) | 490));

    mouse_event(MOUSEEVENTF_MOVE, (DWORD)-5000, 5000, 0, 0);
    EXPECT_EQ(HeadlessCursor().x, 0);
    EXPECT_EQ(HeadlessCursor().y, 767);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.lParam, (LPARAM)(767 << 16));

    // Against the edge nothing moves, and no move comes back.
    mouse_event(MOUSEEVENTF_MOVE, (DWORD)-1, 1, 0, 0);
    EXPECT_EQ(HeadlessQueueLength(), 0);
}

TEST_F(MessagesTest, MouseEventButtonsPostButtonMessages) {
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    MSG msg = {};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, (UINT)WM_LBUTTONDOWN);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, (UINT)WM_LBUTTONUP);
}

TEST_F(MessagesTest, VirtualClockMovesOnlyWhenTold) {
    EXPECT_EQ(timeGetTime(), 0u);
    HeadlessSetTime(1000);
    HeadlessAdvance(16);
    EXPECT_EQ(timeGetTime(), 1016u);
    EXPECT_EQ(timeGetTime(), 1016u);
    HeadlessPost(WM_KEYDOWN, 'A', 0);
    MSG msg = {};
    PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
    EXPECT_EQ(msg.time, 1016u);
    HeadlessSetTime(0xFFFFFFF0u);
    HeadlessAdvance(0x20);
    EXPECT_EQ(timeGetTime(), 0x10u);  // wraps as the 32-bit system clock does
}

TEST_F(MessagesTest, MessageBoxesAreAnsweredAndRecordedInOrder) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxA(nullptr, "first text", "Error!", MB_OK), IDOK);
    EXPECT_EQ(MessageBoxA(nullptr, "second", "Report", MB_OK), IDOK);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "Error!: first text\nReport: second\n");
    ASSERT_EQ(HeadlessBoxCount(), 2);
    EXPECT_STREQ(HeadlessBoxCaption(0), "Error!");
    EXPECT_STREQ(HeadlessBoxText(0), "first text");
    EXPECT_STREQ(HeadlessBoxCaption(1), "Report");
    EXPECT_STREQ(HeadlessBoxText(1), "second");
    EXPECT_EQ(HeadlessBoxCaption(2), nullptr);
    EXPECT_EQ(HeadlessBoxText(-1), nullptr);
}

TEST_F(MessagesTest, DebuggerOutputGoesToStandardError) {
    testing::internal::CaptureStderr();
    OutputDebugStringA("image store: 3 images\n");
    OutputDebugStringA("no newline");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "image store: 3 images\nno newline\n");
}

int idleCalls;
int postOnCall;
void IdleHook(void* user) {
    ++idleCalls;
    *static_cast<int*>(user) += 1;
    if (idleCalls == postOnCall) HeadlessPost(WM_KEYDOWN, 'I', 0);
}

TEST_F(MessagesTest, PeekOnAnEmptyQueueAsksTheIdleHookOnce) {
    int user = 0;
    idleCalls = 0;
    postOnCall = 2;
    HeadlessSetIdleHook(IdleHook, &user);
    MSG msg = {};
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(idleCalls, 1);
    EXPECT_EQ(user, 1);
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(idleCalls, 2);
    EXPECT_EQ(msg.message, (UINT)WM_KEYDOWN);
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(idleCalls, 2);  // not asked while something waits
}

TEST_F(MessagesTest, WaitMessageRunsTheIdleHookUntilSomethingArrives) {
    int user = 0;
    idleCalls = 0;
    postOnCall = 3;
    EXPECT_TRUE(WaitMessage());  // without a hook: at once
    HeadlessSetIdleHook(IdleHook, &user);
    EXPECT_TRUE(WaitMessage());
    EXPECT_EQ(idleCalls, 3);
    EXPECT_EQ(HeadlessQueueLength(), 1);
    EXPECT_TRUE(WaitMessage());  // a message waits: no hook call
    EXPECT_EQ(idleCalls, 3);
}

TEST_F(MessagesTest, GetMessageWaitsThroughTheIdleHook) {
    int user = 0;
    idleCalls = 0;
    postOnCall = 4;
    HeadlessSetIdleHook(IdleHook, &user);
    MSG msg = {};
    EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
    EXPECT_EQ(msg.wParam, (WPARAM)'I');
    EXPECT_EQ(idleCalls, 4);
}

TEST_F(MessagesTest, ResetPutsEverythingBack) {
    HWND hwnd = MakeWindow();
    ShowWindow(hwnd, SW_SHOW);
    HeadlessAdvance(500);
    MessageBoxA(hwnd, "x", "y", MB_OK);
    HeadlessPost(WM_MOUSEMOVE, 0, (7 << 16) | 8);
    SetCursor(nullptr);
    HeadlessGetFaults()->lock = -1;
    int user = 0;
    HeadlessSetIdleHook(IdleHook, &user);

    HeadlessReset();
    EXPECT_EQ(HeadlessQueueLength(), 0);
    EXPECT_EQ(timeGetTime(), 0u);
    EXPECT_EQ(HeadlessBoxCount(), 0);
    EXPECT_EQ(HeadlessCursor().x, 0);
    EXPECT_EQ(HeadlessCursor().y, 0);
    EXPECT_EQ(HeadlessCursorVisible(), 1);
    EXPECT_EQ(HeadlessGetFaults()->lock, 0);
    EXPECT_EQ(HeadlessFramesPresented(), 0);
    EXPECT_EQ(PlatformCurrentBackend(), PLATFORM_HEADLESS);
    idleCalls = 0;
    MSG msg = {};
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(idleCalls, 0);  // the hook is gone
    // The class went too; a new window needs a new registration.
    EXPECT_EQ(CreateWindowExA(0, "Test Class", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_NE(MakeWindow(), nullptr);
}

}  // namespace
