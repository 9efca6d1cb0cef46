// Binding of the game module: each failure shows its one message, and a
// module that cannot be bound is never called.
#include "engine/host/binding.h"

#include <gtest/gtest.h>

#include "tests/engine/harness.h"

namespace {

// Runs the engine with the given variant and checks that exactly one box,
// "Error!" with text, was shown, that no entry point was called, and that the
// engine still ended normally on Escape.
void ExpectBindingFailure(ModuleVariant variant, const char* text, bool faultLoad = false) {
    EngineRun run;
    PrepareEngine(&run, variant);
    if (faultLoad) HeadlessGetFaults()->loadLibrary = 1;
    run.runMs = 300;
    EXPECT_EQ(RunEngine(&run), 0);
    auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].first, "Error!");
    EXPECT_EQ(boxes[0].second, text);
    EXPECT_FALSE(run.stuck);
    EXPECT_GE(timeGetTime(), 300u);  // it kept running until Escape
    for (ModuleVariant v : {MODULE_FULL, MODULE_NO_INTERFACE, MODULE_NO_PROCEDURE, MODULE_NONE}) {
        EXPECT_EQ(Recorder(v)->interfaceCalls, 0) << v;
        EXPECT_EQ(Recorder(v)->callCount, 0) << v;
    }
    EXPECT_FALSE(ModuleBound());
    EXPECT_EQ(prog.SetDisplayMode, nullptr);  // nothing was handed over
    EXPECT_EQ(HeadlessFramesPresented(), 0);
}

TEST(Binding, MissingLibraryNamesTheFile) {
    ExpectBindingFailure(MODULE_MISSING, "prog.so was not found or is not a valid DLL.");
}

TEST(Binding, LibraryThatCannotBeLoaded) {
    ExpectBindingFailure(MODULE_FULL, "prog.so was not found or is not a valid DLL.", true);
}

TEST(Binding, LibraryWithoutVProgInterface) {
    ExpectBindingFailure(MODULE_NO_INTERFACE, "VProgInterface was not found in prog.so - invalid DLL");
    // The procedure that was found stays stored, and was still not called.
    EXPECT_NE(boundProcedure, nullptr);
    EXPECT_EQ(boundInterface, nullptr);
}

TEST(Binding, LibraryWithoutVProgProcedure) {
    ExpectBindingFailure(MODULE_NO_PROCEDURE, "VProgProcedure was not found in prog.so - invalid DLL");
    EXPECT_NE(boundInterface, nullptr);
    EXPECT_EQ(boundProcedure, nullptr);
}

TEST(Binding, LibraryWithNeitherExport) {
    ExpectBindingFailure(MODULE_NONE, "VProgInterface and VProgProcedure was not found in prog.so - invalid DLL");
}

TEST(Binding, UnboundEngineIgnoresInputAndClosesOnWindowClose) {
    EngineRun run;
    PrepareEngine(&run, MODULE_MISSING);
    PostAt(&run, 50, WM_KEYDOWN, 'A');
    PostAt(&run, 60, WM_MOUSEMOVE, 0, 0x00100010);
    PostAt(&run, 70, WM_CLOSE);
    run.runMs = 100000;
    EXPECT_EQ(RunEngine(&run), 0);
    EXPECT_EQ(timeGetTime(), 70u);
    EXPECT_EQ(Boxes().size(), 1u);
}

}  // namespace
