#include "xml/uri.h"

namespace xml {
namespace {

bool isSeparator(char c) { return c == '/' || c == '\\'; }

std::string::size_type findSeparator(const std::string& text, std::string::size_type from = 0) {
  return text.find_first_of("/\\", from);
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string joinSegments(const std::vector<std::string>& segments) {
  std::string out;
  for (std::size_t i = 0; i < segments.size(); ++i) {
    if (i > 0) out += '/';
    out += segments[i];
  }
  return out;
}

}  // namespace

void Uri::parse(const std::string& input) {
  *this = Uri();
  text = input;
  std::string rest = input;

  if (auto hash = rest.find('#'); hash != std::string::npos) {
    fragment = rest.substr(hash + 1);
    rest.erase(hash);
    hasFragment = true;
  }
  if (auto colon = rest.find(':'); colon != std::string::npos) {
    scheme = rest.substr(0, colon);
    rest.erase(0, colon + 1);
    hasScheme = true;
    if (!rest.empty() && !isSeparator(rest[0])) {
      opaque = rest;
      isOpaque = true;
      return;
    }
  }
  if (auto question = rest.find('?'); question != std::string::npos) {
    query = rest.substr(question + 1);
    rest.erase(question);
    hasQuery = true;
  }
  if (rest.empty() || (!hasScheme && !isSeparator(rest[0]))) {
    absolute = false;
  } else {
    absolute = true;
    if (rest.size() >= 2 && isSeparator(rest[0]) && rest[1] == rest[0]) {
      auto end = findSeparator(rest, 2);
      authority = rest.substr(2, end == std::string::npos ? std::string::npos : end - 2);
      hasAuthority = true;
      rest = end == std::string::npos ? std::string() : rest.substr(end + 1);
      if (end == std::string::npos) return;  // the authority took the whole rest
    } else {
      rest.erase(0, 1);
    }
  }
  path = rest;
  std::string::size_type start = 0;
  for (auto sep = findSeparator(rest); sep != std::string::npos; sep = findSeparator(rest, start)) {
    segments.push_back(rest.substr(start, sep - start));
    directory = rest.substr(0, sep);
    start = sep + 1;
  }
  segments.push_back(rest.substr(start));
  if (rest.empty() && !absolute) segments.clear();
}

std::string Uri::toString() const {
  // Appended piece by piece (temporaries from "+" trip a false -Wrestrict in GCC 12).
  std::string out;
  if (isOpaque) {
    out.append(scheme).append(":").append(opaque);
  } else {
    if (hasScheme) out.append(scheme).append(":");
    if (absolute) {
      if (hasAuthority) out.append("//").append(authority);
      if (!segments.empty()) out.append("/").append(joinSegments(segments));
    } else {
      out += joinSegments(segments);
    }
    if (hasQuery) out.append("?").append(query);
  }
  if (hasFragment) out.append("#").append(fragment);
  return out;
}

void Uri::removeDotSegments() {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < segments.size(); ++i) {
    const bool last = i + 1 == segments.size();
    const std::string& segment = segments[i];
    if (segment == ".") {
      if (last) out.emplace_back();
      continue;
    }
    if (segment == ".." && !out.empty() && out.back() != "..") {
      out.pop_back();
      if (last) out.emplace_back();
      continue;
    }
    out.push_back(segment);
  }
  segments = std::move(out);
}

Uri Uri::resolve(const Uri& base, const Uri& reference) {
  const bool emptyReference = reference.segments.empty() && !reference.hasScheme &&
                              !reference.hasAuthority && !reference.hasQuery;
  Uri result = base;
  if (emptyReference) {
    result.hasFragment = reference.hasFragment;
    result.fragment = reference.fragment;
    result.text = result.toString();
    return result;
  }
  if (reference.hasScheme) return reference;
  result.query = reference.query;
  result.hasQuery = reference.hasQuery;
  result.fragment = reference.fragment;
  result.hasFragment = reference.hasFragment;
  result.isOpaque = false;
  if (reference.hasAuthority || reference.absolute) {
    if (reference.hasAuthority) {
      result.authority = reference.authority;
      result.hasAuthority = true;
    }
    result.absolute = true;
    result.segments = reference.segments;
  } else {
    if (!result.segments.empty()) result.segments.pop_back();
    result.segments.insert(result.segments.end(), reference.segments.begin(),
                           reference.segments.end());
    result.removeDotSegments();
  }
  result.path = joinSegments(result.segments);
  result.text = result.toString();
  return result;
}

std::string Uri::decodePercent(const std::string& input) {
  std::string out;
  out.reserve(input.size());
  for (std::size_t i = 0; i < input.size(); ++i) {
    if (input[i] == '%' && i + 2 < input.size() && hexValue(input[i + 1]) >= 0 &&
        hexValue(input[i + 2]) >= 0) {
      out += static_cast<char>(hexValue(input[i + 1]) * 16 + hexValue(input[i + 2]));
      i += 2;
    } else {
      out += input[i];
    }
  }
  return out;
}

void UriBase::setBase(const std::string& folder) {
  base_ = folder;
  if (!base_.empty() && !isSeparator(base_.back())) base_ += '/';
}

std::string UriBase::getBase() const { return base_; }

std::string UriBase::resolve(const std::string& member) const { return base_ + member; }

}  // namespace xml
