#pragma once
// A SonographPlugIn driven as a host drives it, without loading the module: its class record,
// a port store made from its declarations, and an execution context.
#include <memory>
#include <string>

#include "platform/composition/QCPlugInInterface.h"
#include "platform/composition/host/QCPatch.h"
#include "sonograph/SonographPlugIn.h"

namespace sonographtest {

struct HostedSonograph {
  explicit HostedSonograph(platform::composition::CGLContextObj gl = nullptr);
  ~HostedSonograph();

  platform::composition::QCPortStore ports;
  SonographPlugIn plugIn;
  platform::composition::QCPlugInContext context;

  bool start() { return plugIn.startExecution(context); }
  bool execute() { return plugIn.execute(context, 0, {}); }
  void set(const std::string& key, platform::composition::QCPortValue value);
  // The provider on "outputImage", or null.
  std::shared_ptr<SonographImage> image() const;
};

platform::composition::QCStructure numbers(std::initializer_list<double> values);

}  // namespace sonographtest
