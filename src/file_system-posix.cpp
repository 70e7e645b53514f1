#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <set>

#include "file_system.h"

namespace {

std::int64_t nanoseconds(const timespec& time) {
  return static_cast<std::int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
}

timespec timespecOf(std::int64_t nanoseconds) {
  timespec time{};
  time.tv_sec = static_cast<time_t>(nanoseconds / 1000000000);
  time.tv_nsec = static_cast<long>(nanoseconds % 1000000000);
  return time;
}

FileStatus statusFrom(const struct stat& info) {
  FileStatus status{};
  status.kind = S_ISREG(info.st_mode)   ? FileStatus::Kind::regular
                : S_ISDIR(info.st_mode) ? FileStatus::Kind::directory
                : S_ISLNK(info.st_mode) ? FileStatus::Kind::symbolicLink
                                        : FileStatus::Kind::other;
  status.device = info.st_dev;
  status.identity = info.st_ino;
  status.size = static_cast<std::uint64_t>(info.st_size);
  status.links = info.st_nlink;
  status.accessTime = nanoseconds(info.st_atim);
  status.modificationTime = nanoseconds(info.st_mtim);
  status.mode = info.st_mode & 07777;
  status.owner = info.st_uid;
  status.group = info.st_gid;
  return status;
}

int resultOf(int returned) { return returned == 0 ? 0 : errno; }

struct PosixFileSystem final : FileSystem {
  int status(const std::string& path, bool follow, FileStatus* out) override {
    struct stat info;
    if ((follow ? ::stat(path.c_str(), &info) : ::lstat(path.c_str(), &info)) != 0) return errno;
    *out = statusFrom(info);
    return 0;
  }

  int resolve(const std::string& path, std::string* out) override {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved) return errno;
    *out = resolved;
    std::free(resolved);
    return 0;
  }

