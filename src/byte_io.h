#pragma once

#include <cerrno>
#include <cstddef>

/// The two ends of a conversion run, one platform call per operation. The
/// run reads and writes only through this, so tests can script every call.
struct ByteIo {
  virtual ~ByteIo() = default;
  /// Reads up to capacity (> 0) bytes into buffer. Returns the count read,
  /// 0 at the end of the input, or a negated errno value on failure
  /// (-EINTR when interrupted before anything was read, -EAGAIN or
  /// -EWOULDBLOCK when the input is non-blocking and has nothing yet).
  virtual long read(unsigned char* buffer, std::size_t capacity) = 0;
  /// Writes up to size (> 0) bytes of data. Returns the count written, which
  /// may be fewer than size, or a negated errno value on failure (-EAGAIN or
  /// -EWOULDBLOCK when the output is non-blocking and full).
  virtual long write(const unsigned char* data, std::size_t size) = 0;
  /// Waits until the input (forWrite false) or the output can take the call
  /// that failed with EAGAIN, leaving the descriptor's mode as it is.
  /// Returns 0, or the errno value of a failed wait.
  virtual int waitUntilReady(bool forWrite) = 0;
};

/// Makes call, one read (forWrite false) or write of io, until it is done:
/// again after an interruption, and after waiting when a non-blocking
/// descriptor is not ready (a parent may leave one so). Returns what the
/// call last returned, or the negated errno value of a failed wait.
template <typename Call>
long callUntilDone(ByteIo& io, bool forWrite, Call call) {
  for (;;) {
    const long result = call();
    if (result == -EINTR) continue;
    if (result != -EAGAIN && result != -EWOULDBLOCK) return result;
    if (const int error = io.waitUntilReady(forWrite)) return -error;
  }
}

/// Standard input and standard output of this process, as the platform
/// gives them (in text mode where the platform has one).
ByteIo& standardStreams();

/// Whether standard input and standard output are one regular file (two
/// names or two opens of it included), which a filter would read back as
/// it writes. Pipes, terminals and devices never are.
bool standardStreamsShareAFile();

/// The platform's message for an errno value, for error lines.
const char* errorText(int error);
