#include "file_walk.h"

#include <algorithm>
#include <string_view>

#include "glob_match.h"

namespace {

bool isSeparator(char c) {
  return std::string_view(pathSeparators).find(c) != std::string_view::npos;
}

std::string baseName(const std::string& path) {
  std::size_t end = path.size();
  while (end > 1 && isSeparator(path[end - 1])) --end;
  const std::size_t slash = path.find_last_of(pathSeparators, end - 1);
  return path.substr(slash == std::string::npos ? 0 : slash + 1,
                     end - (slash == std::string::npos ? 0 : slash + 1));
}

bool wanted(const std::string& name, const WalkRules& rules) {
  const auto matches = [&](const std::string& glob) { return matchesGlob(glob, name); };
  if (!rules.include.empty() && std::none_of(rules.include.begin(), rules.include.end(), matches))
    return false;
  return std::none_of(rules.exclude.begin(), rules.exclude.end(), matches);
}

struct Walk {
  FileSystem& fileSystem;
  const WalkRules& rules;
  std::vector<FileTask> tasks;

  void addFile(const std::string& path, const FileStatus& status, bool namedLink) {
    if (!wanted(baseName(path), rules)) return;
    const FileTask::Kind kind = status.kind == FileStatus::Kind::regular
                                    ? FileTask::Kind::convert
                                    : FileTask::Kind::notRegular;
    tasks.push_back({kind, path, 0, status, namedLink});
  }

  void walkDirectory(const std::string& directory) {
    std::vector<DirectoryEntry> entries;
    if (const int error = fileSystem.list(directory, &entries)) {
      tasks.push_back({FileTask::Kind::unreadable, directory, error});
      return;
    }
    std::sort(entries.begin(), entries.end(),
              [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
    const bool ended = !directory.empty() && isSeparator(directory.back());
    const std::string prefix = ended ? directory : directory + "/";
    for (const DirectoryEntry& entry : entries) {
      const bool isDirectory = entry.status.kind == FileStatus::Kind::directory;
      if (skippedInWalk(entry.name, isDirectory)) continue;
      const std::string path = prefix + entry.name;
      if (isDirectory)
        walkDirectory(path);
      else if (entry.status.kind == FileStatus::Kind::symbolicLink) {
        if (wanted(entry.name, rules)) tasks.push_back({FileTask::Kind::symbolicLink, path});
      } else
        addFile(path, entry.status, false);
    }
  }
};

}  // namespace

bool skippedInWalk(const std::string& name, bool isDirectory) {
  if (isDirectory) return name == ".git" || name == ".hg" || name == ".svn";
  return name.starts_with(temporaryPrefix);
}

std::vector<FileTask> collectFiles(FileSystem& fileSystem, const std::vector<std::string>& paths,
                                   const WalkRules& rules) {
  Walk walk{fileSystem, rules, {}};
  for (const std::string& path : paths) {
    FileStatus status;
    if (const int error = fileSystem.status(path, true, &status)) {
      walk.tasks.push_back({FileTask::Kind::unreadable, path, error});
    } else if (status.kind != FileStatus::Kind::directory) {
      FileStatus own;
      const bool link = fileSystem.status(path, false, &own) == 0 &&
                        own.kind == FileStatus::Kind::symbolicLink;
      walk.addFile(path, status, link);
    } else if (rules.recursive) {
      walk.walkDirectory(path);
    } else {
      walk.tasks.push_back({FileTask::Kind::directory, path});
    }
  }
  return std::move(walk.tasks);
}
