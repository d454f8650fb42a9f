// otltool: the layout stack's test tool. It drives one layout path at a time (feature
// file, binary tables, layout model, generated text, layout XML document) so that tests
// and outside judges can reach each path without a whole font.
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "otltool/tool_io.h"
#include "otltool/verbs.h"

namespace {

void printUsage() {
  std::fputs("usage: otltool VERB ARGUMENTS\nverbs:\n", stderr);
  for (const otltool::Verb& verb : otltool::verbs()) {
    std::fprintf(stderr, "  %-10s %s\n", verb.name, verb.arguments);
  }
}

// Number of words in a verb's argument text.
size_t argumentCount(const char* text) {
  size_t count = 0;
  bool inWord = false;
  for (const char* c = text; *c; ++c) {
    const bool blank = *c == ' ';
    if (!blank && !inWord) ++count;
    inWord = !blank;
  }
  return count;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    printUsage();
    return 1;
  }
  for (const otltool::Verb& verb : otltool::verbs()) {
    if (std::strcmp(argv[1], verb.name) != 0) continue;
    otltool::Arguments arguments(argv + 2, argv + argc);
    if (arguments.size() != argumentCount(verb.arguments)) {
      std::fprintf(stderr, "usage: otltool %s %s\n", verb.name, verb.arguments);
      return 1;
    }
    try {
      return verb.run(arguments);
    } catch (const otltool::ToolError& error) {
      std::fprintf(stderr, "otltool: %s\n", error.what());
      return 1;
    } catch (const std::exception& error) {
      std::fprintf(stderr, "otltool: %s\n", error.what());
      return 1;
    }
  }
  std::fprintf(stderr, "otltool: unknown verb \"%s\"\n", argv[1]);
  printUsage();
  return 1;
}
