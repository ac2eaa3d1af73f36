#pragma once
// The composition plug-in interface: the base class a plug-in derives from, the execution
// context the host passes to it, and the class-level descriptions a host reads before it makes
// an instance (attributes, ports, execution and time modes, saved keys).
//
// The host drives an instance in this order: startExecution, enableExecution, then once per
// rendered frame execute (after which it may render the image outputs), then
// disableExecution and stopExecution. Every call comes on the host's render thread with the
// host's OpenGL context current.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/composition/ColorSpace.h"
#include "platform/composition/QCPlugInOutputImageProvider.h"
#include "platform/composition/QCPorts.h"
#include "platform/composition/QCValue.h"

namespace platform::composition {

// When the host executes the patch.
enum QCPlugInExecutionMode : int {
  kQCPlugInExecutionModeProvider = 1,   // outputs only, executed on demand
  kQCPlugInExecutionModeProcessor = 2,  // inputs and outputs, executed when inputs or time change
  kQCPlugInExecutionModeConsumer = 3,   // renders to the destination, executed every frame
};

// How the patch depends on time.
enum QCPlugInTimeMode : int {
  kQCPlugInTimeModeNone = 0,
  kQCPlugInTimeModeIdle = 1,
  kQCPlugInTimeModeTimeBase = 2,  // depends on time: executed on every frame
};

// The plug-in's attribute dictionary.
struct QCPlugInAttributes {
  std::string name;         // QCPlugInAttributeNameKey
  std::string description;  // QCPlugInAttributeDescriptionKey
};

// What a plug-in executes within: the composition's working colour space, the user information
// the host shares with every plug-in of the composition, and the host's OpenGL context.
class QCPlugInContext {
 public:
  QCPlugInContext(CGColorSpaceRef colorSpace, CGLContextObj glContext)
      : colorSpace_(std::move(colorSpace)), glContext_(glContext) {}

  const CGColorSpaceRef& colorSpace() const { return colorSpace_; }
  QCDictionary& userInfo() { return userInfo_; }
  const QCDictionary& userInfo() const { return userInfo_; }
  CGLContextObj cglContextObj() const { return glContext_; }

 private:
  CGColorSpaceRef colorSpace_;
  CGLContextObj glContext_;
  QCDictionary userInfo_;
};

class QCPlugIn;

// The settings view a plug-in offers the host's editor, named after its view description.
class QCPlugInViewController {
 public:
  QCPlugInViewController(QCPlugIn& plugIn, std::string viewNibName)
      : plugIn_(&plugIn), viewNibName_(std::move(viewNibName)) {}
  QCPlugIn& plugIn() const { return *plugIn_; }
  const std::string& viewNibName() const { return viewNibName_; }

 private:
  QCPlugIn* plugIn_;
  std::string viewNibName_;
};

class QCPlugIn {
 public:
  QCPlugIn() = default;
  virtual ~QCPlugIn() = default;
  QCPlugIn(const QCPlugIn&) = delete;
  QCPlugIn& operator=(const QCPlugIn&) = delete;

  // The store holding this instance's port values; the host attaches it before execution.
  void setPortStore(QCPortStore* store) { ports_ = store; }
  QCPortStore* portStore() const { return ports_; }

  virtual std::unique_ptr<QCPlugInViewController> createViewController() { return nullptr; }

  virtual bool startExecution(QCPlugInContext&) { return true; }
  virtual void enableExecution(QCPlugInContext&) {}
  // One frame at `time` seconds; false reports a failure to the host.
  virtual bool execute(QCPlugInContext& context, double time, const QCDictionary& arguments) = 0;
  virtual void disableExecution(QCPlugInContext&) {}
  virtual void stopExecution(QCPlugInContext&) {}

 protected:
  // Dynamic property access for subclasses. Reading a port that does not exist or holds
  // another type gives 0 or none.
  uint64_t unsignedValueForKey(std::string_view key) const;
  double doubleValueForKey(std::string_view key) const;
  const QCStructure* structureValueForKey(std::string_view key) const;
  // Stores an image provider (or none) in an output port; false when the port cannot take it.
  bool setImageValueForKey(std::string_view key, QCImageProviderRef provider);

 private:
  QCPortStore* ports_ = nullptr;
};

}  // namespace platform::composition
