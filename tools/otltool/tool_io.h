// Input and output of otltool: the glyph-order file and the folder of raw table files.
#pragma once

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace otltool {

// A rejected input; main prints its text on the standard error stream and exits 1.
class ToolError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The names of the layout tables a table folder may hold, in the order they are written.
const std::vector<std::string>& tableNames();

// Raw table bytes by table name ("GSUB", "GPOS", "GDEF"); absent tables are left out.
using TableSet = std::map<std::string, std::string>;

// One glyph name a line, line 1 is glyph 0; a final line feed and carriage returns are
// ignored. An empty line or a file over the size limit is a ToolError.
std::vector<std::string> readGlyphOrder(const std::string& path);

// Reads the table files of a folder; a table whose file is missing is absent.
TableSet readTableFolder(const std::string& folder);

// Writes each non-empty table into the folder (made when missing); an empty table's file
// is removed. Each file is written under a temporary name and moved into place.
void writeTableFolder(const std::string& folder, const TableSet& tables);

// Reads a whole regular file (bounded by the size limit); ToolError when it cannot.
std::string readWholeFile(const std::string& path);

// Writes a whole file under a temporary name beside it, then moves it into place.
void writeWholeFile(const std::string& path, const std::string& bytes);

}  // namespace otltool
