#include "tests/support/recmod.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "platform/headless.h"

extern "C" __attribute__((visibility("default"))) RecState* recState;
RecState* recState = new RecState;
static RecState& rec = *recState;

PROG_EXPORT int VProgInterface(Prog* prog) {
    rec.interfaceCalls++;
    rec.callsBefore = int(rec.calls.size());
    rec.window = *prog->window != nullptr;
    rec.mciOpens = HeadlessMciOpenCount();
    rec.displayMode = prog->SetDisplayMode(1024, 768, 16);
    rec.prog = prog;
    if (getenv("REC_LOG")) prog->AddImage("", IMAGE_BLANK, 8, 8);  // for the exit clean-up to free
    return rec.interfaceResult;
}

PROG_EXPORT int VProgProcedure(int elapsed) {
    static const Prog none = {};
    const Prog& p = rec.prog ? *rec.prog : none;
    rec.calls.push_back({p.event, elapsed, p.key, p.mouseX, p.mouseY, timeGetTime(), HeadlessBoxCount(),
                         int(HeadlessFramesPresented()), HeadlessMciPlayCount()});
    return rec.procedureResult;
}

// With REC_LOG: "event elapsed mouseX mouseY" lines after the exit handlers; an image still held exits 9.
__attribute__((destructor)) static void WriteLog() {
    FILE* log = getenv("REC_LOG") && rec.prog ? fopen(getenv("REC_LOG"), "w") : nullptr;
    for (size_t i = 0; log && i < rec.calls.size(); ++i)
        fprintf(log, "%u %d %d %d\n", rec.calls[i].event, rec.calls[i].elapsed, rec.calls[i].mouseX,
                rec.calls[i].mouseY);
    if (log && fclose(log) == 0 && rec.prog->images) _exit(9);
}
