#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "byte_io.h"

namespace {

struct PosixStreams final : ByteIo {
  long read(unsigned char* buffer, std::size_t capacity) override {
    const ssize_t count = ::read(STDIN_FILENO, buffer, capacity);
    return count < 0 ? -errno : static_cast<long>(count);
  }
  long write(const unsigned char* data, std::size_t size) override {
    const ssize_t count = ::write(STDOUT_FILENO, data, size);
    return count < 0 ? -errno : static_cast<long>(count);
  }
  int waitUntilReady(bool forWrite) override {
    pollfd descriptor{forWrite ? STDOUT_FILENO : STDIN_FILENO,
                      static_cast<short>(forWrite ? POLLOUT : POLLIN), 0};
    // POLLHUP and POLLERR end the wait too: the retried call then reports.
    while (::poll(&descriptor, 1, -1) < 0)
      if (errno != EINTR) return errno;
    return 0;
  }
};

}  // namespace

bool standardStreamsShareAFile() {
  struct stat input, output;
  if (::fstat(STDIN_FILENO, &input) != 0 || ::fstat(STDOUT_FILENO, &output) != 0)
    return false;
  return S_ISREG(input.st_mode) && S_ISREG(output.st_mode) &&
         input.st_dev == output.st_dev && input.st_ino == output.st_ino;
}

ByteIo& standardStreams() {
  static PosixStreams streams;
  return streams;
}

const char* errorText(int error) { return std::strerror(error); }
