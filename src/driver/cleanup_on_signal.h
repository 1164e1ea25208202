// What a job leaves behind when a signal (a cancel from CUPS) ends the run:
// the child filter is stopped and the registered work files and folders are
// removed before the process dies of that signal.
#pragma once

#include <sys/types.h>

#include <string>

// A signal also closes a printer job that has begun (UEL, EOJ, UEL), so
// that the printer is not left waiting for the rest of it.

// Catches SIGTERM, SIGINT and SIGHUP for the rest of the run.
void installCleanupHandlers();

// Registers a file or an (empty by then) folder to remove on a signal.
// Folders are removed after files, in reverse order of registration.
// Returns false when the registry is full or the path too long, and does
// nothing in a process that has not installed the handlers.
bool cleanupAddPath(const std::string& path, bool isDirectory);

// Forgets a registered path (it was removed, or is to be kept).
void cleanupForgetPath(const std::string& path);

// The child filter to stop on a signal; 0 for none.
void cleanupSetChild(pid_t pid);

// Whether the printer has received the start of a job that has not ended.
void cleanupSetPrinterJobOpen(bool open);
