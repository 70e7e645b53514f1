#include <fcntl.h>
#include <io.h>
#include <windows.h>

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
  // The C runtime's descriptors block; nothing to wait for.
  int waitUntilReady(bool) override {
    Sleep(1);
    return 0;
  }
  static unsigned clampToInt(std::size_t size) {
    return size > INT_MAX ? INT_MAX : static_cast<unsigned>(size);
  }
};

// The volume and 128-bit file id name a file on disk whatever path or
// handle reached it (Windows 8 on; Wine answers this one, and not the older
// GetFileInformationByHandle, for the streams a Unix shell hands over).
bool identify(int descriptor, FILE_ID_INFO* id) {
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
  return handle != INVALID_HANDLE_VALUE && GetFileType(handle) == FILE_TYPE_DISK &&
         GetFileInformationByHandleEx(handle, FileIdInfo, id, sizeof *id);
}

}  // namespace

bool standardStreamsShareAFile() {
  FILE_ID_INFO input, output;
  return identify(0, &input) && identify(1, &output) &&
         input.VolumeSerialNumber == output.VolumeSerialNumber &&
         std::memcmp(&input.FileId, &output.FileId, sizeof input.FileId) == 0;
}

ByteIo& standardStreams() {
  static Win32Streams streams;
  return streams;
}

const char* errorText(int error) { return std::strerror(error); }
