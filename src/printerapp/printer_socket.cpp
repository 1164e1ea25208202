#include "printer_socket.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <set>

extern "C" {
// PAPPL 1.3 adds its own devices only while it has none (device.c), and
// keeps the first device of a scheme: these add them after the
// application's socket device. Exported by libpappl, not declared in its
// headers.
void _papplDeviceAddFileScheme(void);
void _papplDeviceAddNetworkSchemes(void);
void _papplDeviceAddUSBScheme(void);
}

namespace {

// AppSocket's port when the URI names none.
constexpr int kDefaultPort = 9100;
// How long a connection may take to be made, as long as CUPS's socket
// backend waits for a printer that is on but slow.
constexpr int kConnectMilliseconds = 30000;
// How long the printer may take to close its side once it has the whole
// job: CUPS's socket backend waits 90 seconds for it too.
constexpr int kEndMilliseconds = 90000;
// After this long without taking a byte the printer counts as stalled.
constexpr int kStallMilliseconds = 5000;
// How often a wait looks whether it should stop.
constexpr int kWatchMilliseconds = 250;

class SocketConnection final : public PrinterSocket {
 public:
  SocketConnection(std::string host, int port) : host(std::move(host)), port(port) {}
  ~SocketConnection() override { drop(); }

  Delivery send(std::string_view bytes, const DeliveryWatch& watch) override {
    if (fd < 0 && !connectToPrinter(watch)) return lastDelivery;
    int waited = 0;
    bool stalled = false;
    while (!bytes.empty()) {
      const ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (sent > 0) {
        bytes.remove_prefix(static_cast<size_t>(sent));
        waited = 0;
        if (stalled) watch.stalled(stalled = false);
        continue;
      }
      if (sent < 0 && errno != EAGAIN && errno != EINTR) return fail(Delivery::broken, "the printer closed the connection", errno);
      if (watch.stopping()) return fail(Delivery::stopped, "stopped", 0);
      pollfd ready{fd, POLLOUT, 0};
      if (poll(&ready, 1, kWatchMilliseconds) == 0 && (waited += kWatchMilliseconds) >= kStallMilliseconds && !stalled)
        watch.stalled(stalled = true);
    }
    if (stalled) watch.stalled(false);
    return Delivery::delivered;
  }

  Delivery finish(const DeliveryWatch& watch) override {
    if (fd < 0) return fail(Delivery::broken, "the job had no connection", 0);
    if (shutdown(fd, SHUT_WR) != 0) return fail(Delivery::broken, "the printer closed the connection", errno);
    // Whatever the printer says back is read and dropped until it closes.
    char answer[4096];
    for (int waited = 0; waited < kEndMilliseconds;) {
      if (watch.stopping()) return fail(Delivery::stopped, "stopped", 0);
      pollfd ready{fd, POLLIN, 0};
      const int events = poll(&ready, 1, kWatchMilliseconds);
      if (events == 0) {
        // The end of a job that waits in the connection's buffers for a
        // printer that reads nothing comes no sooner than the rest.
        waited += kWatchMilliseconds;
        if (waited == kStallMilliseconds) watch.stalled(true);
        continue;
      }
      const ssize_t got = events > 0 ? recv(fd, answer, sizeof answer, 0) : -1;
      if (got == 0) {
        drop();
        return Delivery::delivered;
      }
      if (got < 0 && errno != EAGAIN && errno != EINTR)
        return fail(Delivery::broken, "the printer reset the connection before it confirmed the job", errno);
    }
    return fail(Delivery::noEnd, "the printer did not end the connection within " +
                                     std::to_string(kEndMilliseconds / 1000) + " s of the last byte", 0);
  }

  void drop() override {
    if (fd >= 0) close(fd);
    fd = -1;
  }

  const std::string& failure() const override { return why; }

 private:
  // Connects within kConnectMilliseconds to an address of the host.
  bool connectToPrinter(const DeliveryWatch& watch) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* addresses = nullptr;
    const std::string service = std::to_string(port);
    if (const int error = getaddrinfo(host.c_str(), service.c_str(), &hints, &addresses)) {
      fail(Delivery::unreachable, "unable to look up " + host + ": " + gai_strerror(error), 0);
      return false;
    }
    for (const addrinfo* address = addresses; address && fd < 0; address = address->ai_next)
      connectTo(*address, watch);
    freeaddrinfo(addresses);
    return fd >= 0;
  }

