// Binding of the game module: each failure shows its one message, and a
// module that cannot be bound is never called while the engine waits for
// Escape with an empty loop.
#include "engine/host/binding.h"

#include <gtest/gtest.h>

#include "tests/support/harness.h"

namespace {

TEST(Binding, EachFailureShowsItsMessageOnceAndNothingIsCalled) {
    struct Case {
        ModuleVariant variant;
        bool faultLoad;
        const char* text;
    };
    const Case cases[] = {
        {MODULE_MISSING, false, "prog.so was not found or is not a valid DLL."},
        {MODULE_FULL, true, "prog.so was not found or is not a valid DLL."},
        {MODULE_NO_INTERFACE, false, "VProgInterface was not found in prog.so - invalid DLL"},
        {MODULE_NO_PROCEDURE, false, "VProgProcedure was not found in prog.so - invalid DLL"},
        {MODULE_NONE, false, "VProgInterface and VProgProcedure was not found in prog.so - invalid DLL"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EngineRun run(300, c.variant);
        if (c.faultLoad) HeadlessGetFaults()->loadLibrary = 1;
        run.Post(50, WM_KEYDOWN, 'A');
        run.Post(60, WM_MOUSEMOVE, 0, 0x00100010);
        run.Run();
        BoxList expected = {{"Error!", c.text}};
        EXPECT_EQ(Boxes(), expected);
        EXPECT_GE(timeGetTime(), 300u);  // it kept running until Escape
        for (ModuleVariant v : {MODULE_FULL, MODULE_NO_INTERFACE, MODULE_NO_PROCEDURE, MODULE_NONE}) {
            EXPECT_EQ(Recorder(v)->interfaceCalls, 0) << v;
            EXPECT_EQ(Recorder(v)->callCount, 0) << v;
        }
        EXPECT_FALSE(ModuleBound());
        EXPECT_EQ(prog.SetDisplayMode, nullptr);  // nothing was handed over
        EXPECT_EQ(HeadlessFramesPresented(), 0);
    }
}

}  // namespace
