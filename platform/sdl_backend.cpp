// The real backend: one SDL window covering the desktop, the picture
// letter-boxed in it and scaled crisply (see PresentScaled), presented from an
// RGB565 streaming texture with vsync, and SDL events translated into the
// window messages the engine expects, with pointer positions mapped between
// window and picture pixels. The window names itself "kestra" to the desktop
// (its X11 class), shows the game's icon from the engine's folder, and is
// drawn again whenever the desktop asks (after a message box closed over it).
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/backend.h"
#include "platform/picture_fit.h"
#include "platform/platform_state.h"

namespace {

SDL_Window* window = nullptr;
SDL_Renderer* renderer = nullptr;
SDL_Texture* texture = nullptr;  // the engine's picture, as presented
int textureWidth = 0;
int textureHeight = 0;
SDL_Texture* enlarged = nullptr;  // the picture at a whole multiple of its size
int enlargedScale = 0;
bool exitHandlerSet = false;

void DestroyTexture() {
    if (texture) SDL_DestroyTexture(texture);
    if (enlarged) SDL_DestroyTexture(enlarged);
    texture = enlarged = nullptr;
    textureWidth = textureHeight = 0;
    enlargedScale = 0;
}

// The size of the picture that pointer positions refer to.
int PictureWidth() { return textureWidth > 0 ? textureWidth : kPictureWidth; }
int PictureHeight() { return textureHeight > 0 ? textureHeight : kPictureHeight; }

// Where the picture lies in the window, in the window coordinates that
// pointer events and warps use (the renderer's pixels may be finer).
PictureFit WindowFit() {
    int w = 0, h = 0;
    if (window) SDL_GetWindowSize(window, &w, &h);
    return PictureFitMake(w, h, PictureWidth(), PictureHeight(), 0);
}

void Shutdown() {
    MciShutdown();
    SdlDestroyWindow();
    SDL_Quit();
}

// Windows virtual-key code of an SDL key, 0 for keys the engine has no use for.
WPARAM VirtualKey(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12) return 0x70 + (key - SDLK_F1);
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return 0x61 + (key - SDLK_KP_1);
    switch (key) {
        case SDLK_ESCAPE:
            return VK_ESCAPE;
        case SDLK_RETURN:
            return VK_RETURN;
        case SDLK_KP_ENTER:
            return VK_RETURN;
        case SDLK_SPACE:
            return VK_SPACE;
        case SDLK_BACKSPACE:
            return 0x08;
        case SDLK_TAB:
            return 0x09;
        case SDLK_LSHIFT:
        case SDLK_RSHIFT:
            return 0x10;
        case SDLK_LCTRL:
        case SDLK_RCTRL:
            return 0x11;
        case SDLK_LALT:
        case SDLK_RALT:
            return 0x12;
        case SDLK_PAUSE:
            return 0x13;
        case SDLK_PAGEUP:
            return 0x21;
        case SDLK_PAGEDOWN:
            return 0x22;
        case SDLK_END:
            return 0x23;
        case SDLK_HOME:
            return 0x24;
        case SDLK_LEFT:
            return 0x25;
        case SDLK_UP:
            return 0x26;
        case SDLK_RIGHT:
            return 0x27;
        case SDLK_DOWN:
            return 0x28;
        case SDLK_INSERT:
            return 0x2D;
        case SDLK_DELETE:
            return 0x2E;
        case SDLK_KP_0:
            return 0x60;
        default:
            return 0;
    }
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

}  // namespace

bool SdlStart() {
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
    if (!exitHandlerSet) {
        std::atexit(Shutdown);
        exitHandlerSet = true;
    }
    return true;
}

void SdlStop() {
    if (platform.windowExists) {
        SdlDestroyWindow();
        platform.windowExists = false;
        platform.windowShown = false;
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

namespace {

// The game's icon, icon.bmp beside the engine; magenta is transparent. A
// missing icon leaves the desktop's own.
void SetIcon() {
    const std::string path = std::string(PlatformModuleDir()) + "/icon.bmp";
    SDL_Surface* icon = SDL_LoadBMP(path.c_str());
    if (!icon) return;
    SDL_SetColorKey(icon, SDL_TRUE, SDL_MapRGB(icon->format, 255, 0, 255));
    SDL_SetWindowIcon(window, icon);
    SDL_FreeSurface(icon);
}

}  // namespace

bool SdlCreateWindow(const char* title) {
    // Full screen on the desktop is a request to the window manager. Without
    // one the window would keep the size and place it is created with, so it
    // is created covering the whole display to begin with.
    SDL_Rect bounds = {0, 0, kPictureWidth, kPictureHeight};
    if (SDL_GetDisplayBounds(0, &bounds) != 0 || bounds.w <= 0 || bounds.h <= 0) {
        bounds = {(int)SDL_WINDOWPOS_CENTERED, (int)SDL_WINDOWPOS_CENTERED, kPictureWidth, kPictureHeight};
    }
    window = SDL_CreateWindow(title, bounds.x, bounds.y, bounds.w, bounds.h,
                              SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN);
    if (!window) {
        std::fprintf(stderr, "platform: cannot create the window: %s\n", SDL_GetError());
        return false;
    }
    renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_PRESENTVSYNC);
    if (!renderer) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer) {
        std::fprintf(stderr, "platform: cannot create a renderer: %s\n", SDL_GetError());
        SDL_DestroyWindow(window);
        window = nullptr;
        return false;
    }
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SetIcon();
    return true;
}

