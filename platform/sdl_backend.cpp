// The real backend: one SDL window covering the desktop, the picture
// letter-boxed in it and scaled crisply (see PresentScaled), presented from an
// RGB565 streaming texture with vsync, and SDL events translated into the
// window messages the engine expects, with pointer positions mapped between
// window and picture pixels. The window names itself "kestra" to the desktop
// (its X11 class), shows the game's icon from the engine's folder, and is
// drawn again whenever the desktop asks (after a message box closed over it).
// Its sequencer is in sdl_music.cpp.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/backend.h"
#include "platform/picture_fit.h"
#include "platform/platform_state.h"
#include "platform/sdl_bitmap.h"
#include "platform/sdl_music.h"

namespace {

struct SdlState {
    bool ready = false;  // video is up on an acceptable driver
    bool exitHandlerSet = false;
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;  // the engine's picture, as presented
    int textureWidth = 0;
    int textureHeight = 0;
    SDL_Texture* enlarged = nullptr;  // the picture at a whole multiple of its size
    int enlargedScale = 0;
};

SdlState sdl;

void DestroyTexture() {
    if (sdl.texture) SDL_DestroyTexture(sdl.texture);
    if (sdl.enlarged) SDL_DestroyTexture(sdl.enlarged);
    sdl.texture = sdl.enlarged = nullptr;
    sdl.textureWidth = sdl.textureHeight = 0;
    sdl.enlargedScale = 0;
}

// The size of the picture that pointer positions refer to.
int PictureWidth() { return sdl.textureWidth > 0 ? sdl.textureWidth : kPictureWidth; }
int PictureHeight() { return sdl.textureHeight > 0 ? sdl.textureHeight : kPictureHeight; }

// Where the picture lies in the window, in the window coordinates that
// pointer events and warps use (the renderer's pixels may be finer).
PictureFit WindowFit() {
    int w = 0, h = 0;
    if (sdl.window) SDL_GetWindowSize(sdl.window, &w, &h);
    return PictureFitMake(w, h, PictureWidth(), PictureHeight(), 0);
}

void DestroyWindow() {
    DestroyTexture();
    if (sdl.renderer) SDL_DestroyRenderer(sdl.renderer);
    if (sdl.window) SDL_DestroyWindow(sdl.window);
    sdl.renderer = nullptr;
    sdl.window = nullptr;
}

// At process exit: the music stops, the audio device closes, video ends.
void Shutdown() {
    SdlMusicShutdown();
    DestroyWindow();
    SDL_Quit();
}

// Windows virtual-key code of an SDL key, 0 for keys the engine has no use for.
WPARAM VirtualKey(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12) return 0x70 + (key - SDLK_F1);
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return 0x61 + (key - SDLK_KP_1);
    static const struct {
        SDL_Keycode key;
        WPARAM vk;
    } kKeys[] = {
        {SDLK_ESCAPE, VK_ESCAPE}, {SDLK_RETURN, VK_RETURN}, {SDLK_KP_ENTER, VK_RETURN},
        {SDLK_SPACE, VK_SPACE},   {SDLK_BACKSPACE, 0x08},   {SDLK_TAB, 0x09},
        {SDLK_LSHIFT, 0x10},      {SDLK_RSHIFT, 0x10},      {SDLK_LCTRL, 0x11},
        {SDLK_RCTRL, 0x11},       {SDLK_LALT, 0x12},        {SDLK_RALT, 0x12},
        {SDLK_PAUSE, 0x13},       {SDLK_PAGEUP, 0x21},      {SDLK_PAGEDOWN, 0x22},
        {SDLK_END, 0x23},         {SDLK_HOME, 0x24},        {SDLK_LEFT, 0x25},
        {SDLK_UP, 0x26},          {SDLK_RIGHT, 0x27},       {SDLK_DOWN, 0x28},
        {SDLK_INSERT, 0x2D},      {SDLK_DELETE, 0x2E},      {SDLK_KP_0, 0x60},
    };
    for (const auto& entry : kKeys) {
        if (entry.key == key) return entry.vk;
    }
    return 0;
}

