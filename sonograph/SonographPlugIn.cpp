#include "sonograph/SonographPlugIn.h"

#include <algorithm>
#include <climits>
#include <cstring>

using namespace platform::composition;

namespace {

constexpr const char* kRefuseKey = "com.Tarrowgate.Sonograph";

QCPortAttributes unitRange(const char* name) { return {name, 0.5, 0.0, 1.0, std::nullopt, {}}; }

}  // namespace

QCPlugInAttributes SonographPlugIn::attributes() {
  return {"Sonograph",
          "Draws a spectral analysis of the audio input to an image. \n Version 0.52a."
          "\n Linux build by the Media Tools developers."};
}

std::vector<QCPropertyDeclaration> SonographPlugIn::dynamicProperties() {
  return {{"inputSpectrum", QCPropertyType::Structure}, {"inputWidth", QCPropertyType::UnsignedInteger},
          {"inputHeight", QCPropertyType::UnsignedInteger}, {"inputGain", QCPropertyType::Double},
          {"inputColorAlgorithm", QCPropertyType::Index},   {"inputRed", QCPropertyType::Double},
          {"inputGreen", QCPropertyType::Double},           {"inputBlue", QCPropertyType::Double},
          {"inputAlpha", QCPropertyType::Double},           {"outputImage", QCPropertyType::Image}};
}

std::optional<QCPortAttributes> SonographPlugIn::attributesForPropertyPortWithKey(const std::string& key) {
  if (key == "inputSpectrum") return QCPortAttributes{"Spectrum", std::nullopt, std::nullopt, std::nullopt, QCPortTypeStructure, {}};
  if (key == "inputWidth") return QCPortAttributes{"Width", 512.0, std::nullopt, std::nullopt, std::nullopt, {}};
  if (key == "inputHeight") return QCPortAttributes{"Height", 384.0, std::nullopt, std::nullopt, std::nullopt, {}};
  if (key == "inputGain") return unitRange("Gain");
  if (key == "inputColorAlgorithm")
    return QCPortAttributes{"Colour", 0.0, 0.0, 1.0, QCPortTypeIndex, colourAlgorithmKeys()};
  if (key == "inputRed") return unitRange("Red");
  if (key == "inputGreen") return unitRange("Green");
  if (key == "inputBlue") return unitRange("Blue");
  if (key == "inputAlpha") return unitRange("Alpha");
  if (key == "outputImage") return QCPortAttributes{"Image", std::nullopt, std::nullopt, std::nullopt, std::nullopt, {}};
  return std::nullopt;
}

std::vector<std::string> SonographPlugIn::sortedPropertyPortKeys() {
  return {"inputSpectrum", "inputWidth", "inputHeight", "inputGain", "inputColorAlgorithm",
          "inputRed",      "inputGreen", "inputBlue",   "inputAlpha"};
}

std::vector<std::string> SonographPlugIn::colourAlgorithmKeys() { return {"RGB", "Gray"}; }

std::vector<std::string> SonographPlugIn::plugInKeys() { return {}; }

QCPlugInExecutionMode SonographPlugIn::executionMode() { return kQCPlugInExecutionModeProcessor; }

QCPlugInTimeMode SonographPlugIn::timeMode() { return kQCPlugInTimeModeTimeBase; }

SonographPlugIn::SonographPlugIn() : bufferHeight_(SAMPLE_FREQUENCIES) {}

std::unique_ptr<QCPlugInViewController> SonographPlugIn::createViewController() {
  return std::make_unique<QCPlugInViewController>(*this, "Settings");
}

bool SonographPlugIn::startExecution(QCPlugInContext& context) {
  const auto refuse = context.userInfo().find(kRefuseKey);
  if (refuse != context.userInfo().end() && refuse->second.boolValue()) return false;
  _sampleBuffer = std::make_shared<SonographBuffers>();  // every value 0
  return true;
}

void SonographPlugIn::stopExecution(QCPlugInContext&) { _sampleBuffer.reset(); }

void SonographPlugIn::sampleBufferFromData(const QCStructure& spectrum) {
  if (!_sampleBuffer) return;
  const size_t rows = std::min<size_t>(spectrum.count(), SAMPLE_FREQUENCIES);
  for (size_t k = 0; k < rows; ++k) {
    double* row = _sampleBuffer->samples.data() + k * SAMPLE_COLUMNS;
    std::memmove(row, row + 1, (SAMPLE_COLUMNS - 1) * sizeof(double));
    row[SAMPLE_COLUMNS - 1] = double(spectrum.memberAtIndex(k).floatValue());
  }
}

bool SonographPlugIn::execute(QCPlugInContext& context, double, const QCDictionary&) {
  const uint64_t width = inputWidth(), height = inputHeight();
  if (width == 0 || height == 0) {
    setImageValueForKey("outputImage", nullptr);
    return true;
  }
  if (const QCStructure* spectrum = inputSpectrum()) sampleBufferFromData(*spectrum);
  auto image = SonographImage::initWithColorSpace(context.colorSpace(), unsigned(bufferHeight_), width, height,
                                                  _sampleBuffer);
  if (!image) return false;  // the output keeps its previous image
  image->set_gain(inputGain());
  image->set_red(inputRed());
  image->set_green(inputGreen());
  image->set_blue(inputBlue());
  image->set_alpha(inputAlpha());
  image->setColorAlgorithm(unsigned(std::min<uint64_t>(inputColorAlgorithm(), UINT_MAX)));
  setImageValueForKey("outputImage", std::move(image));
  return true;
}
