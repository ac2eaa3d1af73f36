#include "tests/sonograph/SonographTestSupport.h"

#include <gtest/gtest.h>

using namespace platform::composition;

namespace sonographtest {

namespace {
QCPortStore storeForSonograph() {
  static const QCPlugInInterface record = makeQCPlugInInterface<SonographPlugIn>("SonographPlugIn");
  std::string error;
  auto store = portStoreForClass(record, error);
  EXPECT_TRUE(store) << error;
  return store ? std::move(*store) : QCPortStore();
}
}  // namespace

HostedSonograph::HostedSonograph(CGLContextObj gl)
    : ports(storeForSonograph()), context(CGColorSpaceCreateWithName(kCGColorSpaceGenericRGB), gl) {
  plugIn.setPortStore(&ports);
}

HostedSonograph::~HostedSonograph() { plugIn.stopExecution(context); }

void HostedSonograph::set(const std::string& key, QCPortValue value) {
  ASSERT_TRUE(ports.setInputValue(key, std::move(value))) << key;
}

std::shared_ptr<SonographImage> HostedSonograph::image() const {
  const QCPortValue* v = ports.value("outputImage");
  const auto* provider = v ? std::get_if<QCImageProviderRef>(v) : nullptr;
  return provider ? std::dynamic_pointer_cast<SonographImage>(*provider) : nullptr;
}

QCStructure numbers(std::initializer_list<double> values) { return QCStructure(values); }

}  // namespace sonographtest