void SdlDestroyWindow() {
    DestroyTexture();
    if (renderer) SDL_DestroyRenderer(renderer);
    if (window) SDL_DestroyWindow(window);
    renderer = nullptr;
    window = nullptr;
}

void SdlShowWindow() {
    if (!window) return;
    SDL_ShowWindow(window);
    SDL_RenderClear(renderer);
    SDL_RenderPresent(renderer);
}

void SdlRaiseWindow() {
    if (window) SDL_RaiseWindow(window);
}

void SdlPump(bool wait) {
    SDL_Event event;
    if (wait && SDL_WaitEvent(&event)) Translate(event);
    while (SDL_PollEvent(&event)) Translate(event);
}

namespace {

// The texture holding the picture enlarged scale times, made on first use;
// null when the renderer cannot draw into textures.
SDL_Texture* Enlarged(int scale) {
    if (enlarged && enlargedScale == scale) return enlarged;
    if (enlarged) SDL_DestroyTexture(enlarged);
    enlargedScale = 0;
    enlarged = nullptr;
    if (!SDL_RenderTargetSupported(renderer)) return nullptr;
    enlarged = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_TARGET, textureWidth * scale,
                                 textureHeight * scale);
    if (!enlarged) {
        std::fprintf(stderr, "platform: cannot create the scaling texture: %s\n", SDL_GetError());
        return nullptr;
    }
    SDL_SetTextureScaleMode(enlarged, SDL_ScaleModeLinear);
    enlargedScale = scale;
    return enlarged;
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
    if (SDL_GetRendererOutputSize(renderer, &outW, &outH) != 0) return;
    SDL_RendererInfo info = {};
    SDL_GetRendererInfo(renderer, &info);
    const int maxSide =
        info.max_texture_width < info.max_texture_height ? info.max_texture_width : info.max_texture_height;
    const PictureFit fit = PictureFitMake(outW, outH, textureWidth, textureHeight, maxSide);
    const SDL_Rect to = {fit.x, fit.y, fit.w, fit.h};
    SDL_SetRenderTarget(renderer, nullptr);
    SDL_RenderClear(renderer);
    SDL_Texture* step = fit.smooth && fit.prescale > 1 ? Enlarged(fit.prescale) : nullptr;
    if (step && SDL_SetRenderTarget(renderer, step) == 0) {
        SDL_SetTextureScaleMode(texture, SDL_ScaleModeNearest);
        SDL_RenderCopy(renderer, texture, nullptr, nullptr);
        SDL_SetRenderTarget(renderer, nullptr);
        SDL_RenderCopy(renderer, step, nullptr, &to);
        return;
    }
    // Directly: exact multiples crisp, anything else (a window smaller than
    // the picture, no render targets) smoothed.
    SDL_SetTextureScaleMode(texture, fit.smooth ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
    SDL_RenderCopy(renderer, texture, nullptr, &to);
}

// Shows the last picture again, or black before there was one.
void Redraw() {
    if (!renderer) return;
    if (texture) {
        PresentScaled();
    } else {
        SDL_SetRenderTarget(renderer, nullptr);
        SDL_RenderClear(renderer);
    }
    SDL_RenderPresent(renderer);
}

}  // namespace

void SdlPresent(const uint16_t* pixels, int width, int height, int pitch) {
    if (!renderer) return;
    if (!texture || textureWidth != width || textureHeight != height) {
        DestroyTexture();
        texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING, width, height);
        if (!texture) {
            std::fprintf(stderr, "platform: cannot create the screen texture: %s\n", SDL_GetError());
            return;
        }
        textureWidth = width;
        textureHeight = height;
    }
    SDL_UpdateTexture(texture, nullptr, pixels, pitch);
    PresentScaled();
    SDL_RenderPresent(renderer);  // waits for vsync
}

void SdlWarpPointer(int x, int y) {
    if (!window || !renderer) return;
    // Warping takes window pixels: aim at the centre of the picture pixel.
    int windowX = 0, windowY = 0;
    PictureFitToWindow(WindowFit(), PictureWidth(), PictureHeight(), x, y, &windowX, &windowY);
    SDL_WarpMouseInWindow(window, windowX, windowY);
}

void SdlShowCursor(bool visible) { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }

void SdlMessageBox(const char* caption, const char* text) {
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption, text, window) != 0) {
        std::fprintf(stderr, "platform: message box not shown: %s\n", SDL_GetError());
    }
    Redraw();  // where the box was, nothing else may draw again
}

bool SdlDesktopSize(int* width, int* height) {
    SDL_DisplayMode mode;
    if (!platform.sdlReady || SDL_GetDesktopDisplayMode(0, &mode) != 0) return false;
    *width = mode.w;
    *height = mode.h;
    return true;
}
