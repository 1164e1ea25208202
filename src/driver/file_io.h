// Descriptor-level I/O that survives interrupted and partial transfers and
// says why it failed, so no truncated data goes unnoticed.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdio>
#include <string>

// Writes all size bytes to fd. Returns false with errno set on failure.
bool writeAll(int fd, const void* data, size_t size);

struct CopyResult {
  bool ok = true;
  off_t bytes = 0;         // bytes copied before the end or the failure
  bool readFailed = false; // the failure was on the reading side
  int error = 0;           // errno of the failure
};

// Copies everything from inFd to end of file into outFd, in large blocks.
// When tee is given it receives the same bytes; its failures are ignored
// (a diagnostic copy never changes the result).
CopyResult copyStream(int inFd, int outFd, FILE* tee = nullptr);

// Text of an errno value for messages.
std::string errorText(int error);
