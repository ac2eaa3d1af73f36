#pragma once
// A tag dictionary that behaves as FFmpeg's AVDictionary does when a demuxer fills it: keys
// compare without regard to case, and setting an existing key moves the dictionary's last entry
// into its place and appends the new one. Readers that stand in for FFmpeg's demuxers build
// their tags in one, so that the order (which decides between keys of one label) is the same.
#include <string>
#include <utility>
#include <vector>

namespace platform::media::direct {

class FFmpegDictionary {
 public:
  using Entry = std::pair<std::string, std::string>;

  void set(const std::string& key, const std::string& value);
  // A present key gets ";" and the value added to its value (and moves to the end, as set does).
  void append(const std::string& key, const std::string& value);
  // Takes a key out, the last entry moving into its place (av_dict_set with no value).
  void remove(const std::string& key);
  // Does nothing when the key is present.
  void setIfAbsent(const std::string& key, const std::string& value);
  const std::string* find(const std::string& key) const;
  bool empty() const { return entries_.empty(); }
  const std::vector<Entry>& entries() const { return entries_; }
  // Renames keys by a table of (native, generic) names, rebuilding the dictionary in order
  // (ff_metadata_conv).
  void convert(const std::vector<std::pair<const char*, const char*>>& table);

 private:
  std::vector<Entry> entries_;
};

bool equalsIgnoringCase(const std::string& a, const std::string& b);

}  // namespace platform::media::direct
