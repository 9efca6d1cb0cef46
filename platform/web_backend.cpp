// The browser backend (the emscripten build): the picture drawn into the
// page's canvas, input from the page's DOM events, message boxes as dialogs in
// the page, the clock of the page, the tune rendered for the page at build
// time played by an audio element. The engine's loop stays a loop: built with
// ASYNCIFY, the backend gives the browser its turn with emscripten_sleep where
// a desktop waits for the display (present) or for input (idle).
//
// A browser cannot move the system pointer, so the pointer is ours: under
// Pointer Lock (taken by the first click) the page reports relative motion,
// which moves the platform's pointer within the picture; the game's own moves
// come back as WM_MOUSEMOVE, as Windows sends them. Losing Pointer Lock
// (Escape, the tab hidden) makes the application inactive, as losing focus
// does on the desktop; a click takes the lock again and activates it.
//
// The game module is a separate wasm file whose code ASYNCIFY does not reach:
// the backend must never wait while the module's frames are on the stack
// (the module reports set-up failures, and loads its bitmaps, from inside its
// own calls). So a message box is queued in the page at once and the engine
// waits for its OK at its next present or idle, where only the engine's frames
// are below; and bitmaps are decoded by the browser before the program starts
// (web_preload.js), decodeBitmap only handing out the pixels.
#include "platform/web_backend.h"

#include <emscripten.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/picture_fit.h"
#include "platform/platform_state.h"

// ---- The page's side ----
// (JavaScript, which clang-format would mangle.)
// clang-format off

// Sets up the canvas and the listeners once; false outside a page (node).
// Input is queued as triples (kind, a, b) that WebNextInput hands out:
// 1 motion (dx, dy), 2 button (button, down), 3 key (virtual key, down),
// 4 activation (active, 0).
EM_JS(int, WebPageStart, (void), {
    if (typeof document == 'undefined') return 0;
    if (Module.kestraPage) return 1;
    var page = Module.kestraPage = {input: [], locked: false, dialogs: [], dialogWaiters: [], tunes: []};
    var canvas = document.getElementById('screen');
    if (!canvas) {
        canvas = document.createElement('canvas');
        canvas.id = 'screen';
        document.body.appendChild(canvas);
    }
    canvas.width = 1024;
    canvas.height = 768;
    page.canvas = canvas;
    page.context = canvas.getContext('2d');
    function post(kind, a, b) { page.input.push(kind, a, b); }
    // Starts every tune asked to play that is not playing yet. A browser
    // plays sound only after a gesture: until the first click the tunes wait.
    page.startTunes = function() {
        page.tunes.forEach(function(tune) {
            if (!tune || !tune.wanted || tune.started) return;
            tune.started = true;
            tune.audio.play().catch(function(error) {
                tune.started = false;
                if (error.name != 'NotAllowedError') console.warn('music: ' + tune.audio.src + ': ' + error.message);
            });
        });
    };
    // The virtual-key codes the engine knows; KeyboardEvent.keyCode gives
    // Windows' own numbers for them.
    function virtualKey(code) {
        if ((code >= 65 && code <= 90) || (code >= 48 && code <= 57)) return code;     // letters, digits
        if ((code >= 112 && code <= 123) || (code >= 96 && code <= 105)) return code;  // F1-F12, keypad
        if ([8, 9, 13, 16, 17, 18, 19, 27, 32, 33, 34, 35, 36, 37, 38, 39, 40, 45, 46].indexOf(code) >= 0)
            return code;
        return 0;
    }
    canvas.addEventListener('mousedown', function(e) {
        if (!page.locked && page.dialogs.length == 0 && canvas.requestPointerLock) canvas.requestPointerLock();
        page.startTunes();
        if (e.button == 0 || e.button == 2) post(2, e.button, 1);
        e.preventDefault();
    });
    canvas.addEventListener('mouseup', function(e) {
        if (e.button == 0 || e.button == 2) post(2, e.button, 0);
        e.preventDefault();
    });
    canvas.addEventListener('contextmenu', function(e) { e.preventDefault(); });
    document.addEventListener('mousemove', function(e) {
        if (page.locked && (e.movementX || e.movementY)) post(1, e.movementX, e.movementY);
    });
    function keyListener(down) {
        return function(e) {
            var vk = virtualKey(e.keyCode);
            if (!vk || page.dialogs.length) return;
            post(3, vk, down);
            if (page.locked) e.preventDefault();
        };
    }
    document.addEventListener('keydown', keyListener(1));
    document.addEventListener('keyup', keyListener(0));
    document.addEventListener('pointerlockchange', function() {
        var locked = document.pointerLockElement == canvas;
        if (locked == page.locked) return;
        page.locked = locked;
        post(4, locked ? 1 : 0, 0);
    });
    document.addEventListener('visibilitychange', function() {
        if (document.hidden && page.locked) document.exitPointerLock();
    });
    return 1;
});