  int list(const std::string& directory, std::vector<DirectoryEntry>* out) override {
    DIR* stream = ::opendir(directory.c_str());
    if (!stream) return errno;
    int error = 0;
    for (;;) {
      errno = 0;
      const dirent* entry = ::readdir(stream);
      if (!entry) {
        error = errno;
        break;
      }
      if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
        continue;
      struct stat info;
      // A name that vanished since the listing is no longer there to walk.
      if (::fstatat(::dirfd(stream), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
      out->push_back({entry->d_name, statusFrom(info)});
    }
    ::closedir(stream);
    return error;
  }

  int openForReading(const std::string& path, FileHandle* out) override {
    // Reading is not using: a dry run leaves even the access time. Only the
    // owner (or root) may ask for that.
    int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NOATIME);
    if (descriptor < 0 && errno == EPERM)
      descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (descriptor < 0) return errno;
    *out = descriptor;
    return 0;
  }

  int statusOf(FileHandle file, FileStatus* out) override {
    struct stat info;
    if (::fstat(static_cast<int>(file), &info) != 0) return errno;
    *out = statusFrom(info);
    return 0;
  }

  long read(FileHandle file, unsigned char* buffer, std::size_t capacity) override {
    const ssize_t count = ::read(static_cast<int>(file), buffer, capacity);
    return count < 0 ? -errno : static_cast<long>(count);
  }

  int rewind(FileHandle file) override {
    return ::lseek(static_cast<int>(file), 0, SEEK_SET) == 0 ? 0 : errno;
  }

  int createTemporary(const std::string& directory, std::string* path,
                      FileHandle* out) override {
    std::string name = directory + "/" + temporaryPrefix + "XXXXXX";
    // mkostemp creates the file exclusively, for its owner only.
    const int descriptor = ::mkostemp(name.data(), O_CLOEXEC);
    if (descriptor < 0) return errno;
    *path = name;
    *out = descriptor;
    return 0;
  }

  long write(FileHandle file, const unsigned char* data, std::size_t size) override {
    const ssize_t count = ::write(static_cast<int>(file), data, size);
    return count < 0 ? -errno : static_cast<long>(count);
  }

  int setOwner(FileHandle file, std::uint32_t owner, std::uint32_t group) override {
    return resultOf(::fchown(static_cast<int>(file), owner, group));
  }

  int copyAttributes(FileHandle from, FileHandle to) override {
    const int source = static_cast<int>(from), target = static_cast<int>(to);
    const ssize_t listSize = ::flistxattr(source, nullptr, 0);
    if (listSize < 0) return errno == ENOTSUP ? 0 : errno;
    std::string names(static_cast<std::size_t>(listSize), '\0');
    const ssize_t listed = ::flistxattr(source, names.data(), names.size());
    if (listed < 0) return errno;
    names.resize(static_cast<std::size_t>(listed));
    for (std::size_t at = 0; at < names.size(); at += std::strlen(names.c_str() + at) + 1) {
      const char* name = names.c_str() + at;
      const ssize_t valueSize = ::fgetxattr(source, name, nullptr, 0);
      if (valueSize < 0) return errno;
      std::string value(static_cast<std::size_t>(valueSize), '\0');
      const ssize_t got = ::fgetxattr(source, name, value.data(), value.size());
      if (got < 0) return errno;
      if (::fsetxattr(target, name, value.data(), static_cast<std::size_t>(got), 0) != 0)
        return errno;
    }
    return 0;
  }

  int setMode(FileHandle file, std::uint32_t mode) override {
    return resultOf(::fchmod(static_cast<int>(file), static_cast<mode_t>(mode)));
  }

  int setTimes(FileHandle file, std::int64_t accessTime,
               std::int64_t modificationTime) override {
    const timespec times[2] = {timespecOf(accessTime), timespecOf(modificationTime)};
    return resultOf(::futimens(static_cast<int>(file), times));
  }

  int syncFiles(std::span<const FileHandle> files) override {
    // One syncfs per file system writes the whole batch in one go, where a
    // sync per file would wait for the disk once per file.
    std::set<dev_t> synced;
    for (const FileHandle file : files) {
      struct stat info;
      if (::fstat(static_cast<int>(file), &info) != 0) return errno;
      if (!synced.insert(info.st_dev).second) continue;
      if (::syncfs(static_cast<int>(file)) != 0) return errno;
    }
    return 0;
  }

  int close(FileHandle file) override { return resultOf(::close(static_cast<int>(file))); }

  int replace(const std::string& from, const std::string& to) override {
    return resultOf(::rename(from.c_str(), to.c_str()));
  }

  int keepAs(const std::string& file, const std::string& name) override {
    // link refuses an existing name: link to a fresh one, then rename over.
    const std::string directory = directoryOf(name);
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::string fresh = directory + "/" + temporaryPrefix + "XXXXXX";
      // A name mkstemp picked, freed again for link to take.
      const int descriptor = ::mkstemp(fresh.data());
      if (descriptor < 0) return errno;
      ::close(descriptor);
      ::unlink(fresh.c_str());
      if (::link(file.c_str(), fresh.c_str()) != 0) {
        if (errno == EEXIST) continue;
        return errno;
      }
      if (::rename(fresh.c_str(), name.c_str()) != 0) {
        const int error = errno;
        ::unlink(fresh.c_str());
        return error;
      }
      return 0;
    }
    return EEXIST;
  }

  int remove(const std::string& path) override { return resultOf(::unlink(path.c_str())); }

  int syncDirectory(const std::string& directory) override {
    const int descriptor = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) return errno;
    const int error = resultOf(::fsync(descriptor));
    ::close(descriptor);
    return error;
  }
};

}  // namespace

FileSystem& platformFileSystem() {
  static PosixFileSystem fileSystem;
  return fileSystem;
}

std::vector<std::string> commandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

std::size_t openFileLimit() {
  rlimit limit;
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return 1 << 20;
  return static_cast<std::size_t>(limit.rlim_cur);
}
