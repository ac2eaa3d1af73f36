#include "FFmpegDictionary.h"

#include <cctype>

namespace platform::media::direct {

bool equalsIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

const std::string* FFmpegDictionary::find(const std::string& key) const {
  for (const Entry& e : entries_)
    if (equalsIgnoringCase(e.first, key)) return &e.second;
  return nullptr;
}

void FFmpegDictionary::remove(const std::string& key) {
  for (size_t i = 0; i < entries_.size(); ++i) {
    if (equalsIgnoringCase(entries_[i].first, key)) {
      entries_[i] = std::move(entries_.back());
      entries_.pop_back();
      return;
    }
  }
}

void FFmpegDictionary::set(const std::string& key, const std::string& value) {
  remove(key);
  entries_.emplace_back(key, value);
}

void FFmpegDictionary::append(const std::string& key, const std::string& value) {
  const std::string* old = find(key);
  set(key, old ? *old + ";" + value : value);
}

void FFmpegDictionary::setIfAbsent(const std::string& key, const std::string& value) {
  if (!find(key)) entries_.emplace_back(key, value);
}

void FFmpegDictionary::convert(const std::vector<std::pair<const char*, const char*>>& table) {
  FFmpegDictionary out;
  for (const Entry& e : entries_) {
    std::string key = e.first;
    for (const auto& [native, generic] : table) {
      if (equalsIgnoringCase(key, native)) {
        key = generic;
        break;
      }
    }
    out.set(key, e.second);
  }
  *this = std::move(out);
}

}  // namespace platform::media::direct
