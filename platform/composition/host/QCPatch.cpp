#include "platform/composition/host/QCPatch.h"

#include <algorithm>
#include <exception>

namespace platform::composition {

std::optional<QCPortStore> portStoreForClass(const QCPlugInInterface& plugInClass, std::string& error) {
  std::vector<std::pair<QCPropertyDeclaration, std::optional<QCPortAttributes>>> ports;
  try {
    for (auto& declaration : plugInClass.dynamicProperties()) {
      if (!isInputKey(declaration.key) && !isOutputKey(declaration.key)) {
        error = "port '" + declaration.key + "' is neither an input nor an output";
        return std::nullopt;
      }
      for (const auto& earlier : ports)
        if (earlier.first.key == declaration.key) {
          error = "port '" + declaration.key + "' is declared twice";
          return std::nullopt;
        }
      auto attributes = plugInClass.attributesForPropertyPortWithKey(declaration.key);
      ports.emplace_back(std::move(declaration), std::move(attributes));
    }
  } catch (const std::exception& e) {
    error = std::string("the plug-in's port descriptions failed: ") + e.what();
    return std::nullopt;
  }
  return QCPortStore(std::move(ports));
}

std::unique_ptr<QCPatch> QCPatch::create(std::shared_ptr<QCPlugInModule> module, std::string& error) {
  const QCPlugInInterface& plugInClass = module->plugInClass();
  auto ports = portStoreForClass(plugInClass, error);
  if (!ports) return nullptr;
  std::unique_ptr<QCPlugIn, Destroy> instance(nullptr, Destroy{plugInClass.destroy});
  try {
    instance.reset(plugInClass.create());
  } catch (const std::exception& e) {
    error = std::string("the plug-in failed to initialise: ") + e.what();
    return nullptr;
  }
  if (!instance) {
    error = "the plug-in failed to initialise";
    return nullptr;
  }
  auto patch = std::unique_ptr<QCPatch>(new QCPatch(std::move(module), std::move(*ports), std::move(instance)));
  patch->instance_->setPortStore(&patch->ports_);
  return patch;
}

QCPatch::QCPatch(std::shared_ptr<QCPlugInModule> module, QCPortStore ports, std::unique_ptr<QCPlugIn, Destroy> instance)
    : module_(std::move(module)), ports_(std::move(ports)), instance_(std::move(instance)) {}

QCPatch::~QCPatch() {
  stop();
  // Output values may be objects of the module: let them go while it is still loaded.
  for (const auto& port : ports_.ports())
    if (isOutputKey(port.declaration.key) && port.declaration.type == QCPropertyType::Image)
      ports_.setOutputValue(port.declaration.key, std::monostate{});
  instance_.reset();
}

std::vector<const QCPort*> QCPatch::portsInOrder() const {
  std::vector<const QCPort*> ordered;
  std::vector<std::string> sorted;
  try {
    sorted = plugInClass().sortedPropertyPortKeys();
  } catch (const std::exception&) {
  }
  for (const auto& key : sorted)
    if (const QCPort* p = ports_.port(key); p && std::find(ordered.begin(), ordered.end(), p) == ordered.end())
      ordered.push_back(p);
  for (const auto& p : ports_.ports())
    if (std::find(ordered.begin(), ordered.end(), &p) == ordered.end()) ordered.push_back(&p);
  return ordered;
}

const QCPort* QCPatch::firstImageOutput() const {
  for (const auto& p : ports_.ports())
    if (isOutputKey(p.declaration.key) && p.declaration.type == QCPropertyType::Image) return &p;
  return nullptr;
}

bool QCPatch::start(QCPlugInContext& context) {
  if (context_) return true;
  try {
    if (!instance_->startExecution(context)) return false;
    instance_->enableExecution(context);
  } catch (const std::exception&) {
    return false;
  }
  context_ = &context;
  return true;
}

bool QCPatch::execute(double time, const QCDictionary& arguments) {
  if (!context_) return false;
  try {
    return instance_->execute(*context_, time, arguments);
  } catch (const std::exception&) {
    return false;
  }
}

void QCPatch::stop() {
  if (!context_) return;
  QCPlugInContext& context = *context_;
  context_ = nullptr;
  try {
    instance_->disableExecution(context);
    instance_->stopExecution(context);
  } catch (const std::exception&) {
  }
}

}  // namespace platform::composition
