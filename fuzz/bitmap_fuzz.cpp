// Fuzzes bitmap loading through the image store: the input's bytes become a
// file, and AddImage loads it on the headless platform as the game's set-up
// would. Whatever the bytes, the result is an image whose surface matches the
// size the store recorded, or null after exactly one message box.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/graphics/display.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/image_store.h"
#include "engine/host/engine.h"
#include "platform/gdi.h"
#include "platform/headless.h"

namespace {

char tempName[] = "/tmp/fuzz_bitmap.XXXXXX";

void RemoveTempFile() { unlink(tempName); }

std::string TempFile() {
    int fd = mkstemp(tempName);
    if (fd < 0) std::abort();
    close(fd);
    std::atexit(RemoveTempFile);
    return tempName;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = TempFile();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) std::abort();
    if (size && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);

    // A fresh engine with a display object, as the image store finds it
    // during the game's set-up.
    HeadlessReset();
    ResetEngineForTests();
    ResetDisplayForTests();
    const int bitmapsBefore = GdiLiveBitmaps(), dcsBefore = GdiLiveDCs();
    IDirectDraw* first = nullptr;
    if (DirectDrawCreate(nullptr, &first, nullptr) != DD_OK ||
        first->QueryInterface(IID_IDirectDraw4, reinterpret_cast<LPVOID*>(&directDraw)) != DD_OK)
        std::abort();

    Image* image = AddImage(path.c_str(), IMAGE_FROM_FILE, 0, 0);
    if (image) {
        const ImageSurface* holder = image->holder;
        if (!holder || !holder->surface || holder->surface->width != holder->width ||
            holder->surface->height != holder->height || holder->width < 1 || holder->height < 1 ||
            HeadlessBoxCount() != 0)
            std::abort();
        // Read every pixel, so that a surface smaller than it claims shows.
        const IDirectDrawSurface4* s = holder->surface;
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