// Records the pointer position of a window pixel, in picture coordinates,
// and returns its lParam.
LPARAM PointerAt(int windowX, int windowY) {
    int x = 0, y = 0;
    PictureFitToPicture(WindowFit(), PictureWidth(), PictureHeight(), windowX, windowY, &x, &y);
    if (x < 0) x = 0;
    if (x >= kPictureWidth) x = kPictureWidth - 1;
    if (y < 0) y = 0;
    if (y >= kPictureHeight) y = kPictureHeight - 1;
    platform.cursor.x = x;
    platform.cursor.y = y;
    return PointerParam(x, y);
}

bool CloseWaiting() {
    for (const MSG& msg : platform.queue) {
        if (msg.message == WM_CLOSE) return true;
    }
    return false;
}

void Redraw();

void Translate(const SDL_Event& event) {
    switch (event.type) {
        case SDL_QUIT:
            if (!CloseWaiting()) PlatformPost(WM_CLOSE, 0, 0);
            break;
        case SDL_WINDOWEVENT:
            switch (event.window.event) {
                case SDL_WINDOWEVENT_CLOSE:
                    if (!CloseWaiting()) PlatformPost(WM_CLOSE, 0, 0);
                    break;
                case SDL_WINDOWEVENT_FOCUS_GAINED:
                    PlatformPost(WM_ACTIVATEAPP, 1, 0);
                    break;
                case SDL_WINDOWEVENT_FOCUS_LOST:
                    PlatformPost(WM_ACTIVATEAPP, 0, 0);
                    break;
                case SDL_WINDOWEVENT_EXPOSED:
                    Redraw();
                    break;
                case SDL_WINDOWEVENT_ENTER:
                    PlatformSend(WM_SETCURSOR, (WPARAM)PlatformWindowHandle(), 1 | (WM_MOUSEMOVE << 16));
                    break;
                default:
                    break;
            }
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            WPARAM vk = VirtualKey(event.key.keysym.sym);
            if (vk) PlatformPost(event.type == SDL_KEYDOWN ? WM_KEYDOWN : WM_KEYUP, vk, 1);
            break;
        }
        case SDL_MOUSEMOTION: {
            LPARAM at = PointerAt(event.motion.x, event.motion.y);
            PlatformSend(WM_SETCURSOR, (WPARAM)PlatformWindowHandle(), 1 | (WM_MOUSEMOVE << 16));
            PlatformPost(WM_MOUSEMOVE, 0, at);
            break;
        }
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            bool down = event.type == SDL_MOUSEBUTTONDOWN;
            UINT message = 0;
            if (event.button.button == SDL_BUTTON_LEFT) message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
            if (event.button.button == SDL_BUTTON_RIGHT) message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
            if (message) PlatformPost(message, 0, PointerAt(event.button.x, event.button.y));
            break;
        }
        case SDL_RENDER_TARGETS_RESET:
        case SDL_RENDER_DEVICE_RESET:
            DestroyTexture();  // made again at the next present
            break;
        default:
            break;
    }
}

bool Start() {
    if (sdl.ready) return true;
    // The class the desktop matches against the game's menu entry
    // (StartupWMClass); SDL would take the program's file name.
    setenv("SDL_VIDEO_X11_WMCLASS", "kestra", 0);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "platform: cannot start video: %s\n", SDL_GetError());
        return false;
    }
    // Without a display SDL quietly falls back to drivers that show nothing;
    // a game nobody can see must not run unless a test asked for it.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0)) {
        const char* allow = std::getenv("KESTRA_ALLOW_OFFSCREEN");
        if (!allow || std::strcmp(allow, "1") != 0) {
            std::fprintf(stderr, "platform: no display (SDL video driver \"%s\" shows nothing)\n", driver);
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
            return false;
        }
    }
    if (!sdl.exitHandlerSet) {
        std::atexit(Shutdown);
        sdl.exitHandlerSet = true;
    }
    sdl.ready = true;
    return true;
}

void Stop() {
    if (!sdl.ready) return;
    DestroyWindow();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    sdl.ready = false;
}

// The game's icon, icon.bmp beside the engine; magenta is transparent. A
// missing icon leaves the desktop's own.
void SetIcon() {
    const std::string path = std::string(PlatformModuleDir()) + "/icon.bmp";
    SDL_Surface* icon = SDL_LoadBMP(path.c_str());
    if (!icon) return;
    SDL_SetColorKey(icon, SDL_TRUE, SDL_MapRGB(icon->format, 255, 0, 255));
    SDL_SetWindowIcon(sdl.window, icon);
    SDL_FreeSurface(icon);
}

