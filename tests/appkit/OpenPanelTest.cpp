// The Open panel on the desktop's choosers: a portal on a private session bus (a stand-in portal
// service speaking the real D-Bus protocol), zenity and kdialog (stand-in programs that record
// their arguments), and a desktop without any.
#include <dbus/dbus.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

#include "platform/appkit/FileChooser.h"
#include "platform/appkit/OpenPanel.h"
#include "platform/foundation/RunLoop.h"
#include "tests/support/TestSupport.h"

using namespace platform::appkit;
using testsupport::LogCapture;
using testsupport::runMainLoopUntil;
using testsupport::TempDir;

namespace {

// Sets environment variables for the object's lifetime.
class ScopedEnv {
 public:
  void set(const std::string& name, const std::string& value) {
    const char* old = std::getenv(name.c_str());
    saved_.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
    setenv(name.c_str(), value.c_str(), 1);
  }
  void unset(const std::string& name) {
    const char* old = std::getenv(name.c_str());
    saved_.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
    unsetenv(name.c_str());
  }
  ~ScopedEnv() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->second)
        setenv(it->first.c_str(), it->second->c_str(), 1);
      else
        unsetenv(it->first.c_str());
    }
  }

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

void writeScript(const std::string& path, const std::string& body) {
  testsupport::writeFile(path, "#!/bin/sh\n" + body);
  ::chmod(path.c_str(), 0755);
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::stringstream ss(text);
  for (std::string line; std::getline(ss, line);) out.push_back(line);
  return out;
}

class OpenPanel : public ::testing::Test {
 protected:
  void SetUp() override {
    NSOpenPanel::setChooser(nullptr);
    // No session bus, and only our stand-in programs (and the shell's own tools) to find.
    env.set("DBUS_SESSION_BUS_ADDRESS", "");
    env.set("PATH", bin.path() + ":/usr/bin:/bin");
  }
  void TearDown() override { NSOpenPanel::openPanel().close(); }

  struct Result {
    bool done = false;
    int code = -1;
    std::string filename;
  };
  // Starts the panel; the result fills in when the completion runs.
  void begin(Result& r, const std::string& directory = "/tmp") {
    NSOpenPanel& panel = NSOpenPanel::openPanel();
    panel.setTitle("Select a movie to open...");
    panel.setCanChooseDirectories(false);
    panel.beginForDirectory(directory, {"mp4", "mov"}, [&r](NSOpenPanel& p, int code) {
      r.done = true;
      r.code = code;
      r.filename = p.filename();
    });
  }

  ScopedEnv env;
  TempDir bin;
  TempDir scratch;
};

}  // namespace

TEST(FileChooserHelpers, FileURIsBecomePathsAndTypesBecomeGlobs) {
  EXPECT_EQ(pathFromFileURI("file:///home/a%20b/movie%23.mp4"), "/home/a b/movie#.mp4");
  EXPECT_EQ(pathFromFileURI("file://localhost/tmp/x.mov"), "/tmp/x.mov");
  EXPECT_EQ(pathFromFileURI("file:///t/%E2%80%A0.mp4"), "/t/\xE2\x80\xA0.mp4");
  EXPECT_EQ(pathFromFileURI("file:///t/100%.mp4"), "/t/100%.mp4");  // a lone percent stays
  EXPECT_FALSE(pathFromFileURI("file://server/share/x.mp4"));
  EXPECT_FALSE(pathFromFileURI("https://example.org/x.mp4"));
  EXPECT_FALSE(pathFromFileURI("file:///t/a%00b"));
  EXPECT_EQ(globPatterns({"mp4", "3gp"}), (std::vector<std::string>{"*.mp4", "*.MP4", "*.3gp", "*.3GP"}));
}

