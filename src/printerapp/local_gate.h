// The application's local socket, where its sub-commands (add, submit,
// jobs, shutdown, ...) reach the server. PAPPL 1.3 lets every client of a
// local socket of its own do what an administrator may, without asking its
// authentication callback (_papplClientIsAuthorizedForGroup in
// client-auth.c returns at once for AF_LOCAL). So PAPPL gets no local
// socket: the gate listens there instead and relays each connection to the
// server's loopback listener, where every request meets the callback, and
// it remembers which local user (from the kernel's peer credentials) each
// relayed connection is.
#pragma once

#include <cups/http.h>
#include <sys/types.h>

#include <memory>
#include <optional>
#include <string>

// Where the sub-commands of program baseName look for the server of the
// user uid, as PAPPL's own computes it: root's under /run (SNAP_COMMON
// when set), another user's in the temporary folder with the user id.
std::string localSocketPath(const std::string& baseName, uid_t uid);

class LocalGate {
 public:
  // Listens at path (mode 0666: every local user may print and follow
  // jobs; the callback decides the rest) and relays to loopbackPort. To be
  // called before the server starts other threads (it sets the umask).
  // Null, with error, when path cannot be had, or another server answers
  // there.
  static std::unique_ptr<LocalGate> open(const std::string& path, int loopbackPort, std::string& error);

  // Stops accepting and removes the socket; relays under way go on until
  // their ends close.
  ~LocalGate();

  LocalGate(const LocalGate&) = delete;
  LocalGate& operator=(const LocalGate&) = delete;

 private:
  struct State;
  explicit LocalGate(std::unique_ptr<State> state);
  std::unique_ptr<State> state;
};

// The local user whose connection the gate relays from peer, the
// address a loopback client connects from; nullopt for any other client.
std::optional<uid_t> relayedLocalUser(const http_addr_t* peer);
