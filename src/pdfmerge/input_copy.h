// The copy of the merge's input at the head of its output. The copy does
// not depend on reading the input, so into a regular file it runs on a
// second thread while the input is read, and the file is emptied again if
// the reading fails. Bytes sent anywhere else (a pipe, a device) cannot be
// taken back: there the copy waits until the reading has succeeded.
#pragma once

#include <cstdint>
#include <exception>
#include <string_view>
#include <thread>

// The last bytes of the copied input become a comment line, so that the
// old end marker is gone.
constexpr std::string_view kEndOverwrite = "%%%%\n";

class InputCopy {
 public:
  // The copy of size bytes of inFd to outFd at its offset, old end marked;
  // with early, it starts at once on a second thread.
  InputCopy(int inFd, int outFd, int64_t size, bool early);
  // A copy that finish did not claim is discarded.
  ~InputCopy() { discard(); }
  InputCopy(const InputCopy&) = delete;
  InputCopy& operator=(const InputCopy&) = delete;

  // Waits for the early copy, or makes the copy now. Returns 0 or the
  // errno of the failure; what the copy threw is thrown here.
  int finish();
  // Waits for the early copy and empties the output. False when the
  // output cannot be emptied.
  bool discard();

 private:
  // Copies and marks the old end, keeping the outcome for finish.
  void run();

  int inFd;
  int outFd;
  int64_t size;
  int result = 0;
  std::exception_ptr thrown;
  std::thread worker;
};
