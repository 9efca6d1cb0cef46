// The message queue of the one thread, the single window and its procedure,
// message boxes, the cursor, the pointer and the millisecond clock.
#include <cstdio>
#include <cstring>

#include "platform/platform_state.h"

namespace {

bool InRange(UINT message, UINT filterMin, UINT filterMax) {
    if (filterMin == 0 && filterMax == 0) return true;
    return message >= filterMin && message <= filterMax;
}

// The first waiting message in the filter range, or end().
std::deque<MSG>::iterator FindMessage(UINT filterMin, UINT filterMax) {
    for (auto it = platform.queue.begin(); it != platform.queue.end(); ++it) {
        if (InRange(it->message, filterMin, filterMax)) return it;
    }
    return platform.queue.end();
}

LONG Clamp(LONG value, LONG low, LONG high) { return value < low ? low : (value > high ? high : value); }

// Moves the pointer to (x, y), clamped to the picture; the backend sends the
// WM_MOUSEMOVE back as a real system does.
void MovePointer(LONG x, LONG y) {
    x = Clamp(x, 0, kPictureWidth - 1);
    y = Clamp(y, 0, kPictureHeight - 1);
    if (x == platform.cursor.x && y == platform.cursor.y) return;  // no motion, no message
    platform.cursor.x = x;
    platform.cursor.y = y;
    platform.ops->movePointer(x, y);
}

bool NothingWaits() { return platform.queue.empty() && !platform.quitPending; }

// Copies the first waiting message of the filter range into *msg, and takes
// it from the queue when asked. A posted quit comes only when no message of
// the range waits.
bool Take(MSG* msg, UINT filterMin, UINT filterMax, bool remove) {
    auto it = FindMessage(filterMin, filterMax);
    if (it != platform.queue.end()) {
        *msg = *it;
        if (remove) platform.queue.erase(it);
        return true;
    }
    if (!platform.quitPending || !InRange(WM_QUIT, filterMin, filterMax)) return false;
    *msg = MSG{nullptr, WM_QUIT, (WPARAM)platform.quitCode, 0, timeGetTime(), platform.cursor};
    if (remove) platform.quitPending = false;
    return true;
}

char iconToken;
char arrowToken;
char stockToken;

}  // namespace

void PlatformPost(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_MOUSEMOVE && !platform.queue.empty() && platform.queue.back().message == WM_MOUSEMOVE) {
        MSG& waiting = platform.queue.back();
        waiting.wParam = wParam;
        waiting.lParam = lParam;
        waiting.time = timeGetTime();
        waiting.pt = platform.cursor;
        return;
    }
    MSG msg;
    msg.hwnd = platform.windowExists ? PlatformWindowHandle() : nullptr;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = timeGetTime();
    msg.pt = platform.cursor;
    platform.queue.push_back(msg);
}

void PlatformPostInput(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_MOUSEMOVE) {
        platform.cursor.x = (LONG)(int16_t)(lParam & 0xFFFF);
        platform.cursor.y = (LONG)(int16_t)((lParam >> 16) & 0xFFFF);
    }
    PlatformPost(message, wParam, lParam);
}

LRESULT PlatformSend(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!platform.windowExists || !platform.windowProc) return 0;
    return platform.windowProc(PlatformWindowHandle(), message, wParam, lParam);
}

