// SPDX-License-Identifier: MIT
#include "platform/nm/NmNetwork.h"

#include <NetworkManager.h>

#include <charconv>
#include <chrono>
#include <thread>

#include "platform/nm/NmReasons.h"
#include "platform/ras/RasApi.h"

namespace tarifuhr {
namespace {

using Clock = std::chrono::steady_clock;

// NetworkManager has time-outs of its own for every step; this one only
// keeps a dial from waiting for ever on a bus that went silent.
constexpr auto kDialLimit = std::chrono::minutes(3);
constexpr auto kCallLimit = std::chrono::seconds(30);
// How long a NetworkManager that came back is given to settle.
constexpr auto kSettling = std::chrono::seconds(2);

std::string Str(const char* s) { return s ? s : ""; }

// The setting that holds a profile's dial-in user name and password.
const char* CredentialSetting(const std::string& type) {
  if (type == "pppoe") return NM_SETTING_PPPOE_SETTING_NAME;
  if (type == "gsm") return NM_SETTING_GSM_SETTING_NAME;
  if (type == "cdma") return NM_SETTING_CDMA_SETTING_NAME;
  return nullptr;
}

bool IsMetered(NMMetered m) { return m == NM_METERED_YES || m == NM_METERED_GUESS_YES; }

// An asynchronous call's result, handed to its callback. A caller that
// stops waiting abandons it; the callback, when it comes, frees it.
struct Pending {
  bool done = false;
  bool abandoned = false;
  GObject* result = nullptr;  // the GAsyncResult, referenced
};

void Finished(GObject*, GAsyncResult* result, gpointer data) {
  auto* p = static_cast<Pending*>(data);
  if (p->abandoned) {
    delete p;
    return;
  }
  p->result = G_OBJECT(g_object_ref(result));
  p->done = true;
}

// One asynchronous call: start it with Data() as its callback's data,
// then Wait for its result.
class Call {
 public:
  Call() : p_(new Pending) {}
  ~Call() {
    if (!p_->done) {
      p_->abandoned = true;  // the callback frees it
      return;
    }
    if (p_->result) g_object_unref(p_->result);
    delete p_;
  }
  Call(const Call&) = delete;
  Call& operator=(const Call&) = delete;
  gpointer Data() const { return p_; }
  bool Done() const { return p_->done; }
  GAsyncResult* Result() const { return G_ASYNC_RESULT(p_->result); }

 private:
  Pending* p_;
};

}  // namespace

bool NmHandles::Taken(uint32_t handle) const {
  for (const auto& [path, h] : byPath_)
    if (h == handle) return true;
  return false;
}

uint32_t NmHandles::Of(const std::string& path) {
  std::lock_guard lock(mutex_);
  if (const auto it = byPath_.find(path); it != byPath_.end()) return it->second;
  uint32_t number = 0;
  const size_t slash = path.rfind('/');
  const std::string digits = slash == std::string::npos ? "" : path.substr(slash + 1);
  const auto [end, err] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  const bool own = !digits.empty() && err == std::errc() && end == digits.data() + digits.size() &&
                   number > 0 && number < kFirstSpare && !Taken(number);
  if (!own) {
    while (Taken(nextSpare_)) ++nextSpare_;
    number = nextSpare_++;
  }
  byPath_[path] = number;
  return number;
}

std::optional<std::string> NmHandles::PathOf(uint32_t handle) const {
  std::lock_guard lock(mutex_);
  for (const auto& [path, h] : byPath_)
    if (h == handle) return path;
  return std::nullopt;
}

bool NmHandles::Knows(const std::string& path) const {
  std::lock_guard lock(mutex_);
  return byPath_.count(path) != 0;
}

void NmHandles::Carry(const std::string& path, uint32_t handle) {
  std::lock_guard lock(mutex_);
  std::erase_if(byPath_, [handle](const auto& entry) { return entry.second == handle; });
  byPath_[path] = handle;
}

struct NmNetwork::Impl {
  GMainContext* context = nullptr;
  NMClient* client = nullptr;
  std::shared_ptr<NmHandles> handles;
  bool away = false;  // NetworkManager has been seen away and not settled since
  std::optional<Clock::time_point> backSince;
  // The connections of the last listing; those listed before NetworkManager
  // went away, for it to take on again once it is back.
  std::vector<NmConnection> lastListed;
  std::vector<NmConnection> toTakeOn;

  ~Impl() {
    if (client) g_object_unref(client);
    if (context) {
      while (g_main_context_iteration(context, FALSE)) {
      }
      g_main_context_unref(context);
    }
  }

