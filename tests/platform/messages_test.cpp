// The message queue, the window and its procedure, the pointer, the clock and
// the message boxes of the headless backend.
#include <string>
#include <vector>

#include "tests/support/harness.h"

namespace {

std::vector<MSG> received;  // what reached the window procedure

LRESULT RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    received.push_back(MSG{hwnd, message, wParam, lParam, 0, {0, 0}});
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

MSG Take() {
    MSG msg = {};
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    return msg;
}

LPARAM At(int x, int y) { return (LPARAM)((y << 16) | x); }

int idleCalls;
int postOnCall;
void IdleHook(void*) {
    if (++idleCalls == postOnCall) HeadlessPost(WM_KEYDOWN, 'I', 0);
}

class MessagesTest : public PlatformTest {
  protected:
    void SetUp() override {
        PlatformTest::SetUp();
        received.clear();
        idleCalls = 0;
    }
};

TEST_F(MessagesTest, PostingOrderNoRemoveFilterAndQuit) {
    HeadlessPost(WM_KEYDOWN, 'A', 0);
    HeadlessPost(WM_LBUTTONDOWN, 0, 0);
    PostQuitMessage(7);
    MSG msg = {};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, (UINT)WM_KEYDOWN);
    EXPECT_EQ(HeadlessQueueLength(), 3);
    // A filter takes the first message in its range, out of order.
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_MOUSEMOVE, WM_RBUTTONUP, PM_REMOVE));
    EXPECT_EQ(msg.message, (UINT)WM_LBUTTONDOWN);
    ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
    EXPECT_EQ(msg.wParam, (WPARAM)'A');
    EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 0);
    EXPECT_EQ(msg.message, (UINT)WM_QUIT);
    EXPECT_EQ(msg.wParam, (WPARAM)7);
    // Nothing waits and nothing can arrive: GetMessageA fails.
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), -1);
}

TEST_F(MessagesTest, AtMostOneMouseMoveWaitsAndItCarriesTheLatestPosition) {
    HeadlessPost(WM_MOUSEMOVE, 0, At(1, 2));
    HeadlessPost(WM_KEYDOWN, 'B', 0);
    HeadlessPost(WM_MOUSEMOVE, 0, At(1000, 600));
    ASSERT_EQ(HeadlessQueueLength(), 2);
    EXPECT_EQ(Take().lParam, At(1000, 600));  // in the first move's place
    EXPECT_EQ(Take().message, (UINT)WM_KEYDOWN);
    HeadlessPost(WM_MOUSEMOVE, 0, At(6, 5));  // the waiting move was fetched: this one queues
    EXPECT_EQ(HeadlessQueueLength(), 1);
    EXPECT_EQ(HeadlessCursor().x, 6);
    EXPECT_EQ(HeadlessCursor().y, 5);
}

TEST_F(MessagesTest, DispatchReachesTheProcedureAndCloseDestroysTheWindow) {
    EXPECT_EQ(CreateWindowExA(0, "Nope", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
    HeadlessGetFaults()->createWindow = 1;
    EXPECT_EQ(MakeWindow(), nullptr);
    HWND hwnd = MakeWindow();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(MakeWindow(), nullptr);  // one window only

    HeadlessPost(WM_KEYUP, 'Q', 123);
    MSG msg = Take();
    EXPECT_EQ(msg.hwnd, hwnd);
    EXPECT_EQ(DispatchMessageA(&msg), 77);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].hwnd, hwnd);
    EXPECT_EQ(received[0].message, (UINT)WM_KEYUP);
    EXPECT_EQ(received[0].wParam, (WPARAM)'Q');
    EXPECT_EQ(received[0].lParam, 123);

    PostMessageA(hwnd, WM_CLOSE, 0, 0);
    msg = Take();
    DispatchMessageA(&msg);
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[1].message, (UINT)WM_CLOSE);
    EXPECT_EQ(received[2].message, (UINT)WM_DESTROY);  // inside DefWindowProcA, before it returned
    EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 0);
    // The window is gone: no second destroy, nothing dispatched to it.
    EXPECT_FALSE(DestroyWindow(hwnd));
    HeadlessPost(WM_KEYDOWN, 'A', 0);
    msg = Take();
    EXPECT_EQ(DispatchMessageA(&msg), 0);
    EXPECT_EQ(received.size(), 3u);
}

TEST_F(MessagesTest, FirstShowActivatesOnceAndSetCursorNullHidesThePointer) {
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
    HWND hwnd = MakeWindow();
    ShowWindow(hwnd, SW_SHOWNORMAL);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    int activations = 0;
    for (const MSG& r : received) {
        if (r.message != WM_ACTIVATEAPP) continue;
        ++activations;
        EXPECT_EQ(r.wParam, (WPARAM)1);
    }
    EXPECT_EQ(activations, 1);

    EXPECT_EQ(HeadlessCursorVisible(), 1);
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    SetCursor(arrow);
    EXPECT_EQ(SetCursor(nullptr), arrow);
    EXPECT_EQ(HeadlessCursorVisible(), 0);
    SetCursor(arrow);
    EXPECT_EQ(HeadlessCursorVisible(), 1);
}

