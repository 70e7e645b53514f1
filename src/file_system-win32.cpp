#include <windows.h>

#include <cerrno>
#include <cstdlib>
#include <random>

#include "file_system.h"

namespace {

std::wstring wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                       nullptr, 0);
  std::wstring out(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), size);
  return out;
}

std::string narrow(const wchar_t* text, int length = -1) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), size, nullptr, nullptr);
  if (length < 0 && !out.empty()) out.pop_back();  // the terminator
  return out;
}

// The errno value closest to the last Win32 error, for the shared messages.
int lastError() {
  switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
      return EACCES;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EBUSY;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_WRITE_PROTECT:
      return EROFS;
    case ERROR_NOT_SAME_DEVICE:
      return EXDEV;
    default:
      return EIO;
  }
}

int resultOf(BOOL succeeded) { return succeeded ? 0 : lastError(); }

HANDLE handleOf(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

// FILETIME counts 100 ns from 1601; the status counts ns from 1970.
constexpr std::int64_t epochDifference = 116444736000000000;

std::int64_t nanoseconds(const FILETIME& time) {
  const std::int64_t ticks =
      static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                                time.dwLowDateTime);
  return (ticks - epochDifference) * 100;
}

FILETIME fileTimeOf(std::int64_t nanoseconds) {
  const std::uint64_t ticks = static_cast<std::uint64_t>(nanoseconds / 100 + epochDifference);
  return {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

FileStatus::Kind kindOf(DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return FileStatus::Kind::symbolicLink;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return FileStatus::Kind::directory;
  return FileStatus::Kind::regular;
}

FileStatus statusFrom(const BY_HANDLE_FILE_INFORMATION& info) {
  FileStatus status{};
  status.kind = kindOf(info.dwFileAttributes);
  status.device = info.dwVolumeSerialNumber;
  status.identity = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  status.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  status.links = info.nNumberOfLinks;
  status.accessTime = nanoseconds(info.ftLastAccessTime);
  status.modificationTime = nanoseconds(info.ftLastWriteTime);
  status.mode = info.dwFileAttributes & FILE_ATTRIBUTE_READONLY ? 0444 : 0644;
  return status;
}

HANDLE openPath(const std::string& path, DWORD access, DWORD flags) {
  return CreateFileW(wide(path).c_str(), access,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, flags | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// A name no file has yet beside directory, starting with temporaryPrefix.
std::string freshName(const std::string& directory) {
  static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937 random{std::random_device{}()};
  std::string name = directory + "/" + temporaryPrefix;
  for (int i = 0; i < 6; ++i) name += letters[random() % (sizeof letters - 1)];
  return name;
}

// ReplaceFile keeps the original's attributes, access lists, creation time
// and streams on the result, so owner, attributes and mode need no calls.
struct Win32FileSystem final : FileSystem {
  int status(const std::string& path, bool follow, FileStatus* out) override {
    const HANDLE file = openPath(path, 0, follow ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    if (file == INVALID_HANDLE_VALUE) return lastError();
    const int error = statusOf(reinterpret_cast<FileHandle>(file), out);
    CloseHandle(file);
    return error;
  }

  int resolve(const std::string& path, std::string* out) override {
    const HANDLE file = openPath(path, 0, 0);
    if (file == INVALID_HANDLE_VALUE) return lastError();
    wchar_t buffer[32768];
    const DWORD length = GetFinalPathNameByHandleW(file, buffer, 32768, FILE_NAME_NORMALIZED);
    const int error = length == 0 || length >= 32768 ? lastError() : 0;
    CloseHandle(file);
    if (error) return error;
    *out = narrow(buffer, static_cast<int>(length));
    if (out->rfind("\\\\?\\", 0) == 0) out->erase(0, 4);
    return 0;
  }

  int list(const std::string& directory, std::vector<DirectoryEntry>* out) override {
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(wide(directory + "/*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return lastError();
    do {
      const std::string name = narrow(found.cFileName);
      if (name == "." || name == "..") continue;
      FileStatus status{};
      status.kind = kindOf(found.dwFileAttributes);
      status.size = (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
      status.modificationTime = nanoseconds(found.ftLastWriteTime);
      out->push_back({name, status});
    } while (FindNextFileW(search, &found));
    const int error = GetLastError() == ERROR_NO_MORE_FILES ? 0 : lastError();
    FindClose(search);
    return error;
  }

  int openForReading(const std::string& path, FileHandle* out) override {
    const HANDLE file = openPath(path, GENERIC_READ, FILE_FLAG_SEQUENTIAL_SCAN);
    if (file == INVALID_HANDLE_VALUE) return lastError();
    *out = reinterpret_cast<FileHandle>(file);
    return 0;
  }

  int statusOf(FileHandle file, FileStatus* out) override {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handleOf(file), &info)) return lastError();
    *out = statusFrom(info);
    return 0;
  }

  long read(FileHandle file, unsigned char* buffer, std::size_t capacity) override {
    DWORD count = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(capacity, 1u << 30));
    if (!ReadFile(handleOf(file), buffer, want, &count, nullptr)) return -lastError();
    return static_cast<long>(count);
  }

  int rewind(FileHandle file) override {
    LARGE_INTEGER start{};
    return SetFilePointerEx(handleOf(file), start, nullptr, FILE_BEGIN) ? 0 : lastError();
  }

  int createTemporary(const std::string& directory, std::string* path,
                      FileHandle* out) override {
    for (int attempt = 0; attempt < 100; ++attempt) {
      const std::string name = freshName(directory);
      const HANDLE file = CreateFileW(wide(name).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                      nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (file == INVALID_HANDLE_VALUE) {
        if (GetLastError() == ERROR_FILE_EXISTS) continue;
        return lastError();
      }
      *path = name;
      *out = reinterpret_cast<FileHandle>(file);
      return 0;
    }
    return EEXIST;
  }

  long write(FileHandle file, const unsigned char* data, std::size_t size) override {
    DWORD count = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    if (!WriteFile(handleOf(file), data, want, &count, nullptr)) return -lastError();
    return static_cast<long>(count);
  }

  int setOwner(FileHandle, std::uint32_t, std::uint32_t) override { return 0; }
  int copyAttributes(FileHandle, FileHandle) override { return 0; }
  int setMode(FileHandle, std::uint32_t) override { return 0; }

  int setTimes(FileHandle file, std::int64_t accessTime,
               std::int64_t modificationTime) override {
    const FILETIME access = fileTimeOf(accessTime), modification = fileTimeOf(modificationTime);
    return resultOf(SetFileTime(handleOf(file), nullptr, &access, &modification));
  }

  int syncFiles(std::span<const FileHandle> files) override {
    for (const FileHandle file : files)
      if (!FlushFileBuffers(handleOf(file))) return lastError();
    return 0;
  }

  int close(FileHandle file) override { return resultOf(CloseHandle(handleOf(file))); }

  int replace(const std::string& from, const std::string& to) override {
    const std::wstring target = wide(to), replacement = wide(from);
    if (ReplaceFileW(target.c_str(), replacement.c_str(), nullptr,
                     REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
      return 0;
    return lastError();
  }

  int keepAs(const std::string& file, const std::string& name) override {
    const std::string directory = directoryOf(name);
    for (int attempt = 0; attempt < 100; ++attempt) {
      const std::string fresh = freshName(directory);
      if (!CreateHardLinkW(wide(fresh).c_str(), wide(file).c_str(), nullptr)) {
        if (GetLastError() == ERROR_ALREADY_EXISTS) continue;
        return lastError();
      }
      if (!MoveFileExW(wide(fresh).c_str(), wide(name).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const int error = lastError();
        DeleteFileW(wide(fresh).c_str());
        return error;
      }
      return 0;
    }
    return EEXIST;
  }

  int remove(const std::string& path) override {
    return resultOf(DeleteFileW(wide(path).c_str()));
  }

  // NTFS journals its names: a replace that returned is in the journal.
  int syncDirectory(const std::string&) override { return 0; }
};

}  // namespace

FileSystem& platformFileSystem() {
  static Win32FileSystem fileSystem;
  return fileSystem;
}

std::vector<std::string> commandLineArguments(int, char**) {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> out;
  for (int i = 0; i < count; ++i) out.push_back(narrow(arguments[i]));
  LocalFree(arguments);
  return out;
}

// Windows sets no limit on a process's handles that a batch could reach.
std::size_t openFileLimit() { return 1 << 20; }
