// Loading a module by file name: only from the module folder (by default the
// program's own folder), never from the current directory.
#include <limits.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "tests/platform/platform_fixture.h"

namespace {

const char* kModule = "platform_testmod.so";  // built beside this test program

std::string ProgramFolder() {
    char path[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    path[n > 0 ? n : 0] = '\0';
    std::string s = path;
    return s.substr(0, s.rfind('/'));
}

class LoaderTest : public PlatformTest {
  protected:
    std::string oldCwd;
    std::string empty;

    void SetUp() override {
        PlatformTest::SetUp();
        char cwd[PATH_MAX];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        oldCwd = cwd;
        char pattern[] = "/tmp/platform_loader_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        empty = pattern;
    }
    void TearDown() override {
        EXPECT_EQ(chdir(oldCwd.c_str()), 0);
        rmdir(empty.c_str());
        PlatformSetModuleDir(nullptr);
        PlatformTest::TearDown();
    }
};

TEST_F(LoaderTest, ModuleFolderIsTheProgramsOwnByDefault) { EXPECT_EQ(PlatformModuleDir(), ProgramFolder()); }

TEST_F(LoaderTest, FindsTheModuleInTheProgramFolderFromAnywhere) {
    ASSERT_EQ(chdir(empty.c_str()), 0);
    HMODULE module = LoadLibraryA(kModule);
    ASSERT_NE(module, nullptr);
    typedef int (*Answer)();
    Answer answer =
        reinterpret_cast<Answer>(reinterpret_cast<void*>(GetProcAddress(module, "PlatformTestModuleAnswer")));
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    EXPECT_EQ(GetProcAddress(module, "NoSuchExport"), nullptr);
    EXPECT_EQ(GetProcAddress(nullptr, "PlatformTestModuleAnswer"), nullptr);
}

TEST_F(LoaderTest, NeverLooksInTheCurrentDirectory) {
    // Stand in the folder that holds the module, and point the module folder
    // elsewhere: the module must not be found.
    ASSERT_EQ(chdir(ProgramFolder().c_str()), 0);
    PlatformSetModuleDir(empty.c_str());
    EXPECT_STREQ(PlatformModuleDir(), empty.c_str());
    testing::internal::CaptureStderr();
    EXPECT_EQ(LoadLibraryA(kModule), nullptr);
    testing::internal::GetCapturedStderr();
    PlatformSetModuleDir(nullptr);
    EXPECT_EQ(PlatformModuleDir(), ProgramFolder());
    EXPECT_NE(LoadLibraryA(kModule), nullptr);
}

TEST_F(LoaderTest, MissingModuleAndFault) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(LoadLibraryA("no_such_module.so"), nullptr);
    EXPECT_EQ(LoadLibraryA(""), nullptr);
    EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
    testing::internal::GetCapturedStderr();
    HeadlessGetFaults()->loadLibrary = 1;
    EXPECT_EQ(LoadLibraryA(kModule), nullptr);
    EXPECT_NE(LoadLibraryA(kModule), nullptr);
}

TEST_F(LoaderTest, ProgramHandleIsNotNull) { EXPECT_NE(GetModuleHandleA(nullptr), nullptr); }

}  // namespace
