// Where the printer stream goes: a descriptor (the CUPS filter's standard
// output, a device, a file) or a callback that writes wherever its caller
// wants. Every front end sends its jobs through one of these, so that all
// of them produce the same bytes.
#pragma once

#include <sys/types.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string_view>

#include "file_io.h"

class PrinterSink {
 public:
  // Takes bytes; returns 0, or the errno of a failure.
  using Writer = std::function<int(std::string_view bytes)>;

  // Writes to fd, which stays open and belongs to the caller.
  explicit PrinterSink(int fd);
  // Hands every byte to writer.
  explicit PrinterSink(Writer writer);
  ~PrinterSink();
  PrinterSink(const PrinterSink&) = delete;
  PrinterSink& operator=(const PrinterSink&) = delete;

  // Writes bytes. False once any write has failed; error() tells why.
  bool write(std::string_view bytes);
  // Sends the first size bytes of the file fd, and copies them into tee
  // when given (its failures are ignored). The copy result tells which side
  // failed.
  CopyResult sendFile(int fd, off_t size, FILE* tee);
  // A buffered stdio stream that writes into this sink, for writers that
  // take a FILE*; null when it cannot be made. Flush it before anything is
  // written to the sink directly.
  FILE* stream();
  // errno of the first failed write, 0 when none has failed.
  int error() const { return firstError; }

 private:
  int fd = -1;
  Writer writer;
  int firstError = 0;
  Writer throughWrite;  // what the stdio stream writes with
  std::unique_ptr<FILE, int (*)(FILE*)> stdioStream{nullptr, fclose};
};

// A stdio stream whose bytes go to writer, which must outlive it. A failed
// write sets the stream's error state and errno. Null when none can be made.
FILE* openWriterStream(const PrinterSink::Writer* writer);
