#pragma once
// The sonograph composition plug-in: each executed frame scrolls a 16-band × 512-column spectrum
// history by one column, taking the new column from the "inputSpectrum" structure, and publishes
// a SonographImage of it on "outputImage".
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/composition/QCPlugIn.h"
#include "sonograph/SonographImage.h"

class SonographPlugIn final : public platform::composition::QCPlugIn {
 public:
  // Class-level queries.
  static platform::composition::QCPlugInAttributes attributes();
  static std::vector<platform::composition::QCPropertyDeclaration> dynamicProperties();
  static std::optional<platform::composition::QCPortAttributes> attributesForPropertyPortWithKey(
      const std::string& key);
  static std::vector<std::string> sortedPropertyPortKeys();
  static std::vector<std::string> colourAlgorithmKeys();
  static std::vector<std::string> plugInKeys();
  static platform::composition::QCPlugInExecutionMode executionMode();
  static platform::composition::QCPlugInTimeMode timeMode();

  SonographPlugIn();

  std::unique_ptr<platform::composition::QCPlugInViewController> createViewController() override;

  int bufferHeight() const { return bufferHeight_; }
  void setBufferHeight(int value) { bufferHeight_ = value; }

  // Refuses (false) when the context's user information holds a true "com.Tarrowgate.Sonograph";
  // otherwise starts from a zeroed history.
  bool startExecution(platform::composition::QCPlugInContext& context) override;
  void enableExecution(platform::composition::QCPlugInContext&) override {}
  bool execute(platform::composition::QCPlugInContext& context, double time,
               const platform::composition::QCDictionary& arguments) override;
  void disableExecution(platform::composition::QCPlugInContext&) override {}
  // Lets the history go (images still holding it keep it alive).
  void stopExecution(platform::composition::QCPlugInContext& context) override;

  // Scrolls history row k by one column and stores the spectrum's element k (as a float) in its
  // newest column, for the first 16 elements; rows without an element stay as they are.
  void sampleBufferFromData(const platform::composition::QCStructure& spectrum);

  // The history while executing; null otherwise.
  const double* sampleBuffer() const { return _sampleBuffer ? _sampleBuffer->samples.data() : nullptr; }

  // Dynamic properties.
  const platform::composition::QCStructure* inputSpectrum() const { return structureValueForKey("inputSpectrum"); }
  uint64_t inputWidth() const { return unsignedValueForKey("inputWidth"); }
  uint64_t inputHeight() const { return unsignedValueForKey("inputHeight"); }
  double inputGain() const { return doubleValueForKey("inputGain"); }
  uint64_t inputColorAlgorithm() const { return unsignedValueForKey("inputColorAlgorithm"); }
  double inputRed() const { return doubleValueForKey("inputRed"); }
  double inputGreen() const { return doubleValueForKey("inputGreen"); }
  double inputBlue() const { return doubleValueForKey("inputBlue"); }
  double inputAlpha() const { return doubleValueForKey("inputAlpha"); }

 private:
  std::shared_ptr<SonographBuffers> _sampleBuffer;
  int bufferHeight_;
};
