#pragma once
// One instance of a plug-in in a host's composition: the instance, the store of its port
// values, and the calls in the order a host makes them (start and enable, a frame at a time,
// disable and stop). A patch keeps its module loaded for as long as it lives.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/composition/QCPlugInInterface.h"
#include "platform/composition/host/QCPlugInModule.h"

namespace platform::composition {

// The port store of a new instance of the class: one port per declared property, with its
// attributes; nullopt, with the reason in `error`, when a declaration is neither an input nor
// an output or the class's queries fail.
std::optional<QCPortStore> portStoreForClass(const QCPlugInInterface& plugInClass, std::string& error);

class QCPatch {
 public:
  // An instance of the module's class with its ports at their defaults; null, with the reason
  // in `error`, when the class's port declarations or its construction fail.
  static std::unique_ptr<QCPatch> create(std::shared_ptr<QCPlugInModule> module, std::string& error);
  ~QCPatch();  // stops execution if it is running
  QCPatch(const QCPatch&) = delete;
  QCPatch& operator=(const QCPatch&) = delete;

  const QCPlugInInterface& plugInClass() const { return module_->plugInClass(); }
  QCPlugIn& instance() { return *instance_; }
  QCPortStore& ports() { return ports_; }
  const QCPortStore& ports() const { return ports_; }
  // Ports as a host lists them: the class's sorted keys first, then every other declared port
  // in declaration order.
  std::vector<const QCPort*> portsInOrder() const;
  // The first image output, or null.
  const QCPort* firstImageOutput() const;

  // startExecution then enableExecution; false when the plug-in refuses to start. The context
  // must outlive the execution.
  bool start(QCPlugInContext& context);
  // One frame; false when the plug-in reports a failure or is not running.
  bool execute(double time, const QCDictionary& arguments = {});
  // disableExecution then stopExecution, when running.
  void stop();
  bool running() const { return context_ != nullptr; }

 private:
  struct Destroy {
    void (*destroy)(QCPlugIn*);
    void operator()(QCPlugIn* p) const { destroy(p); }
  };
  QCPatch(std::shared_ptr<QCPlugInModule> module, QCPortStore ports, std::unique_ptr<QCPlugIn, Destroy> instance);

  std::shared_ptr<QCPlugInModule> module_;  // declared first: unloaded last
  QCPortStore ports_;
  std::unique_ptr<QCPlugIn, Destroy> instance_;
  QCPlugInContext* context_ = nullptr;
};

}  // namespace platform::composition
