// Shared pieces of the layout-road hostile tests: the bound every run must keep, special
// files put where a UFO member or an include belongs, and archives built from folders.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "layout_hostile_run.h"
#include "sanitized_build.h"

namespace layout_road {

namespace fs = std::filesystem;
using layout_hostile::readAll;
using layout_hostile::repeat;
using layout_hostile::RunResult;
using layout_hostile::RunSetting;
using layout_hostile::ScratchFolder;
using layout_hostile::writeFile;
using layout_hostile::writeUfo;

// Wall time of one run: every input here ends far sooner in a release build; the
// sanitizers slow the program down several times.
inline constexpr double kSecondsBound = hostile::kSanitized ? 60 : 10;

// What stands where a regular file is expected.
enum class Special { kFifo, kZeroLink, kRandomLink, kFolder };
const char* specialName(Special kind);
void makeSpecial(const fs::path& path, Special kind);

// A run that ended in order within the bounds, with the exit code and, when it failed,
// a message holding `needle`.
void expectBounded(const RunResult& result, int exitCode, const std::string& needle, const std::string& what);

// The program and otltool with arguments, in the scratch folder's log.
RunResult program(const std::vector<std::string>& arguments, const fs::path& scratch, const RunSetting& setting = {});
RunResult tool(const std::vector<std::string>& arguments, const fs::path& scratch, const RunSetting& setting = {});

// Packs the folder tree `folder` into a zip archive whose entries begin with `root` + "/".
void packFolder(const fs::path& folder, const std::string& root, const fs::path& archive);

// Glyph names g0 ... g<count - 1>, one a line.
void writeGlyphList(const fs::path& path, int count);

// Everything below a folder, as relative names; empty when it does not exist.
std::vector<std::string> listTree(const fs::path& folder);

}  // namespace layout_road
