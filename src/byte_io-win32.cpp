#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "byte_io.h"

namespace {

// The C runtime's text mode does what Windows users expect of a filter:
// CR LF is read as one newline (also when a read ends between the two),
// a lone CR is kept, Ctrl-Z ends the input, and each newline is written as
// CR LF. The conversion sees only the newline byte.
struct Win32Streams final : ByteIo {
  Win32Streams() {
    _setmode(0, _O_TEXT);
    _setmode(1, _O_TEXT);
  }
  long read(unsigned char* buffer, std::size_t capacity) override {
    const int count = _read(0, buffer, clampToInt(capacity));
    return count < 0 ? -errno : count;
  }
  long write(const unsigned char* data, std::size_t size) override {
    const int count = _write(1, data, clampToInt(size));
    return count < 0 ? -errno : count;
  }
  static unsigned clampToInt(std::size_t size) {
    return size > INT_MAX ? INT_MAX : static_cast<unsigned>(size);
  }
};

}  // namespace

ByteIo& standardStreams() {
  static Win32Streams streams;
  return streams;
}

const char* errorText(int error) { return std::strerror(error); }
