// The sonograph as sonogram hosts it: one frame per column spectrum, then the image.
#include "platform/composition/host/QCPatch.h"
#include "platform/composition/host/QCRenderedImage.h"
#include "platform/gl/HeadlessGLContext.h"
#include "sonogram/Sonogram.h"

using namespace platform::composition;

std::optional<platform::Image> renderSonogram(const std::vector<SpectrumTimeline::Spectrum>& columns,
                                              const std::string& sonographPath, const SonogramOptions& options,
                                              std::string& error) {
  // The context outlives the patch, which stops execution on it when it goes.
  platform::gl::HeadlessGLContext gl(16, 16);
  if (!gl.valid() || !gl.makeCurrent()) {
    error = "no headless OpenGL context";
    return std::nullopt;
  }
  QCPlugInContext context(CGColorSpaceCreateWithName(kCGColorSpaceGenericRGB), cglContextFor(gl));
  auto module = QCPlugInModule::load(sonographPath, error);
  if (!module) return std::nullopt;
  auto patch = QCPatch::create(module, error);
  if (!patch) {
    error = "'" + sonographPath + "': " + error;
    return std::nullopt;
  }
  QCPortStore& ports = patch->ports();
  const bool inputsTaken =
      ports.setInputValue("inputWidth", uint64_t(options.width)) &&
      ports.setInputValue("inputHeight", uint64_t(options.height)) &&
      ports.setInputValue("inputGain", options.gain) &&
      ports.setInputValue("inputColorAlgorithm", uint64_t(options.colorAlgorithm)) &&
      ports.setInputValue("inputRed", options.red) && ports.setInputValue("inputGreen", options.green) &&
      ports.setInputValue("inputBlue", options.blue) && ports.setInputValue("inputAlpha", options.alpha);
  if (!inputsTaken) {
    error = "'" + sonographPath + "' does not have the sonograph's ports";
    return std::nullopt;
  }

  if (!patch->start(context)) {
    error = "the sonograph refused to start";
    return std::nullopt;
  }
  QCStructure spectrum;
  for (size_t j = 0; j < columns.size(); ++j) {
    spectrum.removeAll();
    for (float band : columns[j]) spectrum.append(QCValue(double(band)));
    ports.setInputValue("inputSpectrum", spectrum);
    if (!patch->execute(double(j) / 60.0)) {
      error = "the sonograph failed frame " + std::to_string(j + 1);
      return std::nullopt;
    }
  }
  const QCPortValue* output = ports.value("outputImage");
  const auto* provider = output ? std::get_if<QCImageProviderRef>(output) : nullptr;
  if (!provider || !*provider) {
    error = "the sonograph made no image";
    return std::nullopt;
  }
  auto image = renderProviderImage(**provider, gl, error);
  patch->stop();
  return image;
}
