#pragma once

#include <cstddef>

/// The two ends of a conversion run, one platform call per operation. The
/// run reads and writes only through this, so tests can script every call.
struct ByteIo {
  virtual ~ByteIo() = default;
  /// Reads up to capacity (> 0) bytes into buffer. Returns the count read,
  /// 0 at the end of the input, or a negated errno value on failure
  /// (-EINTR when interrupted before anything was read).
  virtual long read(unsigned char* buffer, std::size_t capacity) = 0;
  /// Writes up to size (> 0) bytes of data. Returns the count written, which
  /// may be fewer than size, or a negated errno value on failure.
  virtual long write(const unsigned char* data, std::size_t size) = 0;
};

/// Standard input and standard output of this process, as the platform
/// gives them (in text mode where the platform has one).
ByteIo& standardStreams();

/// The platform's message for an errno value, for error lines.
const char* errorText(int error);
