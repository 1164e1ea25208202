#include "local_gate.h"

#include <netinet/in.h>
#include <poll.h>
#include <pappl/pappl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>

namespace {

// Relays open at once for users other than root, so that a local user
// cannot hold every thread; PAPPL closes idle connections within a minute.
constexpr int kMaxUserRelays = 128;

// PAPPL's folder for root's socket (its PAPPL_SOCKDIR, /run on Debian).
constexpr const char* kRootSocketFolder = "/run";

// The relayed connections, by the loopback address each comes from. Never
// freed: relays may still end after the server has.
struct Relays {
  std::mutex lock;
  std::map<std::string, uid_t> users;
  std::atomic<int> forUsers{0};
};

Relays& relays() {
  static Relays* all = new Relays;
  return *all;
}

// The bytes of an IPv4 or IPv6 address and port; empty for other families.
std::string endpointKey(const sockaddr* address) {
  auto bytes = [](const void* data, size_t size) { return std::string(static_cast<const char*>(data), size); };
  if (address->sa_family == AF_INET) {
    const auto* v4 = reinterpret_cast<const sockaddr_in*>(address);
    return "4" + bytes(&v4->sin_addr, sizeof v4->sin_addr) + bytes(&v4->sin_port, sizeof v4->sin_port);
  }
  if (address->sa_family == AF_INET6) {
    const auto* v6 = reinterpret_cast<const sockaddr_in6*>(address);
    // An IPv6 listener sees 127.0.0.1 as ::ffff:127.0.0.1.
    if (IN6_IS_ADDR_V4MAPPED(&v6->sin6_addr))
      return "4" + bytes(v6->sin6_addr.s6_addr + 12, 4) + bytes(&v6->sin6_port, sizeof v6->sin6_port);
    return "6" + bytes(&v6->sin6_addr, sizeof v6->sin6_addr) + bytes(&v6->sin6_port, sizeof v6->sin6_port);
  }
  return {};
}

// A connection to the server's listener on 127.0.0.1 or ::1, or -1.
int connectLoopback(int port) {
  sockaddr_in v4{};
  v4.sin_family = AF_INET;
  v4.sin_port = htons(static_cast<uint16_t>(port));
  v4.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  sockaddr_in6 v6{};
  v6.sin6_family = AF_INET6;
  v6.sin6_port = htons(static_cast<uint16_t>(port));
  v6.sin6_addr = in6addr_loopback;
  const std::pair<const sockaddr*, socklen_t> addresses[] = {
      {reinterpret_cast<const sockaddr*>(&v4), sizeof v4}, {reinterpret_cast<const sockaddr*>(&v6), sizeof v6}};
  for (const auto& [address, length] : addresses) {
    const int fd = socket(address->sa_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) continue;
    if (connect(fd, address, length) == 0) return fd;
    close(fd);
  }
  return -1;
}

// Sends all of bytes; false when the peer is gone.
bool sendAll(int fd, const char* bytes, size_t size) {
  while (size > 0) {
    const ssize_t sent = send(fd, bytes, size, MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) return false;
    bytes += sent;
    size -= static_cast<size_t>(sent);
  }
  return true;
}

// Copies what arrives on from to to until from ends. The client's end
// only half-closes the connection (it may still read the answer); the
// server's end, or a failure, ends both directions.
void pump(int from, int to, bool fromServer) {
  char buffer[65536];
  for (;;) {
    const ssize_t got = recv(from, buffer, sizeof buffer, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got == 0 && !fromServer) {
      shutdown(to, SHUT_WR);
      return;
    }
    if (got <= 0 || !sendAll(to, buffer, static_cast<size_t>(got))) {
      shutdown(from, SHUT_RDWR);
      shutdown(to, SHUT_RDWR);
      return;
    }
  }
}

// Relays the local connection of user uid to the server at port, known
// by its loopback address while it lasts.
void relay(int local, uid_t uid, int port) {
  const int loopback = connectLoopback(port);
  std::string key;
  if (loopback >= 0) {
    sockaddr_storage self{};
    socklen_t length = sizeof self;
    if (getsockname(loopback, reinterpret_cast<sockaddr*>(&self), &length) == 0)
      key = endpointKey(reinterpret_cast<const sockaddr*>(&self));
  }
  if (!key.empty()) {
    {
      std::lock_guard<std::mutex> guard(relays().lock);
      relays().users[key] = uid;
    }
    std::thread answers(pump, loopback, local, true);
    pump(local, loopback, false);
    answers.join();
    // Forgotten before the port is closed, and so free for another.
    std::lock_guard<std::mutex> guard(relays().lock);
    relays().users.erase(key);
  }
  if (loopback >= 0) close(loopback);
  close(local);
  if (uid != 0) --relays().forUsers;
}

// Whether a server already answers at path.
bool answers(const sockaddr_un& address) {
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const bool connected = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return connected;
}

}  // namespace