bool CreateWindow(const char* title) {
    if (!sdl.ready) return false;
    // Full screen on the desktop is a request to the window manager. Without
    // one the window would keep the size and place it is created with, so it
    // is created covering the whole display to begin with.
    SDL_Rect bounds = {0, 0, kPictureWidth, kPictureHeight};
    if (SDL_GetDisplayBounds(0, &bounds) != 0 || bounds.w <= 0 || bounds.h <= 0) {
        bounds = {(int)SDL_WINDOWPOS_CENTERED, (int)SDL_WINDOWPOS_CENTERED, kPictureWidth, kPictureHeight};
    }
    sdl.window = SDL_CreateWindow(title, bounds.x, bounds.y, bounds.w, bounds.h,
                                  SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN);
    if (!sdl.window) {
        std::fprintf(stderr, "platform: cannot create the window: %s\n", SDL_GetError());
        return false;
    }
    sdl.renderer = SDL_CreateRenderer(sdl.window, -1, SDL_RENDERER_PRESENTVSYNC);
    if (!sdl.renderer) sdl.renderer = SDL_CreateRenderer(sdl.window, -1, SDL_RENDERER_SOFTWARE);
    if (!sdl.renderer) {
        std::fprintf(stderr, "platform: cannot create a renderer: %s\n", SDL_GetError());
        SDL_DestroyWindow(sdl.window);
        sdl.window = nullptr;
        return false;
    }
    SDL_SetRenderDrawColor(sdl.renderer, 0, 0, 0, 255);
    SetIcon();
    return true;
}

void ShowWindow() {
    if (!sdl.window) return;
    SDL_ShowWindow(sdl.window);
    SDL_RenderClear(sdl.renderer);
    SDL_RenderPresent(sdl.renderer);
}

void RaiseWindow() {
    if (sdl.window) SDL_RaiseWindow(sdl.window);
}

void Poll() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) Translate(event);
}

// Waiting takes one event as it comes, then all that followed it; not waiting,
// Poll has already taken what there was.
bool Idle(bool block) {
    if (!block) return true;
    SDL_Event event;
    if (!SDL_WaitEvent(&event)) return false;
    Translate(event);
    Poll();
    return true;
}

// The texture holding the picture enlarged scale times, made on first use;
// null when the renderer cannot draw into textures.
SDL_Texture* Enlarged(int scale) {
    if (sdl.enlarged && sdl.enlargedScale == scale) return sdl.enlarged;
    if (sdl.enlarged) SDL_DestroyTexture(sdl.enlarged);
    sdl.enlargedScale = 0;
    sdl.enlarged = nullptr;
    if (!SDL_RenderTargetSupported(sdl.renderer)) return nullptr;
    sdl.enlarged = SDL_CreateTexture(sdl.renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_TARGET,
                                     sdl.textureWidth * scale, sdl.textureHeight * scale);
    if (!sdl.enlarged) {
        std::fprintf(stderr, "platform: cannot create the scaling texture: %s\n", SDL_GetError());
        return nullptr;
    }
    SDL_SetTextureScaleMode(sdl.enlarged, SDL_ScaleModeLinear);
    sdl.enlargedScale = scale;
    return sdl.enlarged;
}