// Takes the next input triple into out[0..2]; false when none waits.
EM_JS(int, WebNextInput, (int* out), {
    var input = Module.kestraPage.input;
    if (input.length == 0) return 0;
    HEAP32[out >> 2] = input[0];
    HEAP32[(out >> 2) + 1] = input[1];
    HEAP32[(out >> 2) + 2] = input[2];
    input.splice(0, 3);
    return 1;
});

EM_JS(void, WebSetTitle, (const char* title), { document.title = UTF8ToString(title); });

EM_JS(void, WebShowCanvas, (int shown), { Module.kestraPage.canvas.style.visibility = shown ? 'visible' : 'hidden'; });

// The program has ended (Escape, or a start that failed): a page cannot close
// itself as a desktop program's window goes, so it says so in place of the
// picture, and a reload starts the game again.
EM_JS(void, WebShowEnded, (void), {
    var page = Module.kestraPage;
    if (document.exitPointerLock) document.exitPointerLock();
    page.canvas.style.visibility = 'hidden';
    var notice = document.createElement('p');
    notice.className = 'ended';
    notice.textContent = 'The game has ended. Reload the page to play again.';
    document.body.appendChild(notice);
});

EM_JS(void, WebShowCursor, (int visible), { Module.kestraPage.canvas.style.cursor = visible ? 'default' : 'none'; });

// The page's size in device pixels, into size[0..1].
EM_JS(void, WebViewSize, (int* size), {
    var ratio = window.devicePixelRatio || 1;
    HEAP32[size >> 2] = Math.round(window.innerWidth * ratio);
    HEAP32[(size >> 2) + 1] = Math.round(window.innerHeight * ratio);
});

// Places the canvas on the rectangle (x, y, width, height) of the page, in
// device pixels, holding the picture enlarged by the whole multiple prescale
// (nearest-neighbour); the browser then scales it to the rectangle, smoothly
// when smooth is set, else crisp.
EM_JS(void, WebPlaceCanvas, (int x, int y, int width, int height, int prescale, int smooth), {
    var page = Module.kestraPage, style = page.canvas.style, ratio = window.devicePixelRatio || 1;
    style.left = x / ratio + 'px';
    style.top = y / ratio + 'px';
    style.width = width / ratio + 'px';
    style.height = height / ratio + 'px';
    page.canvas.classList.toggle('crisp', !smooth);
    page.prescale = prescale;
});

// Draws width x height RGBA pixels into the canvas, whose pixels are the
// picture's enlarged by the prescale.
EM_JS(void, WebPutPicture, (const uint8_t* rgba, int width, int height), {
    var page = Module.kestraPage, prescale = page.prescale || 1;
    if (page.canvas.width != width * prescale || page.canvas.height != height * prescale) {
        page.canvas.width = width * prescale;
        page.canvas.height = height * prescale;
    }
    var pixels = new ImageData(new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4), width, height);
    if (prescale == 1) {
        page.context.putImageData(pixels, 0, 0);
        return;
    }
    if (!page.picture || page.picture.width != width || page.picture.height != height) {
        page.picture = document.createElement('canvas');
        page.picture.width = width;
        page.picture.height = height;
    }
    page.picture.getContext('2d').putImageData(pixels, 0, 0);
    page.context.imageSmoothingEnabled = false;
    page.context.drawImage(page.picture, 0, 0, width * prescale, height * prescale);
});

