// The merge's output: buffered writes that keep the byte position, and
// whole-file copies done by the kernel where it can.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <string_view>

class OutputFile {
 public:
  // Writes to fd, whose current size is position. With fd -1 nothing is
  // written: the bytes stay in memory for takeBytes, and position counts
  // on from what a file would hold before them.
  OutputFile(int fd, int64_t position) : fd(fd), written(position) {}

  // Appends bytes.
  void write(std::string_view bytes);
  // Appends size bytes of inFd from its offset 0.
  void copyFrom(int inFd, int64_t size);
  // Writes out what is buffered; false when any write so far failed.
  bool flush();
  // Output position of the next byte.
  int64_t position() const { return written + static_cast<int64_t>(pending.size()); }
  // The bytes kept in memory (fd -1), handed over; none are left.
  std::string takeBytes() { return std::move(pending); }

 private:
  int fd;
  int64_t written;
  std::string pending;
  int firstError = 0;
};

// Copies size bytes of inFd from offset 0 to outFd at its current offset.
// Returns 0, or the errno of the failure.
int copyFileBytes(int inFd, int outFd, int64_t size);

// Writes all of bytes to fd. Returns 0, or the errno of the failure.
int writeBytes(int fd, std::string_view bytes);