// Draws the picture into its letter-boxed rectangle. A whole multiple of its
// size is drawn with nearest-neighbour alone (at 1024 x 768: one to one).
// Otherwise the picture is first enlarged with nearest-neighbour by the
// smallest whole multiple that reaches the rectangle, and that is smoothed
// down to the rectangle: only the window pixels that straddle two picture
// pixels are blended, so edges stay about one pixel sharp, and a scrolling
// detail shimmers far less than with nearest-neighbour alone (figures in
// docs/display.md).
void PresentScaled() {
    int outW = 0, outH = 0;
    if (SDL_GetRendererOutputSize(sdl.renderer, &outW, &outH) != 0) return;
    SDL_RendererInfo info = {};
    SDL_GetRendererInfo(sdl.renderer, &info);
    const int maxSide =
        info.max_texture_width < info.max_texture_height ? info.max_texture_width : info.max_texture_height;
    const PictureFit fit = PictureFitMake(outW, outH, sdl.textureWidth, sdl.textureHeight, maxSide);
    const SDL_Rect to = {fit.x, fit.y, fit.w, fit.h};
    SDL_SetRenderTarget(sdl.renderer, nullptr);
    SDL_RenderClear(sdl.renderer);
    SDL_Texture* step = fit.smooth && fit.prescale > 1 ? Enlarged(fit.prescale) : nullptr;
    if (step && SDL_SetRenderTarget(sdl.renderer, step) == 0) {
        SDL_SetTextureScaleMode(sdl.texture, SDL_ScaleModeNearest);
        SDL_RenderCopy(sdl.renderer, sdl.texture, nullptr, nullptr);
        SDL_SetRenderTarget(sdl.renderer, nullptr);
        SDL_RenderCopy(sdl.renderer, step, nullptr, &to);
        return;
    }
    // Directly: exact multiples crisp, anything else (a window smaller than
    // the picture, no render targets) smoothed.
    SDL_SetTextureScaleMode(sdl.texture, fit.smooth ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
    SDL_RenderCopy(sdl.renderer, sdl.texture, nullptr, &to);
}

// Shows the last picture again, or black before there was one.
void Redraw() {
    if (!sdl.renderer) return;
    if (sdl.texture) {
        PresentScaled();
    } else {
        SDL_SetRenderTarget(sdl.renderer, nullptr);
        SDL_RenderClear(sdl.renderer);
    }
    SDL_RenderPresent(sdl.renderer);
}

void Present(const uint16_t* pixels, int width, int height, int pitch) {
    if (!sdl.renderer) return;
    if (!sdl.texture || sdl.textureWidth != width || sdl.textureHeight != height) {
        DestroyTexture();
        sdl.texture =
            SDL_CreateTexture(sdl.renderer, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING, width, height);
        if (!sdl.texture) {
            std::fprintf(stderr, "platform: cannot create the screen texture: %s\n", SDL_GetError());
            return;
        }
        sdl.textureWidth = width;
        sdl.textureHeight = height;
    }
    SDL_UpdateTexture(sdl.texture, nullptr, pixels, pitch);
    PresentScaled();
    SDL_RenderPresent(sdl.renderer);  // waits for vsync
}

// A flip still drawing is only injected; the real clock runs on by itself.
void Stall() {}

void WarpPointer(int x, int y) {
    if (!sdl.window || !sdl.renderer) return;
    // Warping takes window pixels: aim at the centre of the picture pixel.
    int windowX = 0, windowY = 0;
    PictureFitToWindow(WindowFit(), PictureWidth(), PictureHeight(), x, y, &windowX, &windowY);
    SDL_WarpMouseInWindow(sdl.window, windowX, windowY);
}

void ShowCursor(bool visible) { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }

// Without a usable display the text on standard error is all anyone sees.
void MessageBox(const char* caption, const char* text) {
    if (!sdl.ready) return;
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption, text, sdl.window) != 0) {
        std::fprintf(stderr, "platform: message box not shown: %s\n", SDL_GetError());
    }
    Redraw();  // where the box was, nothing else may draw again
}

bool DesktopSize(int* width, int* height) {
    SDL_DisplayMode mode;
    if (!sdl.ready || SDL_GetDesktopDisplayMode(0, &mode) != 0) return false;
    *width = mode.w;
    *height = mode.h;
    return true;
}

DWORD Clock() { return (DWORD)SDL_GetTicks(); }

void MusicAsked(const char* element) {}  // nothing to record

}  // namespace

// In the order of PlatformBackendOps.
const PlatformBackendOps sdlBackend = {
    Start,            // start
    Stop,             // stop
    CreateWindow,     // createWindow
    DestroyWindow,    // destroyWindow
    ShowWindow,       // showWindow
    RaiseWindow,      // raiseWindow
    Poll,             // poll
    Idle,             // idle
    Present,          // present
    Stall,            // stall
    WarpPointer,      // movePointer
    ShowCursor,       // showCursor
    MessageBox,       // messageBox
    DesktopSize,      // desktopSize
    Clock,            // clock
    MusicAsked,       // musicAsked
    SdlMusicOpen,     // musicOpen
    SdlMusicPlay,     // musicPlay
    SdlMusicFree,     // musicFree
    SdlDecodeBitmap,  // decodeBitmap
};
