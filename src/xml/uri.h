// URIs and the base location of a UFO folder.
//
// Uri parses and composes generic URI text and resolves relative references.
// UriBase, which names the files of a folder on disk, does not parse URIs: a
// path on disk is joined with a member name literally, so "#", "?", "%20" and
// ".." in a folder or member name mean just those characters.
#pragma once

#include <string>
#include <vector>

namespace xml {

class Uri {
 public:
  Uri() = default;
  explicit Uri(const std::string& text) { parse(text); }

  void parse(const std::string& text);
  std::string toString() const;
  // The reference resolved against the base (relative references as in
  // RFC 2396 section 5.2); dot segments are removed for relative paths.
  static Uri resolve(const Uri& base, const Uri& reference);
  void removeDotSegments();
  // Decodes every "%" followed by two hexadecimal digits into its byte.
  static std::string decodePercent(const std::string& text);

  std::string text;
  std::string scheme;
  std::string authority;
  std::string path;
  std::string directory;
  std::string query;
  std::string fragment;
  std::string opaque;
  bool absolute = false;
  bool hasScheme = false;
  bool hasAuthority = false;
  bool hasQuery = false;
  bool hasFragment = false;
  bool isOpaque = false;
  std::vector<std::string> segments;
};

// The folder that member names are resolved against.
class UriBase {
 public:
  virtual ~UriBase() = default;
  // The folder path; a separator is added when it does not end with one.
  virtual void setBase(const std::string& folder);
  virtual std::string getBase() const;
  // The folder path followed by the member name, taken literally.
  virtual std::string resolve(const std::string& member) const;

 private:
  std::string base_;
};

// Marks the writing and reading sides.
class UriWriter {};
class UriReader {};

}  // namespace xml
