// comphost: a small composition host. Loads a plug-in module by path, lists its ports with their
// attributes, sets inputs from the command line, runs frames on a headless OpenGL context and
// writes an image output, rendered as a texture and read back, to a PNG file. A plug-in named
// without a folder that is not in the current folder is looked up where the suite installs its
// plug-ins (../lib/mediatools).
//
// Exit status: 0 success, 1 when the plug-in fails (refuses to start, fails a frame, leaves no
// image or cannot render it), 2 for a usage error, 3 when the plug-in or an input file cannot
// be used, 4 when the PNG cannot be written.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "platform/composition/ColorSpace.h"
#include "platform/composition/host/QCPatch.h"
#include "platform/composition/host/QCPortText.h"
#include "platform/composition/host/QCRenderedImage.h"
#include "platform/foundation/CommandLineHelp.h"
#include "platform/foundation/InstallLayout.h"
#include "platform/foundation/Paths.h"
#include "platform/gl/HeadlessGLContext.h"
#include "platform/graphics/ImageCodec.h"

using namespace platform::composition;

namespace {

const char* const kUsage =
    "usage: comphost PLUGIN.so [OUT.png] [options]\n"
    "  Without OUT.png, lists the plug-in's attributes and ports. PLUGIN.so is a path or the name\n"
    "  of an installed plug-in (Sonograph.so).\n"
    "  --set KEY=VALUE          set input KEY before the first frame (structures: 0.1,0.5,...;\n"
    "                           index ports also take a menu item's name)\n"
    "  --each-frame KEY=FILE    set input KEY from FILE's lines, one line per frame ('-' reads\n"
    "                           standard input; numbers may be separated by spaces or commas)\n"
    "  --frames N               frames to run (default 1, or one per line of --each-frame)\n"
    "  --fps F                  frames per second of the time passed to the plug-in (default 60)\n"
    "  --output KEY             the image output to write (default: the first one)\n"
    "  --user-info KEY=VALUE    an entry of the execution context's user information\n"
    "  --list                   list the ports before running\n"
    "  --help                   this text; --version: the version\n"
    "Exit status: 0 success, 1 the plug-in failed, 2 usage error, 3 the plug-in or an input file\n"
    "cannot be used, 4 the PNG cannot be written.\n";

int usage(const std::string& message = {}) { return platform::usageError("comphost", kUsage, message); }

int fail(int status, const std::string& message) {
  std::fprintf(stderr, "comphost: %s\n", message.c_str());
  return status;
}

// A name without a folder: the current folder's file of that name, else the installed plug-in.
std::string plugInPathFor(const std::string& argument) {
  if (argument.find('/') != std::string::npos) return argument;
  if (platform::fileExists(argument)) return "./" + argument;
  return platform::findModule(argument).value_or(argument);
}

bool splitAssignment(const std::string& text, std::string& key, std::string& value) {
  const size_t eq = text.find('=');
  if (eq == std::string::npos || eq == 0) return false;
  key = text.substr(0, eq);
  value = text.substr(eq + 1);
  return true;
}

const char* executionModeName(QCPlugInExecutionMode mode) {
  switch (mode) {
    case kQCPlugInExecutionModeProvider: return "provider";
    case kQCPlugInExecutionModeProcessor: return "processor";
    case kQCPlugInExecutionModeConsumer: return "consumer";
  }
  return "unknown";
}

const char* timeModeName(QCPlugInTimeMode mode) {
  switch (mode) {
    case kQCPlugInTimeModeNone: return "none";
    case kQCPlugInTimeModeIdle: return "idle";
    case kQCPlugInTimeModeTimeBase: return "time base";
  }
  return "unknown";
}

void list(QCPatch& patch) {
  const QCPlugInInterface& c = patch.plugInClass();
  const QCPlugInAttributes attributes = c.attributes();
  std::printf("%s (%s)\n", attributes.name.c_str(), c.className);
  std::printf("%s\n", attributes.description.c_str());
  std::printf("execution mode: %s (%d), time mode: %s (%d)\n", executionModeName(c.executionMode()),
              int(c.executionMode()), timeModeName(c.timeMode()), int(c.timeMode()));
  const auto keys = c.plugInKeys();
  std::string saved;
  for (const auto& k : keys) saved += (saved.empty() ? "" : ", ") + k;
  std::printf("plug-in keys: %s\n", saved.empty() ? "(none)" : saved.c_str());
  std::printf("ports:\n");
  for (const QCPort* port : patch.portsInOrder()) std::printf("  %s\n", describePort(*port).c_str());
}

struct FrameInput {
  std::string key;
  std::vector<std::string> lines;
};

bool readLines(const std::string& path, std::vector<std::string>& lines) {
  std::ifstream file;
  std::istream* in = &std::cin;
  if (path != "-") {
    file.open(path);
    if (!file) return false;
    in = &file;
  }
  for (std::string line; std::getline(*in, line);) {
    // Lines of numbers separated by spaces (as auhost prints spectra) read like commas.
    for (char& ch : line)
      if (ch == ' ' || ch == '\t') ch = ',';
    while (line.find(",,") != std::string::npos) line.erase(line.find(",,"), 1);
    if (!line.empty() && line.front() == ',') line.erase(0, 1);
    if (!line.empty() && line.back() == ',') line.pop_back();
    lines.push_back(line);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  for (const auto& a : args)
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (a == "--version") {
      std::fputs(platform::versionText("comphost", platform::suiteVersion()).c_str(), stdout);
      return 0;
    }
  if (args.empty()) return usage();

  std::string pluginPath = plugInPathFor(args[0]), outputPath, outputKey;
  std::vector<std::pair<std::string, std::string>> settings, userInfo;
  std::vector<std::pair<std::string, std::string>> eachFrame;
  unsigned long frames = 0;
  double fps = 60;
  bool listPorts = false;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto next = [&](std::string& into) {
      if (i + 1 >= args.size()) return false;
      into = args[++i];
      return true;
    };
    std::string v, key, value;
    if (a == "--list") {
      listPorts = true;
    } else if (a == "--set" || a == "--user-info" || a == "--each-frame") {
      if (!next(v) || !splitAssignment(v, key, value)) return usage(a + " takes KEY=VALUE");
      (a == "--set" ? settings : a == "--user-info" ? userInfo : eachFrame).emplace_back(key, value);
    } else if (a == "--frames") {
      const auto count = next(v) ? platform::wholeNumber(v, 1, 10'000'000) : std::nullopt;
      if (!count) return usage("--frames takes a count from 1");
      frames = static_cast<unsigned long>(*count);
    } else if (a == "--fps") {
      char* end = nullptr;
      if (!next(v) || (fps = std::strtod(v.c_str(), &end), *end) || !(fps > 0 && fps < 1e6))
        return usage("--fps takes a positive number");
    } else if (a == "--output") {
      if (!next(outputKey)) return usage("--output takes a port key");
    } else if (!a.empty() && a[0] == '-' && a != "-") {
      return usage("unknown option " + a);
    } else if (outputPath.empty()) {
      outputPath = a;
    } else {
      return usage("one output file only");
    }
  }

  std::string error;
  auto module = QCPlugInModule::load(pluginPath, error);
  if (!module) return fail(3, error);
  auto patch = QCPatch::create(module, error);
  if (!patch) return fail(3, "'" + pluginPath + "': " + error);

  if (outputPath.empty() || listPorts) list(*patch);
  if (outputPath.empty()) {
    if (!settings.empty() || !eachFrame.empty() || frames) return usage("running frames needs OUT.png");
    return 0;
  }

  // Inputs: checked against the ports before anything runs.
  auto inputPort = [&](const std::string& key) -> const QCPort* {
    const QCPort* port = patch->ports().port(key);
    return port && isInputKey(key) ? port : nullptr;
  };
  for (const auto& [key, text] : settings) {
    const QCPort* port = inputPort(key);
    if (!port) return usage("the plug-in has no input '" + key + "'");
    auto value = parsePortValue(*port, text, error);
    if (!value) return usage(error);
    patch->ports().setInputValue(key, std::move(*value));
  }
  std::vector<FrameInput> frameInputs;
  for (const auto& [key, path] : eachFrame) {
    if (!inputPort(key)) return usage("the plug-in has no input '" + key + "'");
    FrameInput input{key, {}};
    if (!readLines(path, input.lines)) return fail(3, "cannot read '" + path + "'");
    if (input.lines.empty()) return fail(3, "'" + path + "' has no lines");
    if (!frames) frames = input.lines.size();
    frameInputs.push_back(std::move(input));
  }
  if (!frames) frames = 1;

  const QCPort* output = outputKey.empty() ? patch->firstImageOutput() : patch->ports().port(outputKey);
  if (!output || !isOutputKey(output->declaration.key) || output->declaration.type != QCPropertyType::Image)
    return usage(outputKey.empty() ? "the plug-in has no image output" : "'" + outputKey + "' is not an image output");
  const std::string outputName = output->declaration.key;

  platform::gl::HeadlessGLContext gl(16, 16);
  if (!gl.valid() || !gl.makeCurrent()) return fail(3, "no headless OpenGL context");
  QCPlugInContext context(CGColorSpaceCreateWithName(kCGColorSpaceGenericRGB), cglContextFor(gl));
  for (const auto& [key, value] : userInfo) context.userInfo()[key] = QCValue(value);

  if (!patch->start(context)) return fail(1, "the plug-in refused to start");
  for (unsigned long frame = 0; frame < frames; ++frame) {
    for (const auto& input : frameInputs) {
      if (frame >= input.lines.size()) continue;  // the last value stays
      const QCPort* port = patch->ports().port(input.key);
      auto value = parsePortValue(*port, input.lines[frame], error);
      if (!value) {
        patch->stop();
        return fail(3, "frame " + std::to_string(frame + 1) + ": " + error);
      }
      patch->ports().setInputValue(input.key, std::move(*value));
    }
    if (!patch->execute(double(frame) / fps)) {
      patch->stop();
      return fail(1, "the plug-in failed frame " + std::to_string(frame + 1));
    }
  }

  const QCPortValue* value = patch->ports().value(outputName);
  const auto* provider = value ? std::get_if<QCImageProviderRef>(value) : nullptr;
  if (!provider || !*provider) {
    patch->stop();
    return fail(1, outputName + " holds no image after " + std::to_string(frames) + " frame(s)");
  }
  auto image = renderProviderImage(**provider, gl, error);
  patch->stop();
  if (!image) return fail(1, outputName + ": " + error);
  if (!platform::writePNGFile(*image, outputPath)) return fail(4, "cannot write '" + outputPath + "'");
  return 0;
}
