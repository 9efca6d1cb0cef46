// Loading a module by file name: only from the module folder (by default the
// program's own folder), never from the current directory.
#include <elf.h>
#include <limits.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/support/harness.h"

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

TEST_F(LoaderTest, LoadsFromTheModuleFolderNeverFromTheCurrentDirectory) {
    EXPECT_EQ(PlatformModuleDir(), ProgramFolder());
    ASSERT_EQ(chdir(empty.c_str()), 0);
    HMODULE module = LoadLibraryA(kModule);
    ASSERT_NE(module, nullptr);
    typedef int (*Answer)();
    Answer answer =
        reinterpret_cast<Answer>(reinterpret_cast<void*>(GetProcAddress(module, "PlatformTestModuleAnswer")));
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    EXPECT_EQ(GetProcAddress(module, "NoSuchExport"), nullptr);
    EXPECT_NE(GetModuleHandleA(nullptr), nullptr);

    // Stand in the folder that holds the module, with the module folder
    // elsewhere: the module must not be found.
    ASSERT_EQ(chdir(ProgramFolder().c_str()), 0);
    PlatformSetModuleDir(empty.c_str());
    testing::internal::CaptureStderr();
    EXPECT_EQ(LoadLibraryA(kModule), nullptr);
    testing::internal::GetCapturedStderr();
}

// The program's own path, in the module folder, as the engine builds the
// module's full path from it; cut to fit as Windows does.
TEST_F(LoaderTest, ProgramFileNameLiesInTheModuleFolder) {
    char exe[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    ASSERT_GT(n, 0);
    exe[n] = '\0';
    const std::string name = std::string(exe).substr(std::string(exe).rfind('/'));
    char path[PATH_MAX];
    const std::string own = ProgramFolder() + name, moved = empty + name;
    EXPECT_EQ(GetModuleFileNameA(nullptr, path, sizeof path), own.size());
    EXPECT_EQ(path, own);
    PlatformSetModuleDir(empty.c_str());
    EXPECT_EQ(GetModuleFileNameA(nullptr, path, sizeof path), moved.size());
    EXPECT_EQ(path, moved);
    char small[8];
    EXPECT_EQ(GetModuleFileNameA(nullptr, small, sizeof small), sizeof small);
    EXPECT_EQ(std::string(small), moved.substr(0, 7));
    EXPECT_EQ(GetModuleFileNameA(nullptr, small, 0), 0u);
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

// The dynamic loader maps a library's segments without comparing them with
// the file's length, so a cut-off library raised SIGBUS inside dlopen. Such a
// file must be refused before it is mapped.
TEST_F(LoaderTest, LibraryCutOffInsideItsSegmentsIsRefused) {
    std::ifstream in(ProgramFolder() + "/" + kModule, std::ios::binary);
    const std::string whole((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(whole.size(), sizeof(Elf64_Ehdr));
    // Where the last segment that is mapped from the file ends.
    const Elf64_Ehdr* header = reinterpret_cast<const Elf64_Ehdr*>(whole.data());
    const Elf64_Phdr* segments = reinterpret_cast<const Elf64_Phdr*>(whole.data() + header->e_phoff);
    size_t end = 0;
    for (int i = 0; i < header->e_phnum; ++i) {
        if (segments[i].p_type == PT_LOAD) end = std::max<size_t>(end, segments[i].p_offset + segments[i].p_filesz);
    }
    ASSERT_GT(end, 4096u);
    // Cut in its segment table, halfway through its segments, and one byte short.
    for (size_t cut : {size_t(200), end / 2, end - 1}) {
        SCOPED_TRACE(cut);
        const std::string path = empty + "/cut.so";
        std::ofstream(path, std::ios::binary) << whole.substr(0, cut);
        testing::internal::CaptureStderr();
        EXPECT_EQ(LoadLibraryA(path.c_str()), nullptr);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find("file too short for its segments"), std::string::npos) << err;
        unlink(path.c_str());
    }
}

}  // namespace
