// Writes a large synthetic UFO 2 font for the scaling benchmark: many glyphs with
// contours of lines, curves and quadratic points, components, Unicode values,
// kerning classes and kerning pairs of every kind (class/class, class/glyph,
// glyph/glyph), and a feature text of classes, kerning, substitutions, ligatures,
// contexts and marks in proportion. The output is deterministic for a given glyph count.
//
//   make_synthetic_ufo <output.ufo> [glyph count]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kClassSize = 10;  // glyphs per kerning class

const char* kPlistHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
    "<plist version=\"1.0\">\n";

std::string glyphName(int index) {
  char text[32];
  std::snprintf(text, sizeof text, "g%05d%s", index, index % 7 == 0 ? ".alt" : "");
  return text;
}

// File names: lower case stays, so "g00001.alt" -> "g00001.alt.glif".
std::string fileName(int index) { return glyphName(index) + ".glif"; }

std::string leftClass(int index) { return "@MMK_L_class" + std::to_string(index); }
std::string rightClass(int index) { return "@MMK_R_class" + std::to_string(index); }

void point(std::string& out, int x, int y, const char* type, bool smooth = false) {
  out += "\t\t\t<point x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\"";
  if (type != nullptr) out += std::string(" type=\"") + type + "\"";
  if (smooth) out += " smooth=\"yes\"";
  out += "/>\n";
}

std::string glyphText(int index) {
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<glyph name=\"" + glyphName(index) +
                    "\" format=\"1\">\n";
  if (index % 3 != 2) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%04X", 0xE000 + index % 6400);
    out += std::string("\t<unicode hex=\"") + hex + "\"/>\n";
  }
  out += "\t<advance width=\"" + std::to_string(400 + index % 300) + "\"/>\n\t<outline>\n";
  const int shift = index % 37;
  // Outer contour: lines and cubic curves.
  out += "\t\t<contour>\n";
  point(out, 50 + shift, 0, "line");
  point(out, 450, 0, "line");
  point(out, 520, 80, nullptr);
  point(out, 520, 220, nullptr);
  point(out, 450, 300 + shift, "curve", true);
  point(out, 300, 700, "line");
  point(out, 200, 700, "line");
  point(out, 120, 650, nullptr);
  point(out, 60, 500, nullptr);
  point(out, 40, 300, "curve", true);
  out += "\t\t</contour>\n";
  // Inner contour: quadratic points.
  out += "\t\t<contour>\n";
  point(out, 200, 200 + shift, "qcurve", true);
  point(out, 300, 180, nullptr);
  point(out, 340, 260, "qcurve");
  point(out, 320, 360, nullptr);
  point(out, 220, 340, "qcurve");
  out += "\t\t</contour>\n";
  // An anchor-like single point.
  out += "\t\t<contour>\n\t\t\t<point name=\"top\" x=\"" + std::to_string(250 + shift) +
         "\" y=\"720\" type=\"move\"/>\n\t\t</contour>\n";
  if (index % 4 == 3) {
    out += "\t\t<component base=\"" + glyphName(index - 1) + "\" xOffset=\"" +
           std::to_string(10 + shift) + "\" yOffset=\"-5\"/>\n";
  }
  out += "\t</outline>\n</glyph>\n";
  return out;
}

bool writeFile(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  return static_cast<bool>(out);
}

std::string key(const std::string& name) { return "\t\t<key>" + name + "</key>\n"; }
std::string integer(int value) { return "\t\t<integer>" + std::to_string(value) + "</integer>\n"; }
std::string string(const std::string& value) { return "\t\t<string>" + value + "</string>\n"; }

std::string fontInfo() {
  std::string out = std::string(kPlistHead) + "\t<dict>\n";
  out += key("familyName") + string("Synthetic Sans");
  out += key("styleName") + string("Regular");
  out += key("unitsPerEm") + integer(1000);
  out += key("ascender") + integer(750);
  out += key("descender") + integer(-250);
  out += key("xHeight") + integer(500);
  out += key("capHeight") + integer(700);
  out += key("italicAngle") + integer(0);
  out += key("postscriptFontName") + string("SyntheticSans-Regular");
  out += key("versionMajor") + integer(1);
  out += key("versionMinor") + integer(0);
  out += "\t</dict>\n</plist>\n";
  return out;
}