// Queues a modal dialog with the caption, the text and one OK button; the
// dialogs show one at a time, in order. Pointer Lock is given up so that the
// OK button can be clicked.
EM_JS(void, WebQueueDialog, (const char* caption, const char* text), {
    var page = Module.kestraPage;
    var dialog = document.createElement('dialog');
    dialog.className = 'message-box';
    var title = document.createElement('h1');
    title.textContent = UTF8ToString(caption);
    var body = document.createElement('p');
    body.textContent = UTF8ToString(text);
    var ok = document.createElement('button');
    ok.textContent = 'OK';
    dialog.append(title, body, ok);
    ok.addEventListener('click', function() { dialog.close(); });
    dialog.addEventListener('cancel', function(e) { e.preventDefault(); });  // Escape is no answer
    dialog.addEventListener('close', function() {
        dialog.remove();
        page.dialogs.shift();
        if (page.dialogs.length) {
            page.dialogs[0].showModal();
            return;
        }
        var waiters = page.dialogWaiters;
        page.dialogWaiters = [];
        waiters.forEach(function(wake) { wake(); });
    });
    document.body.appendChild(dialog);
    page.dialogs.push(dialog);
    if (page.locked) document.exitPointerLock();
    if (page.dialogs.length == 1) dialog.showModal();
});

EM_JS(int, WebDialogsOpen, (void), { return Module.kestraPage.dialogs.length; });

// Returns once every queued dialog has been answered.
EM_ASYNC_JS(void, WebAwaitDialogs, (void), {
    var page = Module.kestraPage;
    if (page.dialogs.length == 0) return;
    await new Promise(function(wake) { page.dialogWaiters.push(wake); });
});

// The size of the pixels decoded from exactly the bytes of the file at path,
// or 0 when there are none (see web_preload.js).
EM_JS(int, WebFindBitmap, (const char* path, int* size), {
    var bytes;
    try {
        bytes = FS.readFile(UTF8ToString(path));
    } catch (e) {
        return 0;
    }
    var found = (Module.kestraBitmaps || []).find(function(bitmap) {
        if (bitmap.bytes.length != bytes.length) return false;
        for (var i = 0; i < bytes.length; i++) {
            if (bitmap.bytes[i] != bytes[i]) return false;
        }
        return true;
    });
    if (!found) return 0;
    HEAP32[size >> 2] = found.width;
    HEAP32[(size >> 2) + 1] = found.height;
    Module.kestraFoundBitmap = found;
    return 1;
});

// Copies the pixels WebFindBitmap found, as 0x00RRGGBB words.
EM_JS(void, WebCopyBitmap, (uint32_t * out), {
    var found = Module.kestraFoundBitmap;
    var rgba = found.rgba;
    var base = out >> 2;
    for (var i = 0, n = found.width * found.height; i < n; i++) {
        HEAPU32[base + i] = (rgba[4 * i] << 16) | (rgba[4 * i + 1] << 8) | rgba[4 * i + 2];
    }
    Module.kestraFoundBitmap = null;
});

// The tune rendered for the page from the MIDI file at path: the file of the
// same name ending in ".ogg" beside the page, streamed by an audio element.
// Returns its number, from 1.
EM_JS(int, WebTuneOpen, (const char* path), {
    var page = Module.kestraPage;
    var name = UTF8ToString(path);
    name = name.substring(name.lastIndexOf('/') + 1);
    if (name.lastIndexOf('.') > 0) name = name.substring(0, name.lastIndexOf('.'));
    var audio = new Audio(name + '.ogg');
    audio.preload = 'auto';
    page.tunes.push({audio: audio, wanted: false, started: false});
    return page.tunes.length;
});

