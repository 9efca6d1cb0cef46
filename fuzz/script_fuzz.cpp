// Fuzzes the headless runner's script parser. Whatever the text, it either
// gives events in time order, each a message the runner knows, or refuses
// with a one-line "line N: ..." explanation.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/host/runner.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<ScriptEvent> events;
    std::string error;
    if (!ParseScript(text, &events, &error)) {
        if (error.compare(0, 5, "line ") != 0 || error.find('\n') != std::string::npos) std::abort();
        return 0;
    }
    DWORD last = 0;
    for (const ScriptEvent& e : events) {
        if (e.ms < last || e.ms > 0x7FFFFFFF) std::abort();
        last = e.ms;
        switch (e.message) {
            case WM_MOUSEMOVE:
            case WM_LBUTTONDOWN:
            case WM_LBUTTONUP:
            case WM_RBUTTONDOWN:
            case WM_RBUTTONUP:
            case WM_CLOSE:
                break;
            case WM_KEYDOWN:
            case WM_KEYUP:
                if (e.wParam < 1 || e.wParam > 255) std::abort();
                break;
            case WM_ACTIVATEAPP:
                if (e.wParam > 1) std::abort();
                break;
            default:
                std::abort();
        }
    }
    return 0;
}
