#pragma once
// The child process a script runs in, so that nothing a run does (a crash of the interpreter on
// bad bytecode, a hang inside a library function, closing the standard streams, memory it never
// gives back) reaches the program that asked for it. The child is forked on the first request,
// from this process as it is then, and serves one request after another, keeping its state
// between them. Each request has processor-time and wall-clock limits, the child an address-space
// limit; the parent always gets an answer, an error naming the limit or the signal when the child
// gave none. A child that failed is gone; the next request forks a new one.
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace platform {

// What a run hands back.
struct ScriptOutcome {
  enum class Kind : uint8_t { Nothing = 'N', Result = 'R', Error = 'E' };
  Kind kind = Kind::Nothing;
  bool rawData = false;  // Result: raw bytes rather than text
  std::string bytes;     // Result
  int32_t errorNumber = 0;
  std::string errorMessage, errorBriefMessage;

  static ScriptOutcome error(int32_t number, const std::string& message, const std::string& brief);
};

// The child's end: one send for each request.
class ScriptOutcomeChannel {
 public:
  explicit ScriptOutcomeChannel(int fd) : fd_(fd) {}
  void sendNothing();
  void sendResult(bool rawData, const char* bytes, size_t length);
  void sendError(int32_t number, const std::string& message, const std::string& brief);
  bool sent() const { return sent_; }

 private:
  bool write(const void* data, size_t length);
  int fd_;
  bool sent_ = false;
};

struct ScriptProcessLimits {
  double seconds = 15;           // wall clock, from the request to its answer
  double processorSeconds = 5;   // user and system time the child spends on the request
  size_t addressSpaceBytes = 0;  // the child's whole address space, set when it starts; 0 for none
  size_t maxAnswerBytes = 0;     // largest result taken
};

class ScriptWorker {
 public:
  // Runs in the child for each request; answers through the channel.
  using Serve = std::function<void(const std::string& request, ScriptOutcomeChannel& channel)>;

  ScriptWorker() = default;
  ~ScriptWorker();  // ends the child
  ScriptWorker(const ScriptWorker&) = delete;
  ScriptWorker& operator=(const ScriptWorker&) = delete;

  // Hands the request to the child (forked first when there is none, with `serve` as its work)
  // and waits for the answer under the limits. A child that runs out of time answers
  // kScriptLimitExceeded, one that dies or can't be started kScriptProcessFailed (ScriptErrors.h),
  // each with a message naming the limit or the signal. Standard output is flushed before a fork
  // so that the child doesn't print it again; the child's standard input is /dev/null.
  ScriptOutcome request(const std::string& request, const ScriptProcessLimits& limits, const Serve& serve);
  bool running() const { return pid_ > 0; }

 private:
  bool start(const ScriptProcessLimits& limits, const Serve& serve, std::string& error);
  void end();
  pid_t pid_ = -1;
  int socket_ = -1;
};

// The address space the calling process uses now (virtual size), for sizing a child's limit.
size_t currentAddressSpaceBytes();

}  // namespace platform