  // Connects to one address, non-blocking, so that a stop is seen.
  void connectTo(const addrinfo& address, const DeliveryWatch& watch) {
    const int candidate = socket(address.ai_family, address.ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (candidate < 0) {
      fail(Delivery::unreachable, "unable to make a socket", errno);
      return;
    }
    int error = connect(candidate, address.ai_addr, address.ai_addrlen) == 0 ? 0 : errno;
    for (int waited = 0; error == EINPROGRESS; waited += kWatchMilliseconds) {
      if (watch.stopping() || waited >= kConnectMilliseconds) {
        error = watch.stopping() ? ECANCELED : ETIMEDOUT;
        break;
      }
      pollfd ready{candidate, POLLOUT, 0};
      if (poll(&ready, 1, kWatchMilliseconds) > 0) {
        socklen_t length = sizeof error;
        if (getsockopt(candidate, SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
      }
    }
    if (error != 0) {
      close(candidate);
      fail(error == ECANCELED ? Delivery::stopped : Delivery::unreachable,
           "unable to connect to " + host + ":" + std::to_string(port), error);
      return;
    }
    const int on = 1;
    setsockopt(candidate, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    fd = candidate;
  }

  // Keeps why the job did not get through and drops a broken connection.
  Delivery fail(Delivery delivery, const std::string& what, int error) {
    why = error ? what + ": " + std::strerror(error) : what;
    if (delivery != Delivery::unreachable) drop();
    lastDelivery = delivery;
    return delivery;
  }

  std::string host;
  int port;
  int fd = -1;
  std::string why;
  Delivery lastDelivery = Delivery::delivered;
};

// The connections of open socket devices: a device's data is known as one
// of them only while it is here.
struct OpenSockets {
  std::mutex lock;
  std::set<const void*> open;
};

OpenSockets& openSockets() {
  static OpenSockets* sockets = new OpenSockets;
  return *sockets;
}

// PAPPL's open callback: the printer's address; the connection comes with
// the first bytes of a job.
bool openSocket(pappl_device_t* device, const char* uri, const char*) {
  char scheme[32], user[256], host[256], resource[1024];
  int port = 0;
  if (httpSeparateURI(HTTP_URI_CODING_ALL, uri, scheme, sizeof scheme, user, sizeof user, host, sizeof host, &port,
                      resource, sizeof resource) < HTTP_URI_STATUS_OK ||
      !host[0]) {
    papplDeviceError(device, "Bad device URI \"%s\".", uri);
    return false;
  }
  auto* connection = new SocketConnection(host, port > 0 ? port : kDefaultPort);
  {
    std::lock_guard<std::mutex> guard(openSockets().lock);
    openSockets().open.insert(connection);
  }
  papplDeviceSetData(device, connection);
  return true;
}

void closeSocket(pappl_device_t* device) {
  auto* connection = static_cast<SocketConnection*>(papplDeviceGetData(device));
  {
    std::lock_guard<std::mutex> guard(openSockets().lock);
    openSockets().open.erase(connection);
  }
  delete connection;
  papplDeviceSetData(device, nullptr);
}

// Bytes that reach the device through PAPPL (not the application's job
// path, which sends through printerSocketOf) go out as one job each.
ssize_t writeSocket(pappl_device_t* device, const void* buffer, size_t bytes) {
  auto* connection = static_cast<SocketConnection*>(papplDeviceGetData(device));
  const DeliveryWatch watch{[] { return false; }, [](bool) {}};
  if (!connection || connection->send({static_cast<const char*>(buffer), bytes}, watch) != Delivery::delivered) {
    if (connection) papplDeviceError(device, "%s", connection->failure().c_str());
    return -1;
  }
  return static_cast<ssize_t>(bytes);
}

ssize_t readSocket(pappl_device_t*, void*, size_t) { return 0; }

}  // namespace

void registerDeviceSchemes() {
  papplDeviceAddScheme("socket", PAPPL_DEVTYPE_SOCKET, nullptr, openSocket, closeSocket, readSocket, writeSocket,
                       nullptr, nullptr);
  _papplDeviceAddFileScheme();
  _papplDeviceAddNetworkSchemes();
  _papplDeviceAddUSBScheme();
}

PrinterSocket* printerSocketOf(pappl_device_t* device) {
  void* data = device ? papplDeviceGetData(device) : nullptr;
  std::lock_guard<std::mutex> guard(openSockets().lock);
  return openSockets().open.count(data) ? static_cast<SocketConnection*>(data) : nullptr;
}