TEST_F(OpenPanel, WithoutAnyChooserItLogsAndEndsAsCancelOnALaterPass) {
  env.set("PATH", bin.path());  // nothing to run at all
  LogCapture log;
  Result r;
  begin(r);
  EXPECT_FALSE(r.done);  // never from inside beginForDirectory
  ASSERT_TRUE(runMainLoopUntil([&] { return r.done; }, 5));
  EXPECT_EQ(r.code, NSCancelButton);
  EXPECT_TRUE(log.contains("NSOpenPanel: no file chooser on this desktop (tried the XDG desktop portal, zenity and kdialog)"));
}

TEST_F(OpenPanel, ZenityIsAskedWithTitleFolderAndFilterAndItsAnswerIsTheChoice) {
  const std::string args = scratch.file("args");
  writeScript(bin.path() + "/zenity", "for a in \"$@\"; do echo \"$a\" >> '" + args + "'; done\necho '/movies/a b.mp4'\n");
  Result r;
  begin(r, "/media/films");
  ASSERT_TRUE(runMainLoopUntil([&] { return r.done; }, 10));
  EXPECT_EQ(r.code, NSOKButton);
  EXPECT_EQ(r.filename, "/movies/a b.mp4");
  EXPECT_EQ(lines(testsupport::readFile(args)),
            (std::vector<std::string>{"--file-selection", "--title=Select a movie to open...", "--filename=/media/films/",
                                      "--file-filter=Media files | *.mp4 *.MP4 *.mov *.MOV"}));

  // Cancel (status 1) and a chooser that fails (status 5 after printing) are both Cancel.
  for (const char* body : {"exit 1\n", "echo /x.mp4; exit 5\n"}) {
    writeScript(bin.path() + "/zenity", body);
    Result c;
    begin(c);
    ASSERT_TRUE(runMainLoopUntil([&] { return c.done; }, 10));
    EXPECT_EQ(c.code, NSCancelButton) << body;
  }
}

TEST_F(OpenPanel, KDialogServesWhereZenityIsMissing) {
  const std::string args = scratch.file("args");
  writeScript(bin.path() + "/kdialog", "for a in \"$@\"; do echo \"$a\" >> '" + args + "'; done\necho /m/x.mov\n");
  Result r;
  begin(r, "/media/films");
  ASSERT_TRUE(runMainLoopUntil([&] { return r.done; }, 10));
  EXPECT_EQ(r.code, NSOKButton);
  EXPECT_EQ(r.filename, "/m/x.mov");
  EXPECT_EQ(lines(testsupport::readFile(args)),
            (std::vector<std::string>{"--title", "Select a movie to open...", "--getopenfilename", "/media/films",
                                      "*.mp4 *.MP4 *.mov *.MOV|Media files"}));
}

TEST_F(OpenPanel, TheChooserIsModelessAndClosingThePanelEndsIt) {
  const std::string pidFile = scratch.file("pid");
  // A chooser that stays open until it is killed.
  writeScript(bin.path() + "/zenity", "echo $$ > '" + pidFile + "'\nexec sleep 30\n");
  Result r;
  begin(r);
  // The main loop goes on while the chooser is open: a timer fires.
  int ticks = 0;
  auto& loop = platform::RunLoop::mainRunLoop();
  auto timer = loop.addTimer(0.02, true, [&] { ++ticks; });
  ASSERT_TRUE(runMainLoopUntil([&] { return ticks >= 5 && !testsupport::readFile(pidFile).empty(); }, 10));
  loop.invalidateTimer(timer);
  const pid_t pid = static_cast<pid_t>(std::stol(testsupport::readFile(pidFile)));
  EXPECT_TRUE(NSOpenPanel::openPanel().isVisible());
  EXPECT_FALSE(r.done);

  NSOpenPanel::openPanel().close();
  // The chooser process goes away and its answer is dropped.
  EXPECT_TRUE(runMainLoopUntil([&] { return ::kill(pid, 0) != 0; }, 5));
  runMainLoopUntil([] { return false; }, 0.3);
  EXPECT_FALSE(r.done);
}

