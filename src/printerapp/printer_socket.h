// socket:// devices: the family's usual connection, a raw TCP socket to
// port 9100 (AppSocket). PAPPL 1.3's own socket device counts a job sent
// once the kernel has its bytes, and keeps one connection for a whole
// queue: a printer that reads nothing, or closes after part of a job, still
// gets the job reported completed. This one makes a connection per job and
// ends it as CUPS's socket backend does: after the last byte it closes its
// sending side and waits, bounded, for the printer to close the other;
// only then does the printer have the whole job.
#pragma once

#include <pappl/pappl.h>

#include <functional>
#include <string>
#include <string_view>

// Puts the application's socket:// device in place of PAPPL's, and PAPPL's
// other devices (USB, file, DNS-SD, SNMP) after it. Called once, before
// anything opens or lists a device.
void registerDeviceSchemes();

// How far the bytes of a job came on a socket device.
enum class Delivery {
  delivered,    // the printer took every byte and closed its side
  unreachable,  // no connection: refused, no route, no answer to connecting
  broken,       // connected, but the printer went before it had everything
  noEnd,        // every byte sent, but the printer did not close its side in time
  stopped,      // given up on because the job or the server is stopping
};

// What the sender of a job is told while it waits on the printer, and asks.
struct DeliveryWatch {
  // True when the job or the server is stopping: the wait ends.
  std::function<bool()> stopping;
  // The printer has stopped taking bytes (true), or takes them again.
  std::function<void(bool)> stalled;
};

// A job's connection on a socket:// device.
class PrinterSocket {
 public:
  virtual ~PrinterSocket() = default;
  // Sends bytes, connecting first when the job has no connection yet.
  virtual Delivery send(std::string_view bytes, const DeliveryWatch& watch) = 0;
  // Ends the job: closes the sending side and waits for the printer's end.
  // The connection is gone afterwards, whatever the outcome.
  virtual Delivery finish(const DeliveryWatch& watch) = 0;
  // Drops the connection after a failure; the next send connects again.
  virtual void drop() = 0;
  // Why the last send or finish did not deliver, for messages.
  virtual const std::string& failure() const = 0;
};

// The job connection of device when it is a socket:// device, else null.
PrinterSocket* printerSocketOf(pappl_device_t* device);