struct LocalGate::State {
  std::string path;
  int port = 0;
  int listener = -1;
  int stop[2] = {-1, -1};
  ino_t inode = 0;
  std::thread accepting;

  // Takes connections until told to stop; each gets a relay of its own.
  void acceptConnections() {
    pollfd watched[2] = {{listener, POLLIN, 0}, {stop[0], POLLIN, 0}};
    for (;;) {
      if (poll(watched, 2, -1) < 0 && errno != EINTR) return;
      if (watched[1].revents) return;
      if (!(watched[0].revents & POLLIN)) continue;
      const int local = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
      if (local < 0) {
        // Out of descriptors or memory, the connection stays queued: wait
        // for some to be freed rather than try again at once.
        if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)
          std::this_thread::sleep_for(std::chrono::milliseconds(100));
        continue;
      }
      ucred peer{};
      socklen_t length = sizeof peer;
      if (getsockopt(local, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 ||
          (peer.uid != 0 && relays().forUsers >= kMaxUserRelays)) {
        close(local);
        continue;
      }
      if (peer.uid != 0) ++relays().forUsers;
      std::thread(relay, local, peer.uid, port).detach();
    }
  }
};

std::string localSocketPath(const std::string& baseName, uid_t uid) {
  if (uid != 0) return std::string(papplGetTempDir()) + "/" + baseName + std::to_string(uid) + ".sock";
  if (const char* snap = std::getenv("SNAP_COMMON")) return std::string(snap) + "/" + baseName + ".sock";
  return std::string(kRootSocketFolder) + "/" + baseName + ".sock";
}

std::unique_ptr<LocalGate> LocalGate::open(const std::string& path, int loopbackPort, std::string& error) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) {
    error = "The local socket's path is too long: " + path;
    return nullptr;
  }
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  if (answers(address)) {
    error = "Another server already listens on " + path;
    return nullptr;
  }
  auto state = std::make_unique<State>();
  state->path = path;
  state->port = loopbackPort;
  state->listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  struct stat info {};
  // What is at the path is a socket that nobody answers on any more.
  unlink(path.c_str());
  // Made mode 0666 as it is made, not changed by its path afterwards (in a
  // folder others may write, that path could by then lead elsewhere). The
  // server runs no other thread yet.
  const mode_t mask = umask(0111);
  const bool bound =
      state->listener >= 0 && bind(state->listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  umask(mask);
  if (!bound || listen(state->listener, SOMAXCONN) != 0 ||
      stat(path.c_str(), &info) != 0 || pipe2(state->stop, O_CLOEXEC) != 0) {
    error = "Unable to listen on " + path + ": " + std::strerror(errno);
    if (state->listener >= 0) close(state->listener);
    return nullptr;
  }
  state->inode = info.st_ino;
  state->accepting = std::thread(&State::acceptConnections, state.get());
  return std::unique_ptr<LocalGate>(new LocalGate(std::move(state)));
}

LocalGate::LocalGate(std::unique_ptr<State> state) : state(std::move(state)) {}

LocalGate::~LocalGate() {
  const char stop = 's';
  if (write(state->stop[1], &stop, 1) != 1) state->accepting.detach();
  if (state->accepting.joinable()) state->accepting.join();
  // Only the gate's own socket is removed, not one a later server made.
  struct stat info {};
  if (stat(state->path.c_str(), &info) == 0 && info.st_ino == state->inode) unlink(state->path.c_str());
  close(state->listener);
  close(state->stop[0]);
  close(state->stop[1]);
}

std::optional<uid_t> relayedLocalUser(const http_addr_t* peer) {
  if (!peer) return std::nullopt;
  const std::string key = endpointKey(&peer->addr);
  if (key.empty()) return std::nullopt;
  std::lock_guard<std::mutex> guard(relays().lock);
  const auto found = relays().users.find(key);
  if (found == relays().users.end()) return std::nullopt;
  return found->second;
}
