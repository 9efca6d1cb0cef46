// The engine's spine: delivery of events to the game module, the window
// procedure, start-up and the main loop.
#include "engine/host/engine.h"

#include <cstdlib>

#include "engine/graphics/display.h"
#include "engine/graphics/graphics.h"
#include "engine/host/binding.h"
#include "engine/host/music.h"

void (*afterInterfaceHook)() = nullptr;

static DWORD timeStamp = 0;    // clock after the last call into the module
static WPARAM activeFlag = 0;  // last wParam of WM_ACTIVATEAPP

static const char* const kClassName = "Varnel Engine Beta";
static const char* const kWindowTitle = "Release 1 pre1";

// At exit, release what the engine allocated into prog: its image chain. The
// handler is registered as the program starts, before the entry routine runs.
static void ReleaseProg() { FreeImages(); }
[[maybe_unused]] static const bool releaseAtExit = atexit(ReleaseProg) == 0;

// One call with the time since the last stamp (unsigned 32-bit difference,
// so the clock wrapping round changes nothing), then a frame if it asks.
static void Deliver() {
    if (!ModuleBound()) return;
    int elapsed = static_cast<int>(static_cast<DWORD>(timeGetTime() - timeStamp));
    int result = CallProcedure(elapsed);
    timeStamp = timeGetTime();
    if (result) RenderFrame();
}

// Sets the event, delivers it, then puts the event back to EV_FRAME.
static void DeliverAndRest(uint32_t event) {
    prog.event = event;
    Deliver();
    prog.event = EV_FRAME;
}

static LRESULT WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_ACTIVATEAPP:
            activeFlag = wParam;
            break;
        case WM_SETCURSOR:
            SetCursor(nullptr);
            return 1;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) {
                PostQuitMessage(0);
                return 0;
            }
            prog.event = EV_KEY_DOWN;
            prog.key = static_cast<uint8_t>(wParam & 0xFF);
            Deliver();
            break;
        case WM_KEYUP:
            prog.key = static_cast<uint8_t>(wParam & 0xFF);
            DeliverAndRest(EV_KEY_UP);
            break;
        case WM_MOUSEMOVE: {
            uint32_t position = static_cast<uint32_t>(lParam);
            prog.mouseX = static_cast<int32_t>(position & 0xFFFF);
            prog.mouseY = static_cast<int32_t>(position >> 16);
            DeliverAndRest(EV_MOUSE_MOVE);
            break;
        }
        case WM_LBUTTONDOWN:
            DeliverAndRest(EV_LBUTTON_DOWN);
            break;
        case WM_LBUTTONUP:
            DeliverAndRest(EV_LBUTTON_UP);
            break;
        case WM_RBUTTONDOWN:
            DeliverAndRest(EV_RBUTTON_DOWN);
            break;
        case WM_RBUTTONUP:
            DeliverAndRest(EV_RBUTTON_UP);
            break;
        default:
            break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

static void StoreServices() {
    prog.SetDisplayMode = SetDisplayMode;
    prog.DrawTileMap = DrawTileMap;
    prog.AddImage = AddImage;
    prog.DrawSprite = DrawSprite;
    prog.Report = Report;
    prog.FillSurface = FillSurface;
    prog.LockSurface = LockSurface;
    prog.UnlockSurface = UnlockSurface;
    prog.PutPixel = PutPixel;
    prog.GetPixelFormat = GetPixelFormat;
    prog.RenderFrame = RenderFrame;
    prog.window = &window;
}

// Drains the queue, delivering every message through the window procedure;
// idle passes go to the module while the application is active and a module
// is bound, otherwise the loop waits for the next message. Returns the quit
// message's wParam once the module has been told of the shutdown.
static int MainLoop() {
    MSG message;
    for (;;) {
        if (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!GetMessageA(&message, nullptr, 0, 0)) {
                NotifyShutdown();
                return static_cast<int>(message.wParam);
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        } else if (activeFlag && ModuleBound()) {
            prog.event = EV_FRAME;
            Deliver();
        } else {
            WaitMessage();
        }
    }
}

int EngineMain(HINSTANCE instance, int showCommand) {
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszMenuName = kClassName;
    windowClass.lpszClassName = kClassName;
    RegisterClassA(&windowClass);

    window = CreateWindowExA(0, kClassName, kWindowTitle, WS_POPUP, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                             GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, instance, nullptr);
    if (!window) {
        ShowError("Unexpected Windows error (hwnd was NULL).");
        return 1;  // a failure, so that whoever started the engine can tell
    }
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    SetFocus(window);

    if (!InitDisplayDevice()) {
        ShowError("API could not be initialized!");
        NotifyShutdown();
    }

    if (!BindModule()) {
        // No usable module: its entry points are never called. There is
        // nothing to set up, play or show, so the engine skips the rest of
        // start-up and keeps an empty loop (window procedure and waiting,
        // no idle calls) until Escape or the window is closed, then ends
        // with 1: the game never started, and a launcher must be able to
        // tell.
        NotifyShutdown();
        MainLoop();
        return 1;
    }

    StoreServices();
    int ready = boundInterface(&prog);
    if (afterInterfaceHook) afterInterfaceHook();
    if (!ready) {
        Report("VProgInterface(&prog) failed");
        NotifyShutdown();
    }

    StartMusic();

    prog.event = EV_START;
    CallProcedure(0);
    timeStamp = timeGetTime();

    // After a failed set-up the loop still runs until Escape, but the run
    // ends with 1, not the quit message's 0.
    int exitCode = MainLoop();
    return ready ? exitCode : 1;
}

void ResetEngineForTests() {
    FreeImages();
    ResetSession();
    timeStamp = 0;
    activeFlag = 0;
    afterInterfaceHook = nullptr;
    ResetMusicForTests();
}
