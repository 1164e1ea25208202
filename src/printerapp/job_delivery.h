// How a job reaches a socket:// printer that may be switched off, cut a
// job short or stop reading: it waits for the printer and sends the job
// again from its start, as often as it takes, with a growing pause; jobs
// behind it wait their turn. A printer that answers and still does not take
// the job several times running stops the job for an administrator.
#pragma once

#include <pappl/pappl.h>

#include <functional>
#include <string>

#include "printer_sink.h"
#include "printer_socket.h"

// How a job ended at the printer.
enum class JobEnd { printed, failed, canceled };

// Writes a whole job into the sink it is given, from its start; returns the
// job pipeline's status (0 when the job was made whole) and its error.
using SendWholeJob = std::function<int(PrinterSink& sink, std::string& error)>;

// Delivers the job that send makes to socket, sending it again after each
// failed delivery. failed (with error) when the job itself cannot be made;
// canceled when it was. On a server that stops while the job waits, it
// returns nothing: the job stays printing in the kept state, and is printed
// again from its start after the next start.
JobEnd deliverToSocket(pappl_job_t* job, PrinterSocket& socket, const SendWholeJob& send, std::string& error);
