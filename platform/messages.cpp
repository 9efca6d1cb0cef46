// The message queue of the one thread, the single window and its procedure,
// message boxes, the cursor, the pointer and the millisecond clock.
#include <SDL.h>

#include <cstdio>
#include <cstring>

#include "platform/platform_state.h"

namespace {

bool Sdl() { return platform.backend == PLATFORM_SDL; }

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

// Moves the pointer to (x, y), clamped to the picture. Headless: the move a
// real system reports comes back as WM_MOUSEMOVE. SDL: the real pointer is
// warped and its motion event comes back later through the event pump.
void MovePointer(LONG x, LONG y) {
    x = Clamp(x, 0, kPictureWidth - 1);
    y = Clamp(y, 0, kPictureHeight - 1);
    if (x == platform.cursor.x && y == platform.cursor.y) return;  // no motion, no message
    platform.cursor.x = x;
    platform.cursor.y = y;
    if (Sdl()) {
        SdlWarpPointer(x, y);
    } else {
        PlatformPost(WM_MOUSEMOVE, 0, PointerParam(x, y));
    }
}

char iconToken;
char arrowToken;
char stockToken;

}  // namespace

void PlatformPost(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_MOUSEMOVE) {
        for (MSG& waiting : platform.queue) {
            if (waiting.message == WM_MOUSEMOVE) {
                waiting.wParam = wParam;
                waiting.lParam = lParam;
                waiting.time = timeGetTime();
                waiting.pt = platform.cursor;
                return;
            }
        }
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
    if (FaultFires(platform.faults.createWindow)) return nullptr;
    if (!platform.classRegistered || !className || platform.className != className) return nullptr;
    if (platform.windowExists) return nullptr;  // one window per process
    if (Sdl()) {
        if (!platform.sdlReady || !SdlCreateWindow(windowName ? windowName : "")) return nullptr;
    }
    platform.windowExists = true;
    platform.windowShown = false;
    return PlatformWindowHandle();
}

BOOL DestroyWindow(HWND hwnd) {
    if (!platform.windowExists || hwnd != PlatformWindowHandle()) return FALSE;
    if (Sdl()) SdlDestroyWindow();
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
    if (Sdl()) SdlShowWindow();
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
    if (hwnd && Sdl()) SdlRaiseWindow();
    return previous;
}

HCURSOR SetCursor(HCURSOR cursor) {
    HCURSOR previous = platform.currentCursor;
    platform.currentCursor = cursor;
    bool visible = cursor != nullptr;
    if (visible != platform.cursorVisible) {
        platform.cursorVisible = visible;
        if (Sdl()) SdlShowCursor(visible);
    }
    return previous;
}

HICON LoadIconA(HINSTANCE instance, LPCSTR name) { return reinterpret_cast<HICON>(&iconToken); }

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) { return reinterpret_cast<HCURSOR>(&arrowToken); }

HGDIOBJ GetStockObject(int object) { return reinterpret_cast<HGDIOBJ>(&stockToken); }

int GetSystemMetrics(int index) {
    int width = kPictureWidth, height = kPictureHeight;
    if (Sdl()) SdlDesktopSize(&width, &height);
    if (index == SM_CXSCREEN) return width;
    if (index == SM_CYSCREEN) return height;
    return 0;
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    if (!text) text = "";
    if (!caption) caption = "";
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::fflush(stderr);
    if (Sdl()) {
        // Without a usable display the text above is all anyone can see.
        if (platform.sdlReady) SdlMessageBox(caption, text);
    } else {
        platform.boxCaptions.push_back(caption);
        platform.boxTexts.push_back(text);
    }
    return IDOK;
}

BOOL PeekMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags) {
    if (!msg) return FALSE;
    if (Sdl()) SdlPump(false);
    auto it = FindMessage(filterMin, filterMax);
    if (it == platform.queue.end() && !Sdl() && platform.idleHook) {
        platform.idleHook(platform.idleUser);
        it = FindMessage(filterMin, filterMax);
    }
    if (it == platform.queue.end()) return FALSE;
    *msg = *it;
    if (removeFlags & PM_REMOVE) platform.queue.erase(it);
    return TRUE;
}

BOOL GetMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax) {
    if (!msg) return -1;
    for (;;) {
        if (Sdl()) SdlPump(false);
        auto it = FindMessage(filterMin, filterMax);
        if (it != platform.queue.end()) {
            *msg = *it;
            platform.queue.erase(it);
            return msg->message == WM_QUIT ? 0 : 1;
        }
        if (Sdl()) {
            SdlPump(true);
        } else if (platform.idleHook) {
            platform.idleHook(platform.idleUser);
        } else {
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

BOOL WaitMessage(void) {
    if (Sdl()) {
        SdlPump(false);
        if (platform.queue.empty()) SdlPump(true);
        return TRUE;
    }
    while (platform.queue.empty() && platform.idleHook) platform.idleHook(platform.idleUser);
    return TRUE;
}

void PostQuitMessage(int exitCode) {
    MSG msg;
    msg.hwnd = nullptr;
    msg.message = WM_QUIT;
    msg.wParam = (WPARAM)exitCode;
    msg.lParam = 0;
    msg.time = timeGetTime();
    msg.pt = platform.cursor;
    platform.queue.push_back(msg);
}

BOOL PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (hwnd && hwnd != PlatformWindowHandle()) return FALSE;
    PlatformPost(message, wParam, lParam);
    return TRUE;
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

BOOL GetCursorPos(POINT* point) {
    if (!point) return FALSE;
    *point = platform.cursor;
    return TRUE;
}

DWORD timeGetTime(void) { return platform.backend == PLATFORM_SDL ? (DWORD)SDL_GetTicks() : platform.clock; }

}  // extern "C"
