#pragma once

#include <string>
#include <vector>

#include "file_system.h"

/// Which files a walk takes.
struct WalkRules {
  bool recursive = false;
  std::vector<std::string> include, exclude;  ///< globs on the file name
};

/// One file to convert, or a name the walk already has a word about.
struct FileTask {
  enum class Kind {
    convert,          ///< a regular file (or a link to one, named by the user)
    symbolicLink,     ///< a symbolic link met in a walk: not followed
    directory,        ///< a directory named without recursive
    notRegular,       ///< a device, socket or pipe
    unreadable,       ///< status or listing failed
  } kind;
  std::string path;  ///< as given, or joined from the walk
  int error = 0;     ///< errno value, for unreadable
  FileStatus status{};  ///< of the file a convert task names, links followed
  bool namedLink = false;  ///< path is a symbolic link the user named
};

/// Whether a walk passes over name: version-control folders (.git, .hg,
/// .svn), and this program's temporary files.
bool skippedInWalk(const std::string& name, bool isDirectory);

/// The tasks for paths in order: each path, and under a directory when
/// recursive every name in byte order, depth first. A symbolic link among
/// paths is followed; one met in a walk is not. Files whose name the include
/// globs (when any) do not match, or an exclude glob matches, are passed over.
std::vector<FileTask> collectFiles(FileSystem& fileSystem, const std::vector<std::string>& paths,
                                   const WalkRules& rules);