// Plays the tune once from the start, now or at the first click.
EM_JS(void, WebTunePlay, (int number), {
    var page = Module.kestraPage;
    var tune = page.tunes[number - 1];
    if (!tune) return;
    tune.audio.pause();
    tune.audio.currentTime = 0;
    tune.wanted = true;
    tune.started = false;
    page.startTunes();
});

EM_JS(void, WebTuneFree, (int number), {
    var page = Module.kestraPage;
    var tune = page.tunes[number - 1];
    if (!tune) return;
    tune.audio.pause();
    tune.audio.removeAttribute('src');
    tune.audio.load();
    page.tunes[number - 1] = null;
});

// clang-format on

// ---- Replay controls (see web_backend.h) ----

// clang-format off

// Gives the page its turn and comes back as soon as it has had it: a message
// the page posts to itself, which the browser does not hold back as it holds
// back a chain of zero timeouts (to 4 ms each).
EM_ASYNC_JS(void, WebYield, (void), {
    var page = Module.kestraPage;
    if (!page.yieldPort) {
        var channel = new MessageChannel();
        page.yieldWaiters = [];
        channel.port1.onmessage = function() { page.yieldWaiters.shift()(); };
        page.yieldPort = channel.port2;
    }
    await new Promise(function(resume) {
        page.yieldWaiters.push(resume);
        page.yieldPort.postMessage(0);
    });
});

// clang-format on

namespace {

struct WebReplay {
    bool active = false;
    DWORD clock = 0;
    WebReplayHooks hooks = {};
    double presentMs = 0;
    double yieldMs = 0;
};

WebReplay replay;

void ReplayYield() {
    const double start = emscripten_get_now();
    WebYield();
    replay.yieldMs += emscripten_get_now() - start;
}

}  // namespace

void WebReplayStart(const WebReplayHooks* hooks) {
    replay = WebReplay{};
    replay.active = true;
    replay.hooks = *hooks;
}

void WebReplayAdvance(DWORD ms) { replay.clock += ms; }

void WebReplayPost(UINT message, WPARAM wParam, LPARAM lParam) { PlatformPostInput(message, wParam, lParam); }

double WebReplayPresentMs(void) { return replay.presentMs; }

double WebReplayYieldMs(void) { return replay.yieldMs; }

// ---- The backend ----

