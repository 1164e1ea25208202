// Descriptor-level I/O that survives interrupted and partial transfers and
// says why it failed, so no truncated data goes unnoticed.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

// Writes all size bytes to fd. Returns false with errno set on failure.
bool writeAll(int fd, const void* data, size_t size);

struct CopyResult {
  bool ok = true;
  off_t bytes = 0;         // bytes copied before the end or the failure
  bool readFailed = false; // the failure was on the reading side
  int error = 0;           // errno of the failure
};

// Copies the first size bytes of the file inFd (from its offset 0, which
// stays where it was) into outFd, in the kernel where it can. A file
// shorter than size is a read failure. When tee is given it receives the
// same bytes; its failures are ignored (a diagnostic copy never changes
// the result).
CopyResult copyFilePrefix(int inFd, off_t size, int outFd, FILE* tee = nullptr);

// The same into write, which takes a block and returns 0 or an errno.
CopyResult copyFilePrefix(int inFd, off_t size,
                          const std::function<int(std::string_view)>& write, FILE* tee);

// Text of an errno value for messages.
std::string errorText(int error);
