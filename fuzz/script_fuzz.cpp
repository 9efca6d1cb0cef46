// The headless runner's script parser: whatever the text, events in time order, each a message the runner
// knows with a valid parameter, or a refusal with a one-line "line N: ..." explanation.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/headless/runner.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<ScriptEvent> events;
    std::string error;
    if (!ParseScript(std::string(reinterpret_cast<const char*>(data), size), &events, &error)) {
        if (error.compare(0, 5, "line ") != 0 || error.find('\n') != std::string::npos) std::abort();
        return 0;
    }
    DWORD last = 0;
    for (const ScriptEvent& e : events) {
        if (e.ms < last || e.ms > 0x7FFFFFFF) std::abort();
        last = e.ms;
        const UINT m = e.message;
        const bool key = m == WM_KEYDOWN || m == WM_KEYUP, activate = m == WM_ACTIVATEAPP;
        const bool plain = m == WM_MOUSEMOVE || m == WM_LBUTTONDOWN || m == WM_LBUTTONUP || m == WM_RBUTTONDOWN ||
                           m == WM_RBUTTONUP || m == WM_CLOSE;
        if (!(plain || (key && e.wParam >= 1 && e.wParam <= 255) || (activate && e.wParam <= 1))) std::abort();
    }
    return 0;
}
