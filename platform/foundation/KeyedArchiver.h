#pragma once
// NSCoder / NSKeyedArchiver / NSKeyedUnarchiver stand-ins.
//
// An archive is a binary property list: "$archiver" = "NSKeyedArchiver", "$version" = 100000,
// "$top" = {"root": UID}, "$objects" = ["$null", ...]. Every archived object is a dictionary with
// a "$class" UID pointing at {"$classname", "$classes"}; strings and object references are UIDs
// into "$objects"; numbers, booleans and byte data are stored inline. Unkeyed (sequential) values
// are stored under the keys "$0", "$1", ... of the object being coded, in order.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "PropertyList.h"

namespace platform {

class Coder;

// Raised for coding calls a coder does not support (a keyed call on a non-keyed coder).
class InvalidArchiveOperationException : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

// An archivable object (NSCoding). Decoding goes through a factory registered by class name.
class Coding {
 public:
  virtual ~Coding() = default;
  // "$classname" of the archive.
  virtual std::string className() const = 0;
  // "$classes": the class and its superclasses, most derived first.
  virtual std::vector<std::string> classHierarchy() const { return {className(), "NSObject"}; }
  virtual void encodeWithCoder(Coder& coder) const = 0;
};

// The coder interface shared by archivers and unarchivers. Keyed calls on a coder that does not
// allow keyed coding raise InvalidArchiveOperationException; decoding calls on an encoder (and
// the reverse) raise it too. Missing or mistyped keyed values decode as 0 / empty / null.
class Coder {
 public:
  virtual ~Coder() = default;

  virtual bool allowsKeyedCoding() const = 0;

  // Keyed encoding.
  virtual void encodeBool(bool value, const std::string& key);
  virtual void encodeInt(int64_t value, const std::string& key);
  virtual void encodeDouble(double value, const std::string& key);
  virtual void encodeFloat(float value, const std::string& key);
  virtual void encodeBytes(const PlistData& bytes, const std::string& key);
  virtual void encodeString(const std::string& value, const std::string& key);
  virtual void encodeObject(const std::shared_ptr<const Coding>& object, const std::string& key);

  // Keyed decoding.
  virtual bool containsValueForKey(const std::string& key) const;
  virtual bool decodeBool(const std::string& key);
  virtual int64_t decodeInt(const std::string& key);
  virtual double decodeDouble(const std::string& key);
  virtual float decodeFloat(const std::string& key);
  virtual PlistData decodeBytes(const std::string& key);
  virtual std::optional<std::string> decodeString(const std::string& key);
  virtual std::shared_ptr<Coding> decodeObject(const std::string& key);

  // Unkeyed (sequential) values: decoded in the order they were encoded.
  virtual void encodeFloat(float value);
  virtual void encodeDouble(double value);
  virtual void encodeInt(int64_t value);
  virtual float decodeFloat();
  virtual double decodeDouble();
  virtual int64_t decodeInt();

 protected:
  [[noreturn]] void unsupported(const char* operation) const;
};

// Writes a root object graph as a keyed archive.
class KeyedArchiver final : public Coder {
 public:
  // The archive as a property-list value / binary property-list bytes.
  static PlistValue archivedPlistWithRootObject(const std::shared_ptr<const Coding>& root);
  static std::string archivedDataWithRootObject(const std::shared_ptr<const Coding>& root);
  // Writes the binary archive atomically; false on failure or a null root.
  static bool archiveRootObject(const std::shared_ptr<const Coding>& root, const std::string& path);

  bool allowsKeyedCoding() const override { return true; }

  void encodeBool(bool value, const std::string& key) override;
  void encodeInt(int64_t value, const std::string& key) override;
  void encodeDouble(double value, const std::string& key) override;
  void encodeFloat(float value, const std::string& key) override;
  void encodeBytes(const PlistData& bytes, const std::string& key) override;
  void encodeString(const std::string& value, const std::string& key) override;
  void encodeObject(const std::shared_ptr<const Coding>& object, const std::string& key) override;

  void encodeFloat(float value) override;
  void encodeDouble(double value) override;
  void encodeInt(int64_t value) override;

 private:
  KeyedArchiver();
  PlistUid referenceFor(const std::shared_ptr<const Coding>& object);
  PlistUid classReference(const Coding& object);
  PlistDictionary& current();
  void setValue(const std::string& key, PlistValue value);

  PlistArray objects_;
  std::map<const Coding*, uint64_t> objectIndex_;
  std::map<std::string, uint64_t> classIndex_;
  std::vector<size_t> stack_;  // indices into objects_ of the objects being encoded
  std::vector<int> unkeyedCounters_;
};

// Reads a keyed archive back into objects made by the registered class factories.
class KeyedUnarchiver final : public Coder {
 public:
  // Makes an object from the coder positioned on its archived dictionary; null to refuse.
  using Factory = std::function<std::shared_ptr<Coding>(Coder& coder)>;

  // Registers the factory for a class name (the first registered name in "$classes" wins).
  static bool registerClass(const std::string& className, Factory factory);

  // The root object; null for a missing, malformed or unknown archive, never a crash.
  static std::shared_ptr<Coding> unarchiveObjectWithPlist(const PlistValue& archive);
  static std::shared_ptr<Coding> unarchiveObjectWithData(const std::string& bytes);
  static std::shared_ptr<Coding> unarchiveObjectWithFile(const std::string& path);

  bool allowsKeyedCoding() const override { return true; }

  bool containsValueForKey(const std::string& key) const override;
  bool decodeBool(const std::string& key) override;
  int64_t decodeInt(const std::string& key) override;
  double decodeDouble(const std::string& key) override;
  float decodeFloat(const std::string& key) override;
  PlistData decodeBytes(const std::string& key) override;
  std::optional<std::string> decodeString(const std::string& key) override;
  std::shared_ptr<Coding> decodeObject(const std::string& key) override;

  float decodeFloat() override;
  double decodeDouble() override;
  int64_t decodeInt() override;

 private:
  explicit KeyedUnarchiver(const PlistArray& objects);
  const PlistValue* value(const std::string& key) const;
  const PlistValue* nextUnkeyed();
  std::shared_ptr<Coding> objectAt(uint64_t index);

  struct Frame {
    const PlistDictionary* dictionary;
    int unkeyed;
  };
  const PlistArray& objects_;
  std::map<uint64_t, std::shared_ptr<Coding>> decoded_;
  std::vector<uint64_t> inProgress_;
  std::vector<Frame> stack_;
};

// A non-keyed coder (NSArchiver-like): unkeyed values only, kept in order in memory. Keyed calls
// raise InvalidArchiveOperationException.
class SequentialArchiver final : public Coder {
 public:
  bool allowsKeyedCoding() const override { return false; }
  void encodeFloat(float value) override;
  void encodeDouble(double value) override;
  void encodeInt(int64_t value) override;
  using Coder::encodeDouble;
  using Coder::encodeFloat;
  using Coder::encodeInt;
  const PlistArray& values() const { return values_; }

 private:
  PlistArray values_;
};

}  // namespace platform
