#include "FileURL.h"

#include <cstring>
#include <unistd.h>
#include <vector>

#include "Paths.h"

namespace platform {
namespace {

void escapeByte(std::string& out, unsigned char c) {
  static const char kHex[] = "0123456789ABCDEF";
  out += '%';
  out += kHex[c >> 4];
  out += kHex[c & 15];
}

bool isAlphanumeric(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

std::string fileURLString(const std::string& path) {
  std::string absolute = path;
  if (absolute.empty() || absolute[0] != '/') {
    std::vector<char> buf(4096);
    std::string cwd = getcwd(buf.data(), buf.size()) ? buf.data() : "/";
    absolute = absolute.empty() ? cwd : appendingPathComponent(cwd, absolute);
  }
  if (absolute.back() != '/' && directoryExists(absolute)) absolute += '/';
  std::string out = "file://";
  for (unsigned char c : absolute) {
    if (isAlphanumeric(c) || (c && std::strchr("-._~!$&'()*+,;=:@/", c)))
      out += static_cast<char>(c);
    else
      escapeByte(out, c);
  }
  return out;
}

std::string addingPercentEscapes(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c > 0x20 && c < 0x7f && !std::strchr("\"%<>[\\]^`{|}", c))
      out += static_cast<char>(c);
    else
      escapeByte(out, c);
  }
  return out;
}

}  // namespace platform
