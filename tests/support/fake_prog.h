// A Prog record whose services are local functions that record every call,
// for driving the set-up and the frame driver in-process.
#pragma once
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "interface/prog.h"

namespace fake {

inline std::vector<std::string>& Calls() {
    static std::vector<std::string> calls;
    return calls;
}
inline std::vector<std::string>& Reports() {
    static std::vector<std::string> reports;
    return reports;
}
inline int& DisplayResult() {
    static int result = 1;
    return result;
}
inline std::string& MissingImage() {
    static std::string name;
    return name;
}

// Image handles the game only stores, never reads.
inline Image* ImageFor(const std::string& name) {
    static char storage[3];
    const char* names[3] = {"tiles.bmp", "sprites.bmp", "text.bmp"};
    for (int i = 0; i < 3; ++i)
        if (name == names[i]) return reinterpret_cast<Image*>(&storage[i]);
    return nullptr;
}

inline int SetDisplayMode(int w, int h, int bpp) {
    Calls().push_back("SetDisplayMode " + std::to_string(w) + " " + std::to_string(h) + " " + std::to_string(bpp));
    return DisplayResult();
}
inline Image* AddImage(const char* path, int mode, int w, int h) {
    Calls().push_back(std::string("AddImage ") + path + " " + std::to_string(mode) + " " + std::to_string(w) + " " +
                      std::to_string(h));
    return MissingImage() == path ? nullptr : ImageFor(path);
}
inline int Report(const char* text) {
    Calls().push_back(std::string("Report ") + text);
    Reports().push_back(text);
    return 1;
}

// A record as the engine fills it before calling VProgInterface.
inline Prog MakeProg() {
    Calls().clear();
    Reports().clear();
    DisplayResult() = 1;
    MissingImage().clear();
    Prog prog{};
    prog.event = 2003;
    prog.SetDisplayMode = SetDisplayMode;
    prog.AddImage = AddImage;
    prog.Report = Report;
    prog.DrawTileMap = [](TileMap*) { return 1; };
    prog.DrawSprite = [](Sprite*) { return 1; };
    prog.RenderFrame = [] { return 1; };
    return prog;
}

// Runs a test in a fresh empty folder (the high-score file is relative).
struct TempDir {
    std::filesystem::path old, path;
    TempDir() {
        std::error_code error;
        old = std::filesystem::current_path(error);
        for (int attempt = 0; attempt < 100 && path.empty(); ++attempt) {
            std::filesystem::path candidate =
                std::filesystem::temp_directory_path(error) / ("core_test." + std::to_string(std::rand()));
            if (std::filesystem::create_directory(candidate, error)) path = candidate;
        }
        if (!path.empty()) std::filesystem::current_path(path, error);
        if (error) path.clear();
    }
    ~TempDir() {
        std::error_code error;
        std::filesystem::current_path(old, error);
        if (!error && !path.empty()) std::filesystem::remove_all(path, error);
    }
};

}  // namespace fake
