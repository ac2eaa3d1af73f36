// The XDG desktop portal's file chooser over the session bus (libdbus, loaded on first need):
// org.freedesktop.portal.FileChooser.OpenFile, then the Response signal of the request object.
#include <dbus/dbus.h>
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "platform/appkit/FileChooser.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"

namespace platform::appkit {
namespace {

#define MT_DBUS_FUNCTIONS(X)                                                                                           \
  X(threads_init_default) X(error_init) X(error_free) X(error_is_set) X(connection_open_private) X(bus_register)        \
  X(connection_close) X(connection_unref) X(connection_set_exit_on_disconnect) X(bus_get_unique_name) X(bus_add_match) \
  X(bus_name_has_owner) X(message_new_method_call) X(message_unref) X(message_iter_init_append)                        \
  X(message_iter_append_basic) X(message_iter_open_container) X(message_iter_close_container)                          \
  X(message_iter_append_fixed_array) X(connection_send_with_reply_and_block) X(connection_send) X(connection_flush)    \
  X(message_iter_init) X(message_iter_get_arg_type) X(message_iter_get_basic) X(message_iter_next)                     \
  X(message_iter_recurse) X(connection_read_write) X(connection_pop_message) X(message_is_signal)                       \
  X(message_get_path)

struct DBusFunctions {
#define MT_DBUS_MEMBER(name) decltype(&::dbus_##name) name = nullptr;
  MT_DBUS_FUNCTIONS(MT_DBUS_MEMBER)
#undef MT_DBUS_MEMBER
};

// libdbus, once; nullptr when it isn't installed.
const DBusFunctions* dbus() {
  static const DBusFunctions* functions = []() -> const DBusFunctions* {
    void* lib = dlopen("libdbus-1.so.3", RTLD_NOW | RTLD_LOCAL);
    if (!lib) return nullptr;
    static DBusFunctions f;
    bool ok = true;
#define MT_DBUS_LOAD(name)                                                          \
  f.name = reinterpret_cast<decltype(f.name)>(dlsym(lib, "dbus_" #name)); \
  ok = ok && f.name;
    MT_DBUS_FUNCTIONS(MT_DBUS_LOAD)
#undef MT_DBUS_LOAD
    if (!ok) return nullptr;
    f.threads_init_default();
    return &f;
  }();
  return functions;
}

const char* kPortalName = "org.freedesktop.portal.Desktop";
const char* kPortalPath = "/org/freedesktop/portal/desktop";

// The session bus's address, without ever starting a bus (libdbus would autolaunch one on X11).
std::optional<std::string> sessionBusAddress() {
  if (const char* env = std::getenv("DBUS_SESSION_BUS_ADDRESS")) {
    if (*env) return std::string(env);
    return std::nullopt;
  }
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
    std::string socket = std::string(runtime) + "/bus";
    struct stat st {};
    if (::stat(socket.c_str(), &st) == 0 && S_ISSOCK(st.st_mode)) return "unix:path=" + socket;
  }
  return std::nullopt;
}

void appendString(const DBusFunctions& d, DBusMessageIter* it, const std::string& s) {
  const char* c = s.c_str();
  d.message_iter_append_basic(it, DBUS_TYPE_STRING, &c);
}

// One a{sv} entry of the options.
template <typename Fill>
void appendOption(const DBusFunctions& d, DBusMessageIter* dict, const char* key, const char* signature, Fill fill) {
  DBusMessageIter entry, variant;
  d.message_iter_open_container(dict, DBUS_TYPE_DICT_ENTRY, nullptr, &entry);
  d.message_iter_append_basic(&entry, DBUS_TYPE_STRING, &key);
  d.message_iter_open_container(&entry, DBUS_TYPE_VARIANT, signature, &variant);
  fill(&variant);
  d.message_iter_close_container(&entry, &variant);
  d.message_iter_close_container(dict, &entry);
}

// (sa(us)): a named filter of glob patterns.
void appendFilter(const DBusFunctions& d, DBusMessageIter* it, const std::vector<std::string>& patterns) {
  DBusMessageIter filter, list;
  d.message_iter_open_container(it, DBUS_TYPE_STRUCT, nullptr, &filter);
  appendString(d, &filter, "Media files");
  d.message_iter_open_container(&filter, DBUS_TYPE_ARRAY, "(us)", &list);
  for (const std::string& p : patterns) {
    DBusMessageIter pair;
    dbus_uint32_t glob = 0;
    d.message_iter_open_container(&list, DBUS_TYPE_STRUCT, nullptr, &pair);
    d.message_iter_append_basic(&pair, DBUS_TYPE_UINT32, &glob);
    appendString(d, &pair, p);
    d.message_iter_close_container(&list, &pair);
  }
  d.message_iter_close_container(&filter, &list);
  d.message_iter_close_container(it, &filter);
}

DBusMessage* openFileCall(const DBusFunctions& d, const FileChooserRequest& r, const std::string& token) {
  DBusMessage* m = d.message_new_method_call(kPortalName, kPortalPath, "org.freedesktop.portal.FileChooser", "OpenFile");
  if (!m) return nullptr;
  DBusMessageIter args, options;
  d.message_iter_init_append(m, &args);
  appendString(d, &args, "");  // no parent window identifier
  appendString(d, &args, r.title);
  d.message_iter_open_container(&args, DBUS_TYPE_ARRAY, "{sv}", &options);
  appendOption(d, &options, "handle_token", "s", [&](DBusMessageIter* v) { appendString(d, v, token); });
  dbus_bool_t no = FALSE, yes = TRUE;
  appendOption(d, &options, "modal", "b", [&](DBusMessageIter* v) { d.message_iter_append_basic(v, DBUS_TYPE_BOOLEAN, &no); });
  appendOption(d, &options, "multiple", "b",
               [&](DBusMessageIter* v) { d.message_iter_append_basic(v, DBUS_TYPE_BOOLEAN, &no); });
  if (r.chooseDirectories)
    appendOption(d, &options, "directory", "b",
                 [&](DBusMessageIter* v) { d.message_iter_append_basic(v, DBUS_TYPE_BOOLEAN, &yes); });
  if (!r.directory.empty()) {
    appendOption(d, &options, "current_folder", "ay", [&](DBusMessageIter* v) {
      DBusMessageIter bytes;
      d.message_iter_open_container(v, DBUS_TYPE_ARRAY, "y", &bytes);
      const char* data = r.directory.c_str();  // with its terminating NUL, as the portal wants
      d.message_iter_append_fixed_array(&bytes, DBUS_TYPE_BYTE, &data, static_cast<int>(r.directory.size() + 1));
      d.message_iter_close_container(v, &bytes);
    });
  }
  if (!r.fileTypes.empty()) {
    const std::vector<std::string> patterns = globPatterns(r.fileTypes);
    appendOption(d, &options, "filters", "a(sa(us))", [&](DBusMessageIter* v) {
      DBusMessageIter list;
      d.message_iter_open_container(v, DBUS_TYPE_ARRAY, "(sa(us))", &list);
      appendFilter(d, &list, patterns);
      d.message_iter_close_container(v, &list);
    });
    appendOption(d, &options, "current_filter", "(sa(us))", [&](DBusMessageIter* v) { appendFilter(d, v, patterns); });
  }
  d.message_iter_close_container(&args, &options);
  return m;
}

// The Response signal's (u response, a{sv} results): the first of "uris" when response is 0.
std::optional<std::string> chosenFromResponse(const DBusFunctions& d, DBusMessage* m) {
  DBusMessageIter args;
  if (!d.message_iter_init(m, &args) || d.message_iter_get_arg_type(&args) != DBUS_TYPE_UINT32) return std::nullopt;
  dbus_uint32_t response = 2;
  d.message_iter_get_basic(&args, &response);
  if (response != 0 || !d.message_iter_next(&args) || d.message_iter_get_arg_type(&args) != DBUS_TYPE_ARRAY)
    return std::nullopt;
  DBusMessageIter dict;
  d.message_iter_recurse(&args, &dict);
  for (; d.message_iter_get_arg_type(&dict) == DBUS_TYPE_DICT_ENTRY; d.message_iter_next(&dict)) {
    DBusMessageIter entry, variant, uris;
    d.message_iter_recurse(&dict, &entry);
    if (d.message_iter_get_arg_type(&entry) != DBUS_TYPE_STRING) continue;
    const char* key = nullptr;
    d.message_iter_get_basic(&entry, &key);
    if (!key || std::string(key) != "uris" || !d.message_iter_next(&entry)) continue;
    d.message_iter_recurse(&entry, &variant);
    if (d.message_iter_get_arg_type(&variant) != DBUS_TYPE_ARRAY) continue;
    d.message_iter_recurse(&variant, &uris);
    if (d.message_iter_get_arg_type(&uris) != DBUS_TYPE_STRING) continue;
    const char* uri = nullptr;
    d.message_iter_get_basic(&uris, &uri);
    return uri ? pathFromFileURI(uri) : std::nullopt;
  }
  return std::nullopt;
}

struct PortalState {
  std::atomic<bool> cancelled{false};
  std::mutex mutex;  // guards fallback
  std::unique_ptr<FileChooserSession> fallback;
};

class PortalSession final : public FileChooserSession {
 public:
  explicit PortalSession(std::shared_ptr<PortalState> state) : state_(std::move(state)) {}
  ~PortalSession() override { cancel(); }
  void cancel() override {
    state_->cancelled = true;
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->fallback) state_->fallback->cancel();
  }
  FileChooserBackend backend() const override { return FileChooserBackend::Portal; }

 private:
  std::shared_ptr<PortalState> state_;
};

// On the chooser's thread: asks the portal, waits for its answer (or for cancel), and hands the
// result to the main run loop. False when the portal could not show a chooser at all.
bool runPortalChooser(const DBusFunctions& d, DBusConnection* c, const FileChooserRequest& r, PortalState& state,
                      std::optional<std::string>& chosen) {
  // The request object's path is known before the call, so its Response can't be missed.
  static std::atomic<unsigned> counter{0};
  const std::string token = "mediatools" + std::to_string(::getpid()) + "_" + std::to_string(++counter);
  std::string sender = d.bus_get_unique_name(c) ? d.bus_get_unique_name(c) : "";
  if (!sender.empty() && sender[0] == ':') sender.erase(0, 1);
  for (char& ch : sender)
    if (ch == '.') ch = '_';
  std::string handle = std::string(kPortalPath) + "/request/" + sender + "/" + token;
  auto match = [&](const std::string& path) {
    const std::string rule =
        "type='signal',interface='org.freedesktop.portal.Request',member='Response',path='" + path + "'";
    d.bus_add_match(c, rule.c_str(), nullptr);
  };
  match(handle);

  DBusMessage* call = openFileCall(d, r, token);
  if (!call) return false;
  DBusError error;
  d.error_init(&error);
  DBusMessage* reply = d.connection_send_with_reply_and_block(c, call, 30000, &error);
  d.message_unref(call);
  if (!reply) {
    platform::log("NSOpenPanel: the desktop portal has no file chooser: %s", error.message ? error.message : "no reply");
    d.error_free(&error);
    return false;
  }
  DBusMessageIter it;
  if (d.message_iter_init(reply, &it) && d.message_iter_get_arg_type(&it) == DBUS_TYPE_OBJECT_PATH) {
    const char* path = nullptr;
    d.message_iter_get_basic(&it, &path);
    if (path && handle != path) {
      handle = path;  // older portals choose the path themselves
      match(handle);
    }
  }
  d.message_unref(reply);

  while (d.connection_read_write(c, 100)) {
    if (state.cancelled) {
      DBusMessage* close = d.message_new_method_call(kPortalName, handle.c_str(), "org.freedesktop.portal.Request", "Close");
      if (close) {
        d.connection_send(c, close, nullptr);
        d.connection_flush(c);
        d.message_unref(close);
      }
      return true;
    }
    while (DBusMessage* m = d.connection_pop_message(c)) {
      const bool response = d.message_is_signal(m, "org.freedesktop.portal.Request", "Response") &&
                            d.message_get_path(m) && handle == d.message_get_path(m);
      if (response) chosen = chosenFromResponse(d, m);
      d.message_unref(m);
      if (response) return true;
    }
  }
  platform::log("NSOpenPanel: lost the session bus while the file chooser was open");
  return true;
}

}  // namespace

std::unique_ptr<FileChooserSession> beginPortalFileChooser(const FileChooserRequest& request,
                                                           FileChooserCompletion completion) {
  const std::optional<std::string> address = sessionBusAddress();
  if (!address) return nullptr;
  const DBusFunctions* d = dbus();
  if (!d) return nullptr;
  DBusError error;
  d->error_init(&error);
  DBusConnection* c = d->connection_open_private(address->c_str(), &error);
  if (!c || !d->bus_register(c, &error)) {
    d->error_free(&error);
    if (c) {
      d->connection_close(c);
      d->connection_unref(c);
    }
    return nullptr;
  }
  d->connection_set_exit_on_disconnect(c, FALSE);
  // A portal that runs now; activatable ones start on the call, but where none runs a desktop
  // seldom has one to start.
  const bool portal = d->bus_name_has_owner(c, kPortalName, &error);
  d->error_free(&error);
  if (!portal) {
    d->connection_close(c);
    d->connection_unref(c);
    return nullptr;
  }
  auto state = std::make_shared<PortalState>();
  std::thread([d, c, request, state, completion = std::move(completion)] {
    std::optional<std::string> chosen;
    const bool shown = runPortalChooser(*d, c, request, *state, chosen);
    d->connection_close(c);
    d->connection_unref(c);
    if (state->cancelled) return;
    platform::RunLoop::mainRunLoop().perform([state, shown, chosen, request, completion] {
      if (state->cancelled) return;
      if (shown) {
        completion(chosen);
        return;
      }
      // The portal can't choose files: the program choosers, or Cancel when there are none.
      auto next = beginProgramFileChooser(request, completion);
      if (!next) {
        completion(std::nullopt);
        return;
      }
      std::lock_guard<std::mutex> lock(state->mutex);
      state->fallback = std::move(next);
    });
  }).detach();
  return std::make_unique<PortalSession>(std::move(state));
}

}  // namespace platform::appkit