// A portal on a private session bus: answers OpenFile with a request handle, then emits that
// request's Response with a file URI, recording what it was asked.
namespace {

struct PortalStandIn {
  std::string address;
  pid_t daemon = 0;
  std::thread thread;
  std::atomic<bool> stop{false};
  std::atomic<bool> ready{false};
  // What OpenFile carried.
  std::string title, token, folder;
  std::vector<std::string> patterns;
  bool modal = true;
  std::string answerUri;

  std::mutex mutex;  // guards answerUri

  void answer(const std::string& uri) {
    std::lock_guard<std::mutex> lock(mutex);
    answerUri = uri;
  }

  bool start(const std::string& uri) {
    answer(uri);
    testsupport::RunResult r = testsupport::run(
        "/usr/bin/dbus-daemon", {"--session", "--fork", "--print-address=1", "--print-pid=1", "--nosyslog"});
    if (r.status != 0) return false;
    std::stringstream ss(r.out);
    std::getline(ss, address);
    std::string pid;
    std::getline(ss, pid);
    if (address.empty() || pid.empty()) return false;
    daemon = static_cast<pid_t>(std::stol(pid));
    thread = std::thread([this] { serve(); });
    for (int i = 0; i < 200 && !ready; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return ready;
  }

  ~PortalStandIn() {
    stop = true;
    if (thread.joinable()) thread.join();
    if (daemon > 0) ::kill(daemon, SIGTERM);
  }

  static std::string string(DBusMessageIter* it) {
    const char* s = nullptr;
    dbus_message_iter_get_basic(it, &s);
    return s ? s : "";
  }

  void readOptions(DBusMessageIter* dict) {
    for (; dbus_message_iter_get_arg_type(dict) == DBUS_TYPE_DICT_ENTRY; dbus_message_iter_next(dict)) {
      DBusMessageIter entry, v;
      dbus_message_iter_recurse(dict, &entry);
      const std::string key = string(&entry);
      dbus_message_iter_next(&entry);
      dbus_message_iter_recurse(&entry, &v);
      if (key == "handle_token") token = string(&v);
      if (key == "modal") {
        dbus_bool_t b = TRUE;
        dbus_message_iter_get_basic(&v, &b);
        modal = b;
      }
      if (key == "current_folder") {
        DBusMessageIter bytes;
        dbus_message_iter_recurse(&v, &bytes);
        const char* data = nullptr;
        int n = 0;
        dbus_message_iter_get_fixed_array(&bytes, &data, &n);
        folder.assign(data, static_cast<size_t>(n));
      }
      if (key == "filters") {
        DBusMessageIter list, filter, globs;
        dbus_message_iter_recurse(&v, &list);
        dbus_message_iter_recurse(&list, &filter);
        dbus_message_iter_next(&filter);  // past the name
        dbus_message_iter_recurse(&filter, &globs);
        for (; dbus_message_iter_get_arg_type(&globs) == DBUS_TYPE_STRUCT; dbus_message_iter_next(&globs)) {
          DBusMessageIter pair;
          dbus_message_iter_recurse(&globs, &pair);
          dbus_message_iter_next(&pair);
          patterns.push_back(string(&pair));
        }
      }
    }
  }

  void serve() {
    DBusError error;
    dbus_error_init(&error);
    DBusConnection* c = dbus_connection_open_private(address.c_str(), &error);
    if (!c || !dbus_bus_register(c, &error)) return;
    dbus_bus_request_name(c, "org.freedesktop.portal.Desktop", DBUS_NAME_FLAG_DO_NOT_QUEUE, &error);
    ready = true;
    while (!stop && dbus_connection_read_write(c, 50)) {
      while (DBusMessage* m = dbus_connection_pop_message(c)) {
        if (dbus_message_is_method_call(m, "org.freedesktop.portal.FileChooser", "OpenFile")) {
          DBusMessageIter args, options;
          dbus_message_iter_init(m, &args);
          dbus_message_iter_next(&args);  // parent window
          title = string(&args);
          dbus_message_iter_next(&args);
          dbus_message_iter_recurse(&args, &options);
          readOptions(&options);
          std::string sender = dbus_message_get_sender(m) + 1;
          for (char& ch : sender)
            if (ch == '.') ch = '_';
          const std::string handle = "/org/freedesktop/portal/desktop/request/" + sender + "/" + token;
          DBusMessage* reply = dbus_message_new_method_return(m);
          const char* h = handle.c_str();
          dbus_message_append_args(reply, DBUS_TYPE_OBJECT_PATH, &h, DBUS_TYPE_INVALID);
          dbus_connection_send(c, reply, nullptr);
          dbus_message_unref(reply);

          std::string uriToSend;
          {
            std::lock_guard<std::mutex> lock(mutex);
            uriToSend = answerUri;
          }
          DBusMessage* signal = dbus_message_new_signal(handle.c_str(), "org.freedesktop.portal.Request", "Response");
          DBusMessageIter out, results, entry, variant, uris;
          dbus_message_iter_init_append(signal, &out);
          dbus_uint32_t response = uriToSend.empty() ? 1 : 0;
          dbus_message_iter_append_basic(&out, DBUS_TYPE_UINT32, &response);
          dbus_message_iter_open_container(&out, DBUS_TYPE_ARRAY, "{sv}", &results);
          if (!uriToSend.empty()) {
            const char* key = "uris";
            const char* uri = uriToSend.c_str();
            dbus_message_iter_open_container(&results, DBUS_TYPE_DICT_ENTRY, nullptr, &entry);
            dbus_message_iter_append_basic(&entry, DBUS_TYPE_STRING, &key);
            dbus_message_iter_open_container(&entry, DBUS_TYPE_VARIANT, "as", &variant);
            dbus_message_iter_open_container(&variant, DBUS_TYPE_ARRAY, "s", &uris);
            dbus_message_iter_append_basic(&uris, DBUS_TYPE_STRING, &uri);
            dbus_message_iter_close_container(&variant, &uris);
            dbus_message_iter_close_container(&entry, &variant);
            dbus_message_iter_close_container(&results, &entry);
          }
          dbus_message_iter_close_container(&out, &results);
          dbus_connection_send(c, signal, nullptr);
          dbus_message_unref(signal);
          dbus_connection_flush(c);
        }
        dbus_message_unref(m);
      }
    }
    dbus_connection_close(c);
    dbus_connection_unref(c);
  }
};

}  // namespace

TEST_F(OpenPanel, ThePortalIsAskedFirstAndItsURIAnswerIsDecoded) {
  if (::access("/usr/bin/dbus-daemon", X_OK) != 0) GTEST_SKIP() << "dbus-daemon is not installed";
  // A zenity that must not be asked while a portal answers.
  writeScript(bin.path() + "/zenity", "echo /wrong.mp4\n");
  PortalStandIn portal;
  ASSERT_TRUE(portal.start("file:///films/La%20R%C3%A9gle.mp4"));
  env.set("DBUS_SESSION_BUS_ADDRESS", portal.address);
  Result r;
  begin(r, "/media/films");
  ASSERT_TRUE(runMainLoopUntil([&] { return r.done; }, 10));
  EXPECT_EQ(r.code, NSOKButton);
  EXPECT_EQ(r.filename, "/films/La R\xC3\xA9gle.mp4");
  EXPECT_EQ(portal.title, "Select a movie to open...");
  EXPECT_FALSE(portal.modal);
  EXPECT_EQ(portal.folder, std::string("/media/films\0", 13));
  EXPECT_EQ(portal.patterns, (std::vector<std::string>{"*.mp4", "*.MP4", "*.mov", "*.MOV"}));
  EXPECT_FALSE(portal.token.empty());

  // The portal's Cancel (response 1) is the panel's Cancel.
  portal.answer("");
  Result c;
  begin(c);
  ASSERT_TRUE(runMainLoopUntil([&] { return c.done; }, 10));
  EXPECT_EQ(c.code, NSCancelButton);
}