// The feature text, in proportion to the glyphs: per block of 100 glyphs two kerning
// classes with 40 class pairs and 20 glyph pairs, a class substitution, five ligatures,
// three contextual rules, a mark class of two marks with its base and mark-to-mark rules.
// Blocks go into lookups of 50 blocks each, so that no subtable outgrows 16-bit offsets.
std::string featureText(int glyphs) {
  constexpr int kBlock = 100;
  constexpr int kGroup = 50;
  const int blocks = glyphs / kBlock;
  auto g = [](int index) { return glyphName(index); };
  auto range = [&](int first, int count) {
    std::string out = "[";
    for (int i = 0; i < count; ++i) out += (i ? " " : "") + g(first + i);
    return out + "]";
  };
  std::string text = "languagesystem DFLT dflt;\nlanguagesystem latn dflt;\n\n";
  for (int b = 0; b < blocks; ++b) {
    text += "@KL_" + std::to_string(b) + " = " + range(b * kBlock, 10) + ";\n";
    text += "@KR_" + std::to_string(b) + " = " + range(b * kBlock + 10, 10) + ";\n";
    text += "markClass [" + g(b * kBlock + 90) + " " + g(b * kBlock + 91) + "] <anchor 0 500> @M_" +
            std::to_string(b / kGroup) + ";\n";
  }
  std::string features[6];  // kern, smcp, liga, calt, mark, mkmk
  const char* tags[6] = {"kern", "smcp", "liga", "calt", "mark", "mkmk"};
  for (int first = 0; first < blocks; first += kGroup) {
    const int last = std::min(blocks, first + kGroup);
    const std::string n = std::to_string(first / kGroup);
    std::string lookups[6];
    std::string classPairs;  // after the glyph pairs, which would otherwise open subtables
    for (int b = first; b < last; ++b) {
      const int base = b * kBlock;
      for (int k = 0; k < 20; ++k) {
        lookups[0] += "  pos " + g(base + 20 + k) + " " + g(base + 40 + (k * 7) % 50) + " " + std::to_string(-5 - k) + ";\n";
      }
      for (int k = 0; k < 40; ++k) {
        const int other = first + (b - first + k * 3 + 1) % (last - first);
        classPairs += "  pos @KL_" + std::to_string(b) + " @KR_" + std::to_string(other) + " " +
                      std::to_string(-10 - (b + k) % 60) + ";\n";
      }
      lookups[1] += "  sub " + range(base + 20, 10) + " by " + range(base + 30, 10) + ";\n";
      for (int k = 0; k < 5; ++k) {
        lookups[2] += "  sub " + g(base + 40) + " " + g(base + 41 + k) + " by " + g(base + 50 + k) + ";\n";
      }
      for (int k = 0; k < 3; ++k) {
        lookups[3] += "  sub " + g(base + 60 + k) + "' " + g(base + 65 + k) + " by " + g(base + 70 + k) + ";\n";
      }
      lookups[4] += "  pos base " + range(base, 20) + " <anchor 250 600> mark @M_" + n + ";\n";
      lookups[5] += "  pos mark " + g(base + 92) + " <anchor 0 800> mark @M_" + n + ";\n";
    }
    lookups[0] += classPairs;
    for (int f = 0; f < 6; ++f) {
      const std::string name = std::string(tags[f]) + "_" + n;
      text += "lookup " + name + " useExtension {\n" + lookups[f] + "} " + name + ";\n";
      features[f] += "  lookup " + name + ";\n";
    }
  }
  for (int f = 0; f < 6; ++f) text += "feature " + std::string(tags[f]) + " {\n" + features[f] + "} " + tags[f] + ";\n";
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <output.ufo> [glyph count]\n", argv[0]);
    return 2;
  }
  const fs::path folder = argv[1];
  const int glyphs = argc > 2 ? std::atoi(argv[2]) : 60000;
  if (glyphs < 1000) {
    std::fprintf(stderr, "glyph count too small\n");
    return 2;
  }
  std::error_code error;
  fs::remove_all(folder, error);
  fs::create_directories(folder / "glyphs");

  bool ok = writeFile(folder / "metainfo.plist",
                      std::string(kPlistHead) +
                          "\t<dict>\n\t\t<key>creator</key>\n\t\t<string>org.tarnwick.bench</string>\n"
                          "\t\t<key>formatVersion</key>\n\t\t<integer>2</integer>\n\t</dict>\n</plist>\n");
  ok = ok && writeFile(folder / "fontinfo.plist", fontInfo());

  std::string contents = std::string(kPlistHead) + "\t<dict>\n";
  std::string order = std::string(kPlistHead) + "\t<dict>\n\t\t<key>public.glyphOrder</key>\n\t\t<array>\n";
  for (int i = 0; i < glyphs && ok; ++i) {
    contents += key(glyphName(i)) + string(fileName(i));
    order += "\t\t\t<string>" + glyphName(i) + "</string>\n";
    ok = writeFile(folder / "glyphs" / fileName(i), glyphText(i));
  }
  contents += "\t</dict>\n</plist>\n";
  order += "\t\t</array>\n\t</dict>\n</plist>\n";
  ok = ok && writeFile(folder / "glyphs" / "contents.plist", contents);
  ok = ok && writeFile(folder / "lib.plist", order);

  // Kerning classes: consecutive runs of glyphs; left classes cover the first 40% of
  // the font, right classes 50% to 90%, so no glyph is in two classes of one side and
  // some glyphs stay outside every class.
  const int classes = glyphs * 4 / 10 / kClassSize;
  const int rightStart = glyphs / 2;
  const int plainFirst = classes * kClassSize;       // glyphs kerned one by one ...
  const int plainSecond = rightStart + plainFirst;   // ... against these
  std::string groups = std::string(kPlistHead) + "\t<dict>\n";
  for (int c = 0; c < classes; ++c) {
    groups += key(leftClass(c)) + "\t\t<array>\n";
    for (int m = 0; m < kClassSize; ++m) groups += "\t\t\t<string>" + glyphName(c * kClassSize + m) + "</string>\n";
    groups += "\t\t</array>\n";
    groups += key(rightClass(c)) + "\t\t<array>\n";
    for (int m = 0; m < kClassSize; ++m)
      groups += "\t\t\t<string>" + glyphName(rightStart + c * kClassSize + m) + "</string>\n";
    groups += "\t\t</array>\n";
  }
  groups += "\t</dict>\n</plist>\n";
  ok = ok && writeFile(folder / "groups.plist", groups);

  // Kerning: each left class against sixteen right classes and two single glyphs; each
  // glyph between the classes against four single glyphs.
  auto pair = [](const std::string& second, int value) {
    return "\t\t\t<key>" + second + "</key>\n\t\t\t<integer>" + std::to_string(value) + "</integer>\n";
  };
  std::string kerning = std::string(kPlistHead) + "\t<dict>\n";
  for (int c = 0; c < classes; ++c) {
    kerning += key(leftClass(c)) + "\t\t<dict>\n";
    for (int k = 0; k < 16; ++k) kerning += pair(rightClass((c * 7 + k * 13) % classes), -10 - (c + k) % 60);
    for (int k = 0; k < 2; ++k) kerning += pair(glyphName(plainSecond + (c * 3 + k) % (glyphs - plainSecond)), 5 + k);
    kerning += "\t\t</dict>\n";
  }
  for (int i = plainFirst; i < rightStart; ++i) {
    kerning += key(glyphName(i)) + "\t\t<dict>\n";
    for (int k = 1; k <= 4; ++k) kerning += pair(glyphName(plainSecond + (i + k * 101) % (glyphs - plainSecond)), -k * 7);
    kerning += "\t\t</dict>\n";
  }
  kerning += "\t</dict>\n</plist>\n";
  ok = ok && writeFile(folder / "kerning.plist", kerning);
  ok = ok && writeFile(folder / "features.fea", featureText(glyphs));

  if (!ok) {
    std::fprintf(stderr, "cannot write %s\n", folder.c_str());
    return 1;
  }
  return 0;
}
