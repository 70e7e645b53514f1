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
};

}  // namespace

ByteIo& standardStreams() {
  static PosixStreams streams;
  return streams;
}

const char* errorText(int error) { return std::strerror(error); }
