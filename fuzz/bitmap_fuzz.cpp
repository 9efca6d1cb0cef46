// Bitmap loading through the image store on the headless platform, as the game's set-up does it: whatever
// the bytes, an image whose surface has the size the store recorded (every pixel readable), or null after
// exactly one message box; no GDI bitmap or DC outlives the engine's reset.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "engine/graphics/display.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/image_store.h"
#include "engine/host/engine.h"
#include "platform/gdi.h"
#include "platform/headless.h"

static char path[] = "/tmp/fuzz_bitmap.XXXXXX";

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const int fd = mkstemp(path);
    if (fd < 0) std::abort();
    close(fd);
    std::atexit([] { unlink(path); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::FILE* file = std::fopen(path, "wb");
    if (!file || (size && std::fwrite(data, 1, size, file) != size)) std::abort();
    std::fclose(file);
    HeadlessReset();
    ResetEngineForTests();
    ResetDisplayForTests();
    const int bitmapsBefore = GdiLiveBitmaps(), dcsBefore = GdiLiveDCs();
    IDirectDraw* first = nullptr;
    if (DirectDrawCreate(nullptr, &first, nullptr) != DD_OK ||
        first->QueryInterface(IID_IDirectDraw4, reinterpret_cast<LPVOID*>(&directDraw)) != DD_OK)
        std::abort();
    if (Image* image = AddImage(path, IMAGE_FROM_FILE, 0, 0)) {
        const ImageSurface* holder = image->holder;
        const IDirectDrawSurface4* s = holder ? holder->surface : nullptr;
        if (!s || s->width != holder->width || s->height != holder->height || s->width < 1 || s->height < 1 ||
            HeadlessBoxCount() != 0)
            std::abort();
        volatile uint32_t sum = 0;
        for (int y = 0; y < s->height; ++y)
            for (int x = 0; x < s->width; ++x) sum = sum + s->pixels[y * (s->pitch / 2) + x];
    } else if (HeadlessBoxCount() != 1) {
        std::abort();
    }
    ResetEngineForTests();  // frees the image chain and its surfaces
    ResetDisplayForTests();
    first->Release();
    HeadlessReset();
    if (GdiLiveBitmaps() != bitmapsBefore || GdiLiveDCs() != dcsBefore) std::abort();
    return 0;
}