TEST_F(MessagesTest, MouseEventMovesThePointerWithinThePictureAndPostsTheMove) {
    mouse_event(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, 32256, 33575, 0, 0);  // 0..65535 across the picture
    POINT at = {};
    ASSERT_TRUE(GetCursorPos(&at));
    EXPECT_EQ(at.x, 504);
    EXPECT_EQ(at.y, 393);
    MSG msg = Take();
    EXPECT_EQ(msg.message, (UINT)WM_MOUSEMOVE);
    EXPECT_EQ(msg.lParam, At(504, 393));
    mouse_event(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, 65535, 65535, 0, 0);
    EXPECT_EQ(Take().lParam, At(1023, 767));

    mouse_event(MOUSEEVENTF_MOVE, (DWORD)-10, (DWORD)-5, 0, 0);
    EXPECT_EQ(Take().lParam, At(1013, 762));
    mouse_event(MOUSEEVENTF_MOVE, (DWORD)-5000, 5000, 0, 0);
    EXPECT_EQ(Take().lParam, At(0, 767));
    // Against the edge nothing moves, and no move comes back.
    mouse_event(MOUSEEVENTF_MOVE, (DWORD)-1, 1, 0, 0);
    EXPECT_EQ(HeadlessQueueLength(), 0);

    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    EXPECT_EQ(Take().message, (UINT)WM_LBUTTONDOWN);
    EXPECT_EQ(Take().message, (UINT)WM_LBUTTONUP);
}

TEST_F(MessagesTest, VirtualClockMovesOnlyWhenToldAndWraps) {
    EXPECT_EQ(timeGetTime(), 0u);
    HeadlessSetTime(1000);
    HeadlessAdvance(16);
    EXPECT_EQ(timeGetTime(), 1016u);
    HeadlessPost(WM_KEYDOWN, 'A', 0);
    EXPECT_EQ(Take().time, 1016u);
    HeadlessSetTime(0xFFFFFFF0u);
    HeadlessAdvance(0x20);
    EXPECT_EQ(timeGetTime(), 0x10u);  // as the 32-bit system clock does
}

TEST_F(MessagesTest, MessageBoxesAreAnsweredRecordedAndPrinted) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxA(nullptr, "first text", "Error!", MB_OK), IDOK);
    EXPECT_EQ(MessageBoxA(nullptr, "second", "Report", MB_OK), IDOK);
    OutputDebugStringA("no newline");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error!: first text\nReport: second\nno newline\n");
    ASSERT_EQ(HeadlessBoxCount(), 2);
    EXPECT_STREQ(HeadlessBoxCaption(0), "Error!");
    EXPECT_STREQ(HeadlessBoxText(0), "first text");
    EXPECT_STREQ(HeadlessBoxCaption(1), "Report");
    EXPECT_STREQ(HeadlessBoxText(1), "second");
    EXPECT_EQ(HeadlessBoxCaption(2), nullptr);
}

// The idle hook is how the headless runner moves its clock while the engine
// waits: asked once per empty peek, and until something arrives when waiting.
TEST_F(MessagesTest, EmptyQueueAsksTheIdleHook) {
    postOnCall = 2;
    EXPECT_TRUE(WaitMessage());  // without a hook: at once
    HeadlessSetIdleHook(IdleHook, nullptr);
    MSG msg = {};
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(idleCalls, 1);
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(idleCalls, 2);  // not asked while something waits

    postOnCall = 5;
    EXPECT_TRUE(WaitMessage());
    EXPECT_TRUE(WaitMessage());
    EXPECT_EQ(idleCalls, 5);
    Take();
    postOnCall = 8;
    EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
    EXPECT_EQ(idleCalls, 8);
}

// Every test of every area starts from HeadlessReset; anything it left behind
// would leak into the next test.
TEST_F(MessagesTest, ResetPutsEverythingBack) {
    ShowWindow(MakeWindow(), SW_SHOW);
    HeadlessAdvance(500);
    MessageBoxA(nullptr, "x", "y", MB_OK);
    HeadlessPost(WM_MOUSEMOVE, 0, At(8, 7));
    SetCursor(nullptr);
    HeadlessGetFaults()->lock = -1;
    HeadlessSetIdleHook(IdleHook, nullptr);
    HeadlessReset();
    EXPECT_EQ(HeadlessQueueLength(), 0);
    EXPECT_EQ(HeadlessBoxCount(), 0);
    EXPECT_EQ(HeadlessCursor().x, 0);
    EXPECT_EQ(HeadlessGetFaults()->lock, 0);
    EXPECT_EQ(timeGetTime(), 0u);
    EXPECT_EQ(HeadlessCursorVisible(), 1);
    MSG msg = {};
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(idleCalls, 0);  // the hook is gone
    // The class went too; a new window needs a new registration.
    EXPECT_EQ(CreateWindowExA(0, "Test Class", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
}

}  // namespace
