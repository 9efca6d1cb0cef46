#include <elf.h>
#include <unistd.h>

#include <cstring>

#include "tests/support/harness.h"

struct LoaderTest : PlatformTest {
    support::TempDir empty{true};  // the current directory
    std::string program = std::filesystem::read_symlink("/proc/self/exe"), err;
    std::string folder = program.substr(0, program.rfind('/'));
    void TearDown() override { PlatformSetModuleDir(nullptr), PlatformTest::TearDown(); }
    HMODULE Load(const char* name) {  // keeps what it printed in err
        testing::internal::CaptureStderr();
        HMODULE loaded = LoadLibraryA(name);
        err = testing::internal::GetCapturedStderr();
        return loaded;
    }
};

// The module folder defaults to the program's; the engine builds the module's path from the program's.
TEST_F(LoaderTest, LoadsFromTheModuleFolderNeverFromTheCurrentDirectory) {
    HMODULE loaded = Load("platform_testmod.so");
    auto answer =
        reinterpret_cast<int (*)()>(reinterpret_cast<void*>(GetProcAddress(loaded, "PlatformTestModuleAnswer")));
    EXPECT_EQ(answer ? answer() : 0, 42);
    EXPECT_EQ(GetProcAddress(loaded, "NoSuchExport"), nullptr);
    HeadlessGetFaults()->loadLibrary = FailNext();
    EXPECT_EQ(Load("platform_testmod.so"), nullptr);
    char path[4096], small[8];
    EXPECT_TRUE(GetModuleFileNameA(nullptr, path, sizeof path) == program.size() && path == program) << path;
    ASSERT_EQ(chdir(folder.c_str()), 0);  // standing beside the module, with the module folder elsewhere
    PlatformSetModuleDir(empty.path.c_str());
    for (const char* name : {"platform_testmod.so", "", (const char*)nullptr}) EXPECT_EQ(Load(name), nullptr);
    EXPECT_EQ(GetModuleFileNameA(nullptr, small, sizeof small), sizeof small);
    EXPECT_EQ(small, (empty.path + program.substr(folder.size())).substr(0, 7));
}

// dlopen maps segments without checking the file's length (SIGBUS); anything but 64-bit is left to it.
TEST_F(LoaderTest, LibraryCutOffInsideItsSegmentsIsRefused) {
    const std::string whole = support::ReadFile(folder + "/platform_testmod.so");
    const Elf64_Ehdr* header = reinterpret_cast<const Elf64_Ehdr*>(whole.data());
    const Elf64_Phdr* segments = reinterpret_cast<const Elf64_Phdr*>(whole.data() + header->e_phoff);
    size_t end = 0;  // where the last segment mapped from the file ends
    for (int i = 0; i < header->e_phnum; ++i)
        if (segments[i].p_type == PT_LOAD) end = std::max<size_t>(end, segments[i].p_offset + segments[i].p_filesz);
    ASSERT_GT(end, 4096u);
    // cut in its segment table, halfway through its segments, one byte short; a 32-bit one cut in its table
    const size_t cases[][2] = {{200, ELFCLASS64}, {end / 2, ELFCLASS64}, {end - 1, ELFCLASS64}, {200, ELFCLASS32}};
    for (auto [cut, elfClass] : cases) {
        std::string bytes = whole.substr(0, cut);
        bytes[EI_CLASS] = char(elfClass);
        support::WriteFile(empty / "cut.so", bytes);
        EXPECT_EQ(Load((empty / "cut.so").c_str()), nullptr);
        EXPECT_EQ(err.find("file too short for its segments") != std::string::npos, elfClass == ELFCLASS64) << err;
    }
    std::string late = whole;  // whole, but its first segment starts at the end
    Elf64_Phdr first;
    std::memcpy(&first, late.data() + header->e_phoff, sizeof first);
    first.p_type = PT_LOAD, first.p_offset = late.size(), first.p_filesz = 1;
    std::memcpy(late.data() + header->e_phoff, &first, sizeof first);
    support::WriteFile(empty / "late.so", late);
    EXPECT_EQ(Load((empty / "late.so").c_str()), nullptr);
    EXPECT_NE(err.find("file too short for its segments"), std::string::npos) << err;
}