  void Refresh() {
    while (g_main_context_iteration(context, FALSE)) {
    }
  }

  // Starts an asynchronous call: its callback comes on the context that is
  // the thread's default when it starts, which must be the client's own.
  template <class F>
  void Start(F&& call) {
    g_main_context_push_thread_default(context);
    call();
    g_main_context_pop_thread_default(context);
  }

  // Takes in messages until the call's callback has run or the limit is
  // reached; `between` runs in between.
  bool Await(const Call& call, Clock::duration limit, const std::function<void()>& between = {}) {
    const auto until = Clock::now() + limit;
    while (!call.Done()) {
      Refresh();
      if (call.Done()) break;
      if (Clock::now() >= until) return false;
      if (between) between();
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
  }

  NMRemoteConnection* Profile(const std::string& entry) {
    const GPtrArray* all = nm_client_get_connections(client);
    for (guint i = 0; all && i < all->len; ++i) {
      auto* rc = NM_REMOTE_CONNECTION(g_ptr_array_index(all, i));
      if (Str(nm_connection_get_id(NM_CONNECTION(rc))) == entry) return rc;
    }
    return nullptr;
  }

  static bool IsPhoneBookProfile(NMConnection* c) {
    NMSettingConnection* s = nm_connection_get_setting_connection(c);
    return IsDialUpProfileType(Str(nm_connection_get_connection_type(c))) ||
           (s && nm_setting_connection_get_metered(s) == NM_METERED_YES);
  }

  static NMDevice* FirstDevice(NMActiveConnection* ac) {
    const GPtrArray* devices = nm_active_connection_get_devices(ac);
    return devices && devices->len > 0 ? NM_DEVICE(g_ptr_array_index(devices, 0)) : nullptr;
  }

  static bool IsDialUpConnection(NMActiveConnection* ac) {
    NMRemoteConnection* rc = nm_active_connection_get_connection(ac);
    if (rc && IsPhoneBookProfile(NM_CONNECTION(rc))) return true;
    if (IsDialUpProfileType(Str(nm_active_connection_get_connection_type(ac)))) return true;
    NMDevice* dev = FirstDevice(ac);
    return dev && IsMetered(nm_device_get_metered(dev));
  }

  NmConnection Describe(NMActiveConnection* ac) {
    NmConnection c;
    c.handle = handles->Of(Str(nm_object_get_path(NM_OBJECT(ac))));
    c.entry = Str(nm_active_connection_get_id(ac));
    c.deviceType = DeviceTypeOfProfile(Str(nm_active_connection_get_connection_type(ac)));
    if (NMDevice* dev = FirstDevice(ac)) c.interface = Str(nm_device_get_ip_iface(dev));
    c.connected = nm_active_connection_get_state(ac) == NM_ACTIVE_CONNECTION_STATE_ACTIVATED;
    if (NMIPConfig* ip4 = nm_active_connection_get_ip4_config(ac)) {
      GPtrArray* addresses = nm_ip_config_get_addresses(ip4);
      if (addresses && addresses->len > 0)
        c.clientAddress =
            Str(nm_ip_address_get_address(static_cast<NMIPAddress*>(g_ptr_array_index(addresses, 0))));
      c.serverAddress = Str(nm_ip_config_get_gateway(ip4));
    }
    return c;
  }

  // The secrets of a profile's setting, or null.
  GVariant* Secrets(NMRemoteConnection* rc, const char* setting) {
    Call call;
    Start([&] { nm_remote_connection_get_secrets_async(rc, setting, nullptr, Finished, call.Data()); });
    if (!Await(call, kCallLimit)) return nullptr;
    return nm_remote_connection_get_secrets_finish(rc, call.Result(), nullptr);
  }

  static std::string SecretOf(GVariant* secrets, const char* setting, const char* key) {
    if (!secrets) return {};
    GVariant* values = g_variant_lookup_value(secrets, setting, G_VARIANT_TYPE_VARDICT);
    if (!values) return {};
    const char* text = nullptr;
    std::string result;
    if (g_variant_lookup(values, key, "&s", &text)) result = Str(text);
    g_variant_unref(values);
    return result;
  }
};

NmNetwork::NmNetwork(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
NmNetwork::~NmNetwork() = default;

std::unique_ptr<NmNetwork> NmNetwork::Connect(std::shared_ptr<NmHandles> handles, std::string& why) {
  auto impl = std::make_unique<Impl>();
  impl->handles = std::move(handles);
  impl->context = g_main_context_new();
  g_main_context_push_thread_default(impl->context);
  GError* error = nullptr;
  impl->client = nm_client_new(nullptr, &error);
  g_main_context_pop_thread_default(impl->context);
  if (!impl->client) {
    why = error ? Str(error->message) : "NetworkManager client";
    if (error) g_error_free(error);
    return nullptr;
  }
  return std::unique_ptr<NmNetwork>(new NmNetwork(std::move(impl)));
}

void NmNetwork::Refresh() { impl_->Refresh(); }

bool NmNetwork::Running() {
  impl_->Refresh();
  // While it starts up, NetworkManager has not yet taken on the connections
  // that stayed up, and the client reads its objects only after it is back:
  // for a moment its answers would say they had ended. So a NetworkManager
  // that comes back is asked again only after it has settled.
  if (!nm_client_get_nm_running(impl_->client) || nm_client_get_startup(impl_->client)) {
    if (!impl_->away) impl_->toTakeOn = impl_->lastListed;
    impl_->away = true;
    impl_->backSince.reset();
    return false;
  }
  if (impl_->away) {
    if (!impl_->backSince) impl_->backSince = Clock::now();
    if (Clock::now() - *impl_->backSince < kSettling) return false;
    impl_->away = false;
  }
  return true;
}

std::vector<NmProfile> NmNetwork::Profiles() {
  impl_->Refresh();
  std::vector<NmProfile> out;
  const GPtrArray* all = nm_client_get_connections(impl_->client);
  for (guint i = 0; all && i < all->len; ++i) {
    auto* c = NM_CONNECTION(g_ptr_array_index(all, i));
    if (Impl::IsPhoneBookProfile(c))
      out.push_back({Str(nm_connection_get_id(c)), Str(nm_connection_get_connection_type(c))});
  }
  return out;
}

std::vector<NmConnection> NmNetwork::Connections() {
  impl_->Refresh();
  std::vector<NmConnection> out;
  // Until it has settled its objects may lack what they will have.
  if (impl_->away) return out;
  const GPtrArray* all = nm_client_get_active_connections(impl_->client);
  for (guint i = 0; all && i < all->len; ++i) {
    auto* ac = NM_ACTIVE_CONNECTION(g_ptr_array_index(all, i));
    if (nm_active_connection_get_state(ac) == NM_ACTIVE_CONNECTION_STATE_DEACTIVATED) continue;
    if (!Impl::IsDialUpConnection(ac)) continue;
    // A connection that stayed up while NetworkManager restarted has a new
    // path: the same profile on the same interface keeps its handle.
    const std::string path = Str(nm_object_get_path(NM_OBJECT(ac)));
    if (!impl_->toTakeOn.empty() && !impl_->handles->Knows(path)) {
      NMDevice* dev = Impl::FirstDevice(ac);
      const std::string entry = Str(nm_active_connection_get_id(ac));
      const std::string iface = dev ? Str(nm_device_get_ip_iface(dev)) : "";
      for (auto it = impl_->toTakeOn.begin(); it != impl_->toTakeOn.end(); ++it) {
        if (it->entry == entry && it->interface == iface && !iface.empty()) {
          impl_->handles->Carry(path, it->handle);
          impl_->toTakeOn.erase(it);
          break;
        }
      }
    }
    out.push_back(impl_->Describe(ac));
  }
  impl_->toTakeOn.clear();
  impl_->lastListed = out;
  return out;
}

bool NmNetwork::OtherConnectionActivated() {
  impl_->Refresh();
  const GPtrArray* all = nm_client_get_active_connections(impl_->client);
  for (guint i = 0; all && i < all->len; ++i) {
    auto* ac = NM_ACTIVE_CONNECTION(g_ptr_array_index(all, i));
    if (nm_active_connection_get_state(ac) != NM_ACTIVE_CONNECTION_STATE_ACTIVATED) continue;
    if (Str(nm_active_connection_get_connection_type(ac)) == NM_SETTING_LOOPBACK_SETTING_NAME) continue;
    if (!Impl::IsDialUpConnection(ac)) return true;
  }
  return false;
}

std::optional<NmConnection> NmNetwork::Find(uint32_t handle) {
  for (NmConnection& c : Connections())
    if (c.handle == handle) return c;
  return std::nullopt;
}

bool NmNetwork::SavedCredentials(const std::string& entry, std::string& user, bool& hasPassword) {
  impl_->Refresh();
  NMRemoteConnection* rc = impl_->Profile(entry);
  if (!rc || !Impl::IsPhoneBookProfile(NM_CONNECTION(rc))) return false;
  user.clear();
  hasPassword = false;
  const char* name = CredentialSetting(Str(nm_connection_get_connection_type(NM_CONNECTION(rc))));
  NMSetting* setting = name ? nm_connection_get_setting_by_name(NM_CONNECTION(rc), name) : nullptr;
  if (!setting) return true;  // a profile without dial-in credentials
  char* stored = nullptr;
  g_object_get(setting, "username", &stored, nullptr);
  user = Str(stored);
  g_free(stored);
  NMSettingSecretFlags flags = NM_SETTING_SECRET_FLAG_NONE;
  nm_setting_get_secret_flags(setting, "password", &flags, nullptr);
  if (flags & (NM_SETTING_SECRET_FLAG_NOT_SAVED | NM_SETTING_SECRET_FLAG_NOT_REQUIRED)) return true;
  GVariant* secrets = impl_->Secrets(rc, name);
  hasPassword = !Impl::SecretOf(secrets, name, "password").empty();
  if (secrets) g_variant_unref(secrets);
  return true;
}

uint32_t NmNetwork::SaveCredentials(const std::string& entry, const std::string& user,
                                    const std::string& password) {
  impl_->Refresh();
  NMRemoteConnection* rc = impl_->Profile(entry);
  if (!rc || !Impl::IsPhoneBookProfile(NM_CONNECTION(rc))) return ras::kErrorCannotFindPhonebookEntry;
  const char* name = CredentialSetting(Str(nm_connection_get_connection_type(NM_CONNECTION(rc))));
  if (!name || (user.empty() && password.empty())) return 0;  // nothing to store there

  // The whole profile goes back, so its stored secrets must come along.
  GVariant* secrets = impl_->Secrets(rc, name);
  NMConnection* copy = nm_simple_connection_new_clone(NM_CONNECTION(rc));
  if (secrets) nm_connection_update_secrets(copy, name, secrets, nullptr);
  NMSetting* setting = nm_connection_get_setting_by_name(copy, name);
  char* storedUser = nullptr;
  g_object_get(setting, "username", &storedUser, nullptr);
  const bool newUser = !user.empty() && user != Str(storedUser);
  const bool newPassword = !password.empty() && password != Impl::SecretOf(secrets, name, "password");
  g_free(storedUser);
  if (secrets) g_variant_unref(secrets);
  uint32_t code = 0;
  if (newUser || newPassword) {
    if (newUser) g_object_set(setting, "username", user.c_str(), nullptr);
    if (newPassword) g_object_set(setting, "password", password.c_str(), nullptr);
    GVariant* settings = nm_connection_to_dbus(copy, NM_CONNECTION_SERIALIZE_ALL);
    Call call;
    impl_->Start([&] {
      nm_remote_connection_update2(rc, settings, NM_SETTINGS_UPDATE2_FLAG_TO_DISK, nullptr, nullptr, Finished,
                                   call.Data());
    });
    code = ras::kErrorCannotOpenPhonebook;
    if (impl_->Await(call, kCallLimit)) {
      if (GVariant* result = nm_remote_connection_update2_finish(rc, call.Result(), nullptr)) {
        g_variant_unref(result);
        code = 0;
      }
    }
  }
  g_object_unref(copy);
  return code;
}

namespace {

// What a dial hears from the devices: their states, and why one failed.
// Watched from before the activation starts, as a failure can come before
// the activation's answer.
struct DeviceWatch {
  std::map<NMDevice*, guint> state;
  std::map<NMDevice*, guint> failure;
};

void DeviceStateChanged(NMDevice* device, guint state, guint, guint reason, gpointer data) {
  auto* w = static_cast<DeviceWatch*>(data);
  w->state[device] = state;
  if (state == NM_DEVICE_STATE_FAILED) w->failure.try_emplace(device, reason);
}

class WatchedDevices {
 public:
  WatchedDevices(NMClient* client, DeviceWatch& watch) {
    const GPtrArray* all = nm_client_get_devices(client);
    for (guint i = 0; all && i < all->len; ++i) {
      auto* d = NM_DEVICE(g_object_ref(g_ptr_array_index(all, i)));
      handlers_.emplace_back(d, g_signal_connect(d, "state-changed", G_CALLBACK(DeviceStateChanged), &watch));
    }
  }
  ~WatchedDevices() {
    for (auto [d, id] : handlers_) {
      g_signal_handler_disconnect(d, id);
      g_object_unref(d);
    }
  }
  WatchedDevices(const WatchedDevices&) = delete;
  WatchedDevices& operator=(const WatchedDevices&) = delete;

 private:
  std::vector<std::pair<NMDevice*, gulong>> handlers_;
};

}  // namespace

uint32_t NmNetwork::Dial(const std::string& entry, const std::function<void(uint32_t)>& started,
                         const Progress& progress, const std::function<void()>& between) {
  const auto report = [&progress](uint32_t state, uint32_t error) {
    if (progress) progress(state, error);
  };
  impl_->Refresh();
  NMRemoteConnection* rc = impl_->Profile(entry);
  if (!rc || !Impl::IsPhoneBookProfile(NM_CONNECTION(rc))) return ras::kErrorCannotFindPhonebookEntry;
  DeviceWatch watch;
  const WatchedDevices watched(impl_->client, watch);
  report(ras::kOpenPort, 0);
  NMActiveConnection* ac = nullptr;
  {
    Call call;
    impl_->Start([&] {
      nm_client_activate_connection_async(impl_->client, NM_CONNECTION(rc), nullptr, nullptr, nullptr,
                                          Finished, call.Data());
    });
    if (!impl_->Await(call, kCallLimit, between)) {
      report(ras::kOpenPort, ras::kErrorNoAnswer);
      return ras::kErrorNoAnswer;
    }
    GError* error = nullptr;
    ac = nm_client_activate_connection_finish(impl_->client, call.Result(), &error);
    if (!ac) {
      const uint32_t code = DialErrorOfRefusal(error ? Str(error->message) : "");
      if (error) g_error_free(error);
      report(ras::kOpenPort, code);
      return code;
    }
  }
  if (started) started(impl_->handles->Of(Str(nm_object_get_path(NM_OBJECT(ac)))));

  uint32_t shown = ras::kOpenPort;
  uint32_t code = ras::kErrorNoAnswer;
  NMDevice* device = nullptr;  // the activation's, kept once known: a failed one lets go of it
  for (const auto until = Clock::now() + kDialLimit; Clock::now() < until;) {
    impl_->Refresh();
    if (NMDevice* now = Impl::FirstDevice(ac)) device = now;
    const guint state = nm_active_connection_get_state(ac);
    if (state == NM_ACTIVE_CONNECTION_STATE_ACTIVATED) {
      code = 0;
      break;
    }
    if (state >= NM_ACTIVE_CONNECTION_STATE_DEACTIVATING) {
      // The activation's device, or the one device that failed meanwhile.
      auto failed = watch.failure.find(device);
      if (failed == watch.failure.end() && watch.failure.size() == 1) failed = watch.failure.begin();
      const guint deviceReason = failed != watch.failure.end() ? failed->second
                                 : device                      ? nm_device_get_state_reason(device)
                                                               : 0;
      code = DialErrorOf(deviceReason, nm_active_connection_get_state_reason(ac));
      break;
    }
    // The device's steps, as they come; the end only counts from the
    // active connection itself.
    const auto seen = watch.state.find(device);
    if (seen != watch.state.end() && seen->second < NM_DEVICE_STATE_ACTIVATED) {
      const uint32_t now = DialStateOfDevice(seen->second);
      if (now != shown) report(shown = now, 0);
    }
    if (between) between();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  report(code == 0 ? ras::kConnected : shown, code);
  g_object_unref(ac);
  return code;
}

uint32_t NmNetwork::HangUp(uint32_t handle) {
  impl_->Refresh();
  const auto path = impl_->handles->PathOf(handle);
  if (!path) return ras::kErrorInvalidHandle;
  const GPtrArray* all = nm_client_get_active_connections(impl_->client);
  for (guint i = 0; all && i < all->len; ++i) {
    auto* ac = NM_ACTIVE_CONNECTION(g_ptr_array_index(all, i));
    if (Str(nm_object_get_path(NM_OBJECT(ac))) != *path) continue;
    Call call;
    impl_->Start(
        [&] { nm_client_deactivate_connection_async(impl_->client, ac, nullptr, Finished, call.Data()); });
    if (!impl_->Await(call, kCallLimit)) return ras::kErrorRequestTimeout;
    return nm_client_deactivate_connection_finish(impl_->client, call.Result(), nullptr)
               ? 0
               : ras::kErrorInvalidHandle;
  }
  return ras::kErrorInvalidHandle;
}

}  // namespace tarifuhr
