#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "codepages.h"
#include "file_system.h"
#include "file_walk.h"
#include "kernels.h"
#include "line_conversion.h"

/// How files are to be converted.
struct FileRequest {
  CodeId source = codUtf, target = codUtf;
  bool guessSource = false;  ///< source is guessed for each file
  bool lossy = false;        ///< convert though characters are lost
  bool force = false;        ///< convert though the file does not look like source
  bool keepDate = false;     ///< the result keeps the original's times
  bool dryRun = false;       ///< only tell what would be done
  bool backup = false;       ///< keep the original as its path + backupSuffix
  std::string backupSuffix = "~";
};

/// What became of one file, and what its commit needs.
struct FileOutcome {
  enum class Kind {
    converted,     ///< converted (once committed), or would be in a dry run
    needsNothing,  ///< nothing to do: the run is fine without it
    left,          ///< left as it was for its safety: the run fails
    failed,        ///< a call failed: the run fails
    stopped,       ///< not done: the run was cancelled
  } kind = Kind::failed;
  std::string reason;  ///< why, for all but converted
  CodeId source = codUtf;
  std::uint64_t bytes = 0;  ///< of the original
  // A prepared conversion waiting for its commit:
  std::string realPath;   ///< the file to replace, links resolved
  std::string temporary;  ///< the result, beside it
  FileHandle result = -1;
  FileStatus original{};
};

/// Converts the file task names into a temporary file beside it, with the
/// original's owner, group, attributes, mode (and times when asked), and
/// checks everything that can leave it; touches nothing in a dry run. A
/// converted outcome holds the result open and unsynced: the caller syncs
/// a batch of them, closes them and commits each. Any other outcome leaves
/// no temporary file. Stops early, as failed, once cancel is set.
FileOutcome prepareFile(FileSystem& fileSystem, const FileTask& task, const FileRequest& request,
                        const Kernel& kernel, ConversionBuffers& buffers,
                        const std::atomic<bool>& cancel);

/// Puts a prepared, synced and closed result in the place of its original
/// (after keeping the original as a backup when asked), unless the
/// original changed since it was read. On failure the temporary file is
/// removed and the outcome says why.
void commitFile(FileSystem& fileSystem, const FileRequest& request, FileOutcome& outcome);

/// Calls work(i) for each i below count, in any order or side by side, and
/// returns when all are done.
using ForEachIndex =
    std::function<void(std::size_t count, const std::function<void(std::size_t)>& work)>;

/// Makes the prepared results among outcomes durable with one sync, then
/// commits each (through forEach), then makes the names in their
/// directories durable. A result that could not be made durable is
/// discarded; a directory that could not be synced fails the outcomes that
/// renamed into it.
void commitBatch(FileSystem& fileSystem, const FileRequest& request,
                 std::span<FileOutcome> outcomes, const ForEachIndex& forEach);

/// Removes the temporary file of a prepared outcome that will not be committed.
void discardFile(FileSystem& fileSystem, FileOutcome& outcome);