extern "C" {

ATOM RegisterClassA(const WNDCLASSA* wc) {
    if (!wc || !wc->lpfnWndProc || !wc->lpszClassName) return 0;
    platform.classRegistered = true;
    platform.className = wc->lpszClassName;
    platform.windowProc = wc->lpfnWndProc;
    return 0xC000;  // class atoms start here
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
    if (FaultFires(&platform.faults.createWindow)) return nullptr;
    if (!platform.classRegistered || !className || platform.className != className) return nullptr;
    if (platform.windowExists) return nullptr;  // one window per process
    if (!platform.ops->createWindow(windowName ? windowName : "")) return nullptr;
    platform.windowExists = true;
    platform.windowShown = false;
    return PlatformWindowHandle();
}

BOOL DestroyWindow(HWND hwnd) {
    if (!platform.windowExists || hwnd != PlatformWindowHandle()) return FALSE;
    platform.ops->destroyWindow();
    PlatformSend(WM_DESTROY, 0, 0);
    platform.windowExists = false;
    platform.windowShown = false;
    if (platform.focus == hwnd) platform.focus = nullptr;
    return TRUE;
}

BOOL ShowWindow(HWND hwnd, int showCommand) {
    if (!platform.windowExists || hwnd != PlatformWindowHandle()) return FALSE;
    bool wasShown = platform.windowShown;
    if (wasShown) return TRUE;
    platform.windowShown = true;
    platform.ops->showWindow();
    // A newly shown window becomes the active application; the system may send
    // no focus event for it, so say it here, as a sent message.
    PlatformSend(WM_ACTIVATEAPP, 1, 0);
    PlatformSend(WM_SETCURSOR, (WPARAM)hwnd, 1 | (WM_MOUSEMOVE << 16));
    return FALSE;
}

BOOL UpdateWindow(HWND hwnd) { return platform.windowExists && hwnd == PlatformWindowHandle(); }

HWND SetFocus(HWND hwnd) {
    HWND previous = platform.focus;
    if (hwnd && (!platform.windowExists || hwnd != PlatformWindowHandle())) return nullptr;
    platform.focus = hwnd;
    if (hwnd) platform.ops->raiseWindow();
    return previous;
}

HCURSOR SetCursor(HCURSOR cursor) {
    HCURSOR previous = platform.currentCursor;
    platform.currentCursor = cursor;
    bool visible = cursor != nullptr;
    if (visible != platform.cursorVisible) {
        platform.cursorVisible = visible;
        platform.ops->showCursor(visible);
    }
    return previous;
}

HICON LoadIconA(HINSTANCE instance, LPCSTR name) { return reinterpret_cast<HICON>(&iconToken); }

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) { return reinterpret_cast<HCURSOR>(&arrowToken); }

HGDIOBJ GetStockObject(int object) { return reinterpret_cast<HGDIOBJ>(&stockToken); }

int GetSystemMetrics(int index) {
    int width = kPictureWidth, height = kPictureHeight;
    platform.ops->desktopSize(&width, &height);
    if (index == SM_CXSCREEN) return width;
    if (index == SM_CYSCREEN) return height;
    return 0;
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    if (!text) text = "";
    if (!caption) caption = "";
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::fflush(stderr);
    platform.ops->messageBox(caption, text);
    return IDOK;
}

BOOL PeekMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags) {
    if (!msg) return FALSE;
    platform.ops->poll();
    if (Take(msg, filterMin, filterMax, removeFlags & PM_REMOVE)) return TRUE;
    platform.ops->idle(false);
    return Take(msg, filterMin, filterMax, removeFlags & PM_REMOVE);
}

BOOL GetMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax) {
    if (!msg) return -1;
    for (;;) {
        platform.ops->poll();
        if (Take(msg, filterMin, filterMax, true)) return msg->message == WM_QUIT ? 0 : 1;
        if (!platform.ops->idle(true)) {
            // Nothing can ever arrive: report an error rather than hang.
            std::memset(msg, 0, sizeof *msg);
            return -1;
        }
    }
}

BOOL TranslateMessage(const MSG* msg) { return FALSE; }  // no character messages are made

LRESULT DispatchMessageA(const MSG* msg) {
    if (!msg || msg->message == WM_QUIT) return 0;
    if (msg->hwnd && msg->hwnd != PlatformWindowHandle()) return 0;
    return PlatformSend(msg->message, msg->wParam, msg->lParam);
}

// Returns once a message waits, or at once when nothing can ever arrive.
BOOL WaitMessage(void) {
    platform.ops->poll();
    while (NothingWaits()) {
        if (!platform.ops->idle(true)) break;
    }
    return TRUE;
}

void PostQuitMessage(int exitCode) {
    platform.quitPending = true;
    platform.quitCode = exitCode;
}

LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) DestroyWindow(hwnd);
    return 0;
}

void mouse_event(DWORD flags, DWORD dx, DWORD dy, DWORD data, DWORD_PTR extraInfo) {
    if (flags & MOUSEEVENTF_MOVE) {
        if (flags & MOUSEEVENTF_ABSOLUTE) {
            LONG ax = (LONG)(dx > 65535 ? 65535 : dx);
            LONG ay = (LONG)(dy > 65535 ? 65535 : dy);
            MovePointer(ax * kPictureWidth / 65536, ay * kPictureHeight / 65536);
        } else {
            // Relative moves carry signed values in the unsigned fields.
            MovePointer(platform.cursor.x + (int32_t)dx, platform.cursor.y + (int32_t)dy);
        }
    }
    LPARAM at = PointerParam(platform.cursor.x, platform.cursor.y);
    if (flags & MOUSEEVENTF_LEFTDOWN) PlatformPost(WM_LBUTTONDOWN, 0, at);
    if (flags & MOUSEEVENTF_LEFTUP) PlatformPost(WM_LBUTTONUP, 0, at);
}

DWORD timeGetTime(void) { return platform.ops->clock(); }

}  // extern "C"
