#include "KeyedArchiver.h"

#include <algorithm>
#include <mutex>

#include "AtomicFile.h"

namespace platform {
namespace {

constexpr int64_t kArchiveVersion = 100000;
constexpr size_t kMaxDecodeDepth = 256;

std::string unkeyedKey(int index) { return "$" + std::to_string(index); }

struct Registry {
  std::mutex mutex;
  std::map<std::string, KeyedUnarchiver::Factory> factories;
};

Registry& registry() {
  static Registry r;
  return r;
}

KeyedUnarchiver::Factory factoryFor(const std::vector<std::string>& classes) {
  Registry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  for (const auto& name : classes) {
    auto it = r.factories.find(name);
    if (it != r.factories.end()) return it->second;
  }
  return nullptr;
}

}  // namespace

// ---- Coder: everything unsupported unless a subclass says otherwise ----

void Coder::unsupported(const char* operation) const {
  throw InvalidArchiveOperationException(std::string(operation) + ": not supported by this coder");
}

void Coder::encodeBool(bool, const std::string&) { unsupported("encodeBool:forKey:"); }
void Coder::encodeInt(int64_t, const std::string&) { unsupported("encodeInt:forKey:"); }
void Coder::encodeDouble(double, const std::string&) { unsupported("encodeDouble:forKey:"); }
void Coder::encodeFloat(float, const std::string&) { unsupported("encodeFloat:forKey:"); }
void Coder::encodeBytes(const PlistData&, const std::string&) { unsupported("encodeBytes:forKey:"); }
void Coder::encodeString(const std::string&, const std::string&) { unsupported("encodeObject:forKey:"); }
void Coder::encodeObject(const std::shared_ptr<const Coding>&, const std::string&) {
  unsupported("encodeObject:forKey:");
}
bool Coder::containsValueForKey(const std::string&) const { unsupported("containsValueForKey:"); }
bool Coder::decodeBool(const std::string&) { unsupported("decodeBoolForKey:"); }
int64_t Coder::decodeInt(const std::string&) { unsupported("decodeIntForKey:"); }
double Coder::decodeDouble(const std::string&) { unsupported("decodeDoubleForKey:"); }
float Coder::decodeFloat(const std::string&) { unsupported("decodeFloatForKey:"); }
PlistData Coder::decodeBytes(const std::string&) { unsupported("decodeBytesForKey:"); }
std::optional<std::string> Coder::decodeString(const std::string&) { unsupported("decodeObjectForKey:"); }
std::shared_ptr<Coding> Coder::decodeObject(const std::string&) { unsupported("decodeObjectForKey:"); }
void Coder::encodeFloat(float) { unsupported("encodeValueOfObjCType:at:"); }
void Coder::encodeDouble(double) { unsupported("encodeValueOfObjCType:at:"); }
void Coder::encodeInt(int64_t) { unsupported("encodeValueOfObjCType:at:"); }
float Coder::decodeFloat() { unsupported("decodeValueOfObjCType:at:"); }
double Coder::decodeDouble() { unsupported("decodeValueOfObjCType:at:"); }
int64_t Coder::decodeInt() { unsupported("decodeValueOfObjCType:at:"); }

// ---- KeyedArchiver ----

KeyedArchiver::KeyedArchiver() { objects_.push_back(PlistValue("$null")); }

PlistValue KeyedArchiver::archivedPlistWithRootObject(const std::shared_ptr<const Coding>& root) {
  KeyedArchiver archiver;
  PlistUid rootUid = archiver.referenceFor(root);
  PlistDictionary top;
  top.set("root", rootUid);
  PlistDictionary archive;
  archive.set("$version", kArchiveVersion);
  archive.set("$archiver", "NSKeyedArchiver");
  archive.set("$top", std::move(top));
  archive.set("$objects", std::move(archiver.objects_));
  return archive;
}

std::string KeyedArchiver::archivedDataWithRootObject(const std::shared_ptr<const Coding>& root) {
  return plist::toBinary(archivedPlistWithRootObject(root));
}

bool KeyedArchiver::archiveRootObject(const std::shared_ptr<const Coding>& root, const std::string& path) {
  if (!root) return false;
  std::string bytes = archivedDataWithRootObject(root);
  if (bytes.empty()) return false;
  return writeFileAtomically(path, bytes);
}

PlistUid KeyedArchiver::referenceFor(const std::shared_ptr<const Coding>& object) {
  if (!object) return PlistUid{0};
  auto found = objectIndex_.find(object.get());
  if (found != objectIndex_.end()) return PlistUid{found->second};

  // Reserve the slot first so that references back to this object (cycles) resolve to it.
  size_t index = objects_.size();
  objectIndex_[object.get()] = index;
  objects_.push_back(PlistDictionary());
  stack_.push_back(index);
  unkeyedCounters_.push_back(0);
  object->encodeWithCoder(*this);
  stack_.pop_back();
  unkeyedCounters_.pop_back();
  PlistUid cls = classReference(*object);
  objects_[index].dictionary().set("$class", cls);
  return PlistUid{index};
}

PlistUid KeyedArchiver::classReference(const Coding& object) {
  std::string name = object.className();
  auto found = classIndex_.find(name);
  if (found != classIndex_.end()) return PlistUid{found->second};
  PlistArray classes;
  for (const auto& c : object.classHierarchy()) classes.push_back(PlistValue(c));
  PlistDictionary cls;
  cls.set("$classes", std::move(classes));
  cls.set("$classname", name);
  size_t index = objects_.size();
  objects_.push_back(std::move(cls));
  classIndex_[name] = index;
  return PlistUid{index};
}

PlistDictionary& KeyedArchiver::current() {
  if (stack_.empty()) throw InvalidArchiveOperationException("encoding outside encodeWithCoder");
  return objects_[stack_.back()].dictionary();
}

void KeyedArchiver::setValue(const std::string& key, PlistValue value) { current().set(key, std::move(value)); }

void KeyedArchiver::encodeBool(bool value, const std::string& key) { setValue(key, value); }
void KeyedArchiver::encodeInt(int64_t value, const std::string& key) { setValue(key, value); }
void KeyedArchiver::encodeDouble(double value, const std::string& key) { setValue(key, value); }
void KeyedArchiver::encodeFloat(float value, const std::string& key) { setValue(key, value); }
void KeyedArchiver::encodeBytes(const PlistData& bytes, const std::string& key) { setValue(key, bytes); }

void KeyedArchiver::encodeString(const std::string& value, const std::string& key) {
  current();  // fail before adding anything outside an object
  size_t index = objects_.size();
  objects_.push_back(PlistValue(value));
  setValue(key, PlistUid{index});
}

void KeyedArchiver::encodeObject(const std::shared_ptr<const Coding>& object, const std::string& key) {
  current();
  PlistUid uid = referenceFor(object);
  setValue(key, uid);
}

void KeyedArchiver::encodeFloat(float value) {
  current();
  setValue(unkeyedKey(unkeyedCounters_.back()++), value);
}

void KeyedArchiver::encodeDouble(double value) {
  current();
  setValue(unkeyedKey(unkeyedCounters_.back()++), value);
}

void KeyedArchiver::encodeInt(int64_t value) {
  current();
  setValue(unkeyedKey(unkeyedCounters_.back()++), value);
}

// ---- KeyedUnarchiver ----

bool KeyedUnarchiver::registerClass(const std::string& className, Factory factory) {
  Registry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.factories[className] = std::move(factory);
  return true;
}

KeyedUnarchiver::KeyedUnarchiver(const PlistArray& objects) : objects_(objects) {}

std::shared_ptr<Coding> KeyedUnarchiver::unarchiveObjectWithPlist(const PlistValue& archive) {
  if (!archive.isDictionary()) return nullptr;
  const PlistDictionary& d = archive.dictionary();
  const PlistValue* archiver = d.find("$archiver");
  const PlistValue* version = d.find("$version");
  const PlistValue* top = d.find("$top");
  const PlistValue* objects = d.find("$objects");
  if (!archiver || !archiver->isString() || archiver->string() != "NSKeyedArchiver") return nullptr;
  if (!version || !version->isInteger() || version->integer() != kArchiveVersion) return nullptr;
  if (!top || !top->isDictionary() || !objects || !objects->isArray()) return nullptr;
  const PlistValue* root = top->dictionary().find("root");
  if (!root || !root->isUid()) return nullptr;
  KeyedUnarchiver unarchiver(objects->array());
  return unarchiver.objectAt(root->uid().value);
}

std::shared_ptr<Coding> KeyedUnarchiver::unarchiveObjectWithData(const std::string& bytes) {
  auto archive = plist::parse(bytes);
  if (!archive) return nullptr;
  return unarchiveObjectWithPlist(*archive);
}

std::shared_ptr<Coding> KeyedUnarchiver::unarchiveObjectWithFile(const std::string& path) {
  auto bytes = readWholeFile(path);
  if (!bytes) return nullptr;
  return unarchiveObjectWithData(*bytes);
}

std::shared_ptr<Coding> KeyedUnarchiver::objectAt(uint64_t index) {
  if (index == 0 || index >= objects_.size()) return nullptr;
  auto done = decoded_.find(index);
  if (done != decoded_.end()) return done->second;
  // A reference back to an object still being decoded (a cycle) or an absurd depth: refuse it.
  if (std::find(inProgress_.begin(), inProgress_.end(), index) != inProgress_.end()) return nullptr;
  if (inProgress_.size() >= kMaxDecodeDepth) return nullptr;

  const PlistValue& entry = objects_[index];
  if (!entry.isDictionary()) return nullptr;
  const PlistValue* cls = entry.dictionary().find("$class");
  if (!cls || !cls->isUid() || cls->uid().value >= objects_.size()) return nullptr;
  const PlistValue& clsEntry = objects_[cls->uid().value];
  if (!clsEntry.isDictionary()) return nullptr;
  std::vector<std::string> names;
  if (const PlistValue* classname = clsEntry.dictionary().find("$classname"); classname && classname->isString())
    names.push_back(classname->string());
  if (const PlistValue* classes = clsEntry.dictionary().find("$classes"); classes && classes->isArray()) {
    for (const auto& c : classes->array())
      if (c.isString()) names.push_back(c.string());
  }
  Factory factory = factoryFor(names);
  if (!factory) return nullptr;

  inProgress_.push_back(index);
  stack_.push_back(Frame{&entry.dictionary(), 0});
  std::shared_ptr<Coding> object;
  try {
    object = factory(*this);
  } catch (const InvalidArchiveOperationException&) {
    object = nullptr;
  }
  stack_.pop_back();
  inProgress_.pop_back();
  decoded_[index] = object;
  return object;
}

const PlistValue* KeyedUnarchiver::value(const std::string& key) const {
  if (stack_.empty()) return nullptr;
  return stack_.back().dictionary->find(key);
}

const PlistValue* KeyedUnarchiver::nextUnkeyed() {
  if (stack_.empty()) return nullptr;
  Frame& f = stack_.back();
  return f.dictionary->find(unkeyedKey(f.unkeyed++));
}

bool KeyedUnarchiver::containsValueForKey(const std::string& key) const { return value(key) != nullptr; }

bool KeyedUnarchiver::decodeBool(const std::string& key) {
  const PlistValue* v = value(key);
  if (!v) return false;
  if (v->isBoolean()) return v->boolean();
  return v->number().value_or(0) != 0;
}

int64_t KeyedUnarchiver::decodeInt(const std::string& key) {
  const PlistValue* v = value(key);
  if (!v) return 0;
  if (v->isInteger()) return v->integer();
  if (v->isBoolean()) return v->boolean() ? 1 : 0;
  if (v->isReal()) {
    double d = v->real();
    // Out-of-range reals clamp instead of overflowing the conversion.
    if (!(d == d)) return 0;
    if (d >= 9.2e18) return INT64_MAX;
    if (d <= -9.2e18) return INT64_MIN;
    return static_cast<int64_t>(d);
  }
  return 0;
}

double KeyedUnarchiver::decodeDouble(const std::string& key) {
  const PlistValue* v = value(key);
  return v ? v->number().value_or(0) : 0;
}

float KeyedUnarchiver::decodeFloat(const std::string& key) { return static_cast<float>(decodeDouble(key)); }

PlistData KeyedUnarchiver::decodeBytes(const std::string& key) {
  const PlistValue* v = value(key);
  return v && v->isData() ? v->data() : PlistData();
}

std::optional<std::string> KeyedUnarchiver::decodeString(const std::string& key) {
  const PlistValue* v = value(key);
  if (!v) return std::nullopt;
  if (v->isString()) return v->string();
  if (!v->isUid() || v->uid().value == 0 || v->uid().value >= objects_.size()) return std::nullopt;
  const PlistValue& s = objects_[v->uid().value];
  if (s.isString()) return s.string();
  return std::nullopt;
}

std::shared_ptr<Coding> KeyedUnarchiver::decodeObject(const std::string& key) {
  const PlistValue* v = value(key);
  if (!v || !v->isUid()) return nullptr;
  return objectAt(v->uid().value);
}

float KeyedUnarchiver::decodeFloat() { return static_cast<float>(decodeDouble()); }

double KeyedUnarchiver::decodeDouble() {
  const PlistValue* v = nextUnkeyed();
  return v ? v->number().value_or(0) : 0;
}

int64_t KeyedUnarchiver::decodeInt() {
  const PlistValue* v = nextUnkeyed();
  return v && v->isInteger() ? v->integer() : 0;
}

// ---- SequentialArchiver ----

void SequentialArchiver::encodeFloat(float value) { values_.emplace_back(value); }
void SequentialArchiver::encodeDouble(double value) { values_.emplace_back(value); }
void SequentialArchiver::encodeInt(int64_t value) { values_.emplace_back(value); }

}  // namespace platform
