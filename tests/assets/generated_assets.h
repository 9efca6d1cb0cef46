// Runs the asset maker for the tests and hands out the folder it wrote.
#pragma once
#include <string>

// A temporary folder holding the four files of one assetgen run, made once per test process and removed at exit.
const std::string& GeneratedAssetsDir();
// Runs assetgen with the given arguments (already quoted for the shell); returns its exit status, or -1.
int RunAssetgen(const std::string& arguments);
// A fresh empty temporary folder, removed at exit.
std::string MakeTempDir();