namespace {

constexpr double kFrameMs = 1000.0 / 60.0;  // the display's refresh
constexpr unsigned kIdleMs = 10;            // how long an idle wait gives the page

constexpr int kLongestCanvasSide = 16384;  // what browsers draw at least

struct WebState {
    bool ready = false;
    double nextFrameMs = 0;        // when the next present may show
    double lastTurnMs = 0;         // when the page last had its turn
    std::vector<uint32_t> rgba;    // the picture as RGBA bytes
    int placed[4] = {0, 0, 0, 0};  // the page size and picture size the canvas is placed for
};

WebState web;

void PageEnded() {
    if (web.ready) WebShowEnded();
}

bool Start() {
    // emscripten's C library starts with a mask that takes away every
    // permission, so a program that gives a new file "what fopen would" (the
    // game's high-score file) made it unreadable and unwritable; a desktop
    // session's mask is 022.
    umask(022);
    if (web.ready) return true;
    web.ready = WebPageStart() != 0;
    if (web.ready) std::atexit(PageEnded);
    return web.ready;
}

void Stop() {}

bool CreateWindow(const char* title) {
    if (!web.ready) return false;
    WebSetTitle(title);
    WebShowCanvas(0);
    return true;
}

void DestroyWindow() { WebShowCanvas(0); }
void ShowWindow() { WebShowCanvas(1); }
void RaiseWindow() {}

LONG Clamp(LONG value, LONG low, LONG high) { return value < low ? low : (value > high ? high : value); }

void Translate(const int* input) {
    LPARAM at = PointerParam(platform.cursor.x, platform.cursor.y);
    switch (input[0]) {
        case 1: {  // relative motion under Pointer Lock
            LONG x = Clamp(platform.cursor.x + input[1], 0, kPictureWidth - 1);
            LONG y = Clamp(platform.cursor.y + input[2], 0, kPictureHeight - 1);
            if (x == platform.cursor.x && y == platform.cursor.y) break;
            platform.cursor.x = x;
            platform.cursor.y = y;
            PlatformSend(WM_SETCURSOR, (WPARAM)PlatformWindowHandle(), 1 | (WM_MOUSEMOVE << 16));
            PlatformPost(WM_MOUSEMOVE, 0, PointerParam(x, y));
            break;
        }
        case 2:  // a button, at the pointer
            if (input[1] == 0) PlatformPost(input[2] ? WM_LBUTTONDOWN : WM_LBUTTONUP, 0, at);
            if (input[1] == 2) PlatformPost(input[2] ? WM_RBUTTONDOWN : WM_RBUTTONUP, 0, at);
            break;
        case 3:
            PlatformPost(input[2] ? WM_KEYDOWN : WM_KEYUP, (WPARAM)input[1], 1);
            break;
        case 4:
            PlatformPost(WM_ACTIVATEAPP, (WPARAM)input[1], 0);
            break;
        default:
            break;
    }
}

void Poll() {
    if (!web.ready) return;
    int input[3];
    if (replay.active) {  // the driver's input alone
        while (WebNextInput(input)) {
        }
        return;
    }
    while (WebNextInput(input)) Translate(input);
}

// A message box asked for since the last wait is answered before the engine
// goes on (see the top of the file).
void AwaitDialogs() {
    if (web.ready && WebDialogsOpen()) WebAwaitDialogs();
}

// Waiting: the page gets its turn, and the input it brought is taken. Not waiting:
// Poll has already taken what there was; but a loop that only ever looks at
// an empty queue (a game whose start failed presents nothing) must still let
// the page run, or the page freezes, so it gets a turn once a frame.
bool Idle(bool block) {
    if (!web.ready) return false;
    AwaitDialogs();
    if (replay.active) {
        if (replay.hooks.idle) replay.hooks.idle(replay.hooks.user);
        ReplayYield();
        return true;
    }
    if (block) {
        emscripten_sleep(kIdleMs);
    } else if (emscripten_get_now() - web.lastTurnMs >= kFrameMs) {
        WebYield();
    } else {
        return true;
    }
    web.lastTurnMs = emscripten_get_now();
    Poll();  // what the page's turn brought
    return true;
}

// The picture fills the page as it fills a desktop window: the largest
// rectangle of its shape, centred, enlarged crisp by the smallest whole
// multiple that reaches it and smoothed only for the last fraction
// (picture_fit.h).
void PlaceCanvas(int width, int height) {
    int view[2] = {0, 0};
    WebViewSize(view);
    if (view[0] == web.placed[0] && view[1] == web.placed[1] && width == web.placed[2] && height == web.placed[3])
        return;
    const PictureFit fit = PictureFitMake(view[0], view[1], width, height, kLongestCanvasSide);
    // A whole multiple needs no enlarged copy: the browser's crisp scaling
    // gives the same pixels.
    WebPlaceCanvas(fit.x, fit.y, fit.w, fit.h, fit.smooth ? fit.prescale : 1, fit.smooth ? 1 : 0);
    web.placed[0] = view[0], web.placed[1] = view[1], web.placed[2] = width, web.placed[3] = height;
}

// RGB565 to RGBA, then the page gets its turn until the display's next
// refresh, as a flip waits for vsync on the desktop.
void Present(const uint16_t* pixels, int width, int height, int pitch) {
    if (!web.ready) return;
    const double start = emscripten_get_now();
    web.rgba.resize(static_cast<size_t>(width) * height);
    uint32_t* out = web.rgba.data();
    for (int y = 0; y < height; ++y) {
        const uint16_t* row = reinterpret_cast<const uint16_t*>(reinterpret_cast<const char*>(pixels) + y * pitch);
        for (int x = 0; x < width; ++x) {
            // Each channel widened by repeating its top bits; the bytes R, G,
            // B, A in memory (wasm is little-endian).
            const uint32_t p = row[x], r = p >> 11, g = (p >> 5) & 0x3F, b = p & 0x1F;
            *out++ = 0xFF000000u | (b << 3 | b >> 2) << 16 | (g << 2 | g >> 4) << 8 | (r << 3 | r >> 2);
        }
    }
    PlaceCanvas(width, height);
    WebPutPicture(reinterpret_cast<const uint8_t*>(web.rgba.data()), width, height);
    if (replay.active) {
        replay.presentMs += emscripten_get_now() - start;
        if (replay.hooks.present) replay.hooks.present(pixels, width, height, pitch, replay.hooks.user);
        AwaitDialogs();
        ReplayYield();
        return;
    }
    AwaitDialogs();
    const double now = emscripten_get_now();
    if (web.nextFrameMs < now) web.nextFrameMs = now;  // late: no catching up
    const double wait = web.nextFrameMs - now;
    web.nextFrameMs += kFrameMs;
    emscripten_sleep(static_cast<unsigned>(wait));
    web.lastTurnMs = emscripten_get_now();
}

// A flip still drawing is only injected; the real clock runs on by itself,
// a replay's clock as its driver lets it.
void Stall() {
    if (replay.active && replay.hooks.stall) replay.hooks.stall(replay.hooks.user);
}

// What Windows sends back when the pointer was moved.
void MovePointer(int x, int y) { PlatformPost(WM_MOUSEMOVE, 0, PointerParam(x, y)); }

void ShowCursor(bool visible) {
    if (web.ready) WebShowCursor(visible ? 1 : 0);
}

void MessageBox(const char* caption, const char* text) {
    if (web.ready) WebQueueDialog(caption, text);
}

// The page has no desktop to speak of: the picture's size.
bool DesktopSize(int* width, int* height) { return false; }

DWORD Clock() {
    if (replay.active) return replay.clock;
    return static_cast<DWORD>(static_cast<uint64_t>(emscripten_get_now()));
}

// The sequencer: mci.cpp has checked the MIDI file's header; the page plays
// the tune rendered from it when the site was built.
void MusicAsked(const char* element) {}

int TuneNumber(void* music) { return static_cast<int>(reinterpret_cast<intptr_t>(music)); }

MCIERROR MusicOpen(const char* path, void** music) {
    *music = nullptr;
    if (!web.ready) return MCIERR_HARDWARE;
    *music = reinterpret_cast<void*>(static_cast<intptr_t>(WebTuneOpen(path)));
    return 0;
}

bool MusicPlay(void* music) {
    if (!web.ready || !music) return false;
    WebTunePlay(TuneNumber(music));
    return true;
}

void MusicFree(void* music) {
    if (web.ready && music) WebTuneFree(TuneNumber(music));
}

}  // namespace

uint32_t* WebDecodeBitmap(const char* path, int* width, int* height) {
    int size[2] = {0, 0};
    if (!WebFindBitmap(path, size)) return nullptr;
    uint32_t* pixels = static_cast<uint32_t*>(std::malloc(static_cast<size_t>(size[0]) * size[1] * 4));
    if (!pixels) return nullptr;
    WebCopyBitmap(pixels);
    *width = size[0];
    *height = size[1];
    return pixels;
}

// In the order of PlatformBackendOps.
const PlatformBackendOps webBackend = {
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
    MovePointer,      // movePointer
    ShowCursor,       // showCursor
    MessageBox,       // messageBox
    DesktopSize,      // desktopSize
    Clock,            // clock
    MusicAsked,       // musicAsked
    MusicOpen,        // musicOpen
    MusicPlay,        // musicPlay
    MusicFree,        // musicFree
    WebDecodeBitmap,  // decodeBitmap
};
