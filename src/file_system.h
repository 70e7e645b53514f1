#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

/// An open file of the platform (a descriptor or a handle).
using FileHandle = std::intptr_t;

/// What a path names, as the platform reports it.
struct FileStatus {
  enum class Kind { regular, directory, symbolicLink, other } kind;
  std::uint64_t device, identity;  ///< together, which file it is
  std::uint64_t size, links;
  std::int64_t accessTime, modificationTime;  ///< nanoseconds since the epoch
  std::uint32_t mode, owner, group;
  bool operator==(const FileStatus&) const = default;
};

/// One name in a directory.
struct DirectoryEntry {
  std::string name;
  FileStatus status;  ///< of the name itself, a link not followed
};

/// The file calls that converting files in place makes, one platform call
/// (or a few that stand for one) each. Every call returns 0 or the errno
/// value of its failure; reads and writes return a count or a negated errno
/// value. Files are converted only through this, so tests can make any
/// call fail.
struct FileSystem {
  virtual ~FileSystem() = default;
  /// Status of path, following a symbolic link at its end if follow.
  virtual int status(const std::string& path, bool follow, FileStatus* out) = 0;
  /// The path with every symbolic link in it resolved.
  virtual int resolve(const std::string& path, std::string* out) = 0;
  /// The names in directory but . and .., in the platform's order.
  virtual int list(const std::string& directory, std::vector<DirectoryEntry>* out) = 0;

  virtual int openForReading(const std::string& path, FileHandle* out) = 0;
  virtual int statusOf(FileHandle file, FileStatus* out) = 0;
  virtual long read(FileHandle file, unsigned char* buffer, std::size_t capacity) = 0;
  /// Makes the next read of file start at its first byte.
  virtual int rewind(FileHandle file) = 0;
  /// Creates a new file, readable and writable by its owner only, under a
  /// fresh name in directory that starts with temporaryPrefix.
  virtual int createTemporary(const std::string& directory, std::string* path,
                              FileHandle* out) = 0;
  virtual long write(FileHandle file, const unsigned char* data, std::size_t size) = 0;
  virtual int setOwner(FileHandle file, std::uint32_t owner, std::uint32_t group) = 0;
  /// Gives to the extended attributes (access lists, security labels) of from.
  virtual int copyAttributes(FileHandle from, FileHandle to) = 0;
  virtual int setMode(FileHandle file, std::uint32_t mode) = 0;
  virtual int setTimes(FileHandle file, std::int64_t accessTime,
                       std::int64_t modificationTime) = 0;
  /// Makes the data and metadata of files durable, in as few calls as the
  /// platform allows.
  virtual int syncFiles(std::span<const FileHandle> files) = 0;
  virtual int close(FileHandle file) = 0;
  /// Replaces to by from in one step: to is always either the old file or the new.
  virtual int replace(const std::string& from, const std::string& to) = 0;
  /// Gives file a second name, replacing whatever had that name.
  virtual int keepAs(const std::string& file, const std::string& name) = 0;
  virtual int remove(const std::string& path) = 0;
  /// Makes the names of directory durable.
  virtual int syncDirectory(const std::string& directory) = 0;
};

/// The start of the names of temporary files; a walk skips them, so that
/// those a killed run left are never converted.
inline constexpr char temporaryPrefix[] = ".bytemorph-tmp-";

/// The platform's file calls.
FileSystem& platformFileSystem();

/// How many files this process may hold open at once.
std::size_t openFileLimit();

/// The program's arguments, argv[0] first, as UTF-8 where the platform
/// gives them in another page (Windows), else as they are.
std::vector<std::string> commandLineArguments(int argc, char** argv);

/// The characters that separate the names in a path.
#ifdef _WIN32
inline constexpr char pathSeparators[] = "/\\";
#else
inline constexpr char pathSeparators[] = "/";
#endif

/// The directory that holds path: "." for a bare name.
inline std::string directoryOf(const std::string& path) {
  const std::size_t slash = path.find_last_of(pathSeparators);
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}
