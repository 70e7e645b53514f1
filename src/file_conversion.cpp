#include "file_conversion.h"

#include <cerrno>
#include <map>
#include <vector>

#include "conversion_loss.h"
#include "guess.h"

namespace {

// Reads the original and writes the result (nowhere in a dry run). Files
// never ask to wait.
struct FileStreams final : ByteIo {
  FileSystem& fileSystem;
  FileHandle input, output;
  const std::atomic<bool>& cancel;

  FileStreams(FileSystem& fileSystem, FileHandle input, const std::atomic<bool>& cancel)
      : fileSystem(fileSystem), input(input), output(-1), cancel(cancel) {}
  long read(unsigned char* buffer, std::size_t capacity) override {
    if (cancel.load(std::memory_order_relaxed)) return -ECANCELED;
    return fileSystem.read(input, buffer, capacity);
  }
  long write(const unsigned char* data, std::size_t size) override {
    return output < 0 ? static_cast<long>(size) : fileSystem.write(output, data, size);
  }
  int waitUntilReady(bool) override { return EIO; }
};

// Shows every byte the conversion reads to the loss counter, and notes
// whether any is above 0x7F.
struct WatchedInput final : ByteIo {
  ByteIo& input;
  LossCounter& losses;
  bool sawUpper = false;

  WatchedInput(ByteIo& input, LossCounter& losses) : input(input), losses(losses) {}
  long read(unsigned char* buffer, std::size_t capacity) override {
    const long count = input.read(buffer, capacity);
    if (count > 0) {
      losses.scan(buffer, static_cast<std::size_t>(count));
      sawUpper = sawUpper || !isAscii(buffer, static_cast<std::size_t>(count));
    }
    return count;
  }
  long write(const unsigned char* data, std::size_t size) override {
    return input.write(data, size);
  }
  int waitUntilReady(bool forWrite) override { return input.waitUntilReady(forWrite); }
};

std::string plural(std::uint64_t count, const char* noun) {
  return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

std::string because(const char* what, int error) {
  return std::string(what) + ": " + errorText(error);
}

FileOutcome outcome(FileOutcome::Kind kind, std::string reason) {
  FileOutcome result;
  result.kind = kind;
  result.reason = std::move(reason);
  return result;
}

// A read that a stop cut short leaves nothing to tell.
FileOutcome readFailure(int error) {
  return error == ECANCELED ? outcome(FileOutcome::Kind::stopped, "")
                            : outcome(FileOutcome::Kind::failed, because("cannot read it", error));
}

bool sameContent(const FileStatus& a, const FileStatus& b) {
  return a.device == b.device && a.identity == b.identity && a.size == b.size &&
         a.modificationTime == b.modificationTime;
}

// Where the guess settles the fate of the file before any conversion, the
// outcome; else the page to convert from (in *source).
bool judgeGuess(const HeldStart& start, const unsigned char* held, const FileRequest& request,
                CodeId* source, FileOutcome* judged) {
  using Kind = FileOutcome::Kind;
  const PageGuess& guess = start.guess;
  const bool settled = guess.conclusive || start.ended();
  *source = request.guessSource ? guess.page : request.source;
  if (start.ended() && isAscii(held, start.size)) {
    *judged = outcome(Kind::needsNothing, "no byte above 0x7F");
    return true;
  }
  const FileOutcome alreadyInTarget =
      outcome(Kind::needsNothing, std::string("already ") + codNameOf(request.target));
  if (!request.guessSource && request.source == request.target) {
    *judged = alreadyInTarget;
    return true;
  }
  if (request.force && !request.guessSource) return false;
  if (settled && guess.verdict == GuessVerdict::binary) {
    *judged = outcome(Kind::needsNothing, "binary data");
    return true;
  }
  if (settled && guess.verdict == GuessVerdict::unknown) {
    *judged = request.guessSource
                  ? outcome(Kind::needsNothing, "no code page reads it as Cyrillic")
                  : outcome(Kind::left, std::string("not ") + codNameOf(request.source) +
                                            ": no code page reads it as Cyrillic");
    return true;
  }
  if (request.guessSource ? guess.page == request.target
                          : guess.conclusive && guess.page == request.target) {
    *judged = alreadyInTarget;
    return true;
  }
  if (!request.guessSource && guess.conclusive && guess.page != request.source) {
    *judged = outcome(Kind::left, std::string("looks like ") + codNameOf(guess.page) + ", not " +
                                      codNameOf(request.source));
    return true;
  }
  return false;
}

// Gives the result the original's owner, attributes, mode and, when asked,
// times; owner first, as changing it clears set-id bits.
FileOutcome keepMetadata(FileSystem& fileSystem, FileHandle original, const FileOutcome& prepared,
                         const FileRequest& request) {
  using Kind = FileOutcome::Kind;
  const FileStatus& status = prepared.original;
  if (const int error = fileSystem.setOwner(prepared.result, status.owner, status.group))
    return outcome(Kind::left, because("cannot keep its owner and group", error));
  if (const int error = fileSystem.copyAttributes(original, prepared.result))
    return outcome(Kind::failed, because("cannot copy its extended attributes", error));
  if (const int error = fileSystem.setMode(prepared.result, status.mode))
    return outcome(Kind::failed, because("cannot keep its mode", error));
  if (request.keepDate) {
    if (const int error = fileSystem.setTimes(prepared.result, status.accessTime,
                                              status.modificationTime))
      return outcome(Kind::failed, because("cannot keep its times", error));
  }
  return outcome(Kind::converted, "");
}

FileOutcome convertOpenFile(FileSystem& fileSystem, FileHandle original, FileOutcome prepared,
                            const FileRequest& request, const Kernel& kernel,
                            ConversionBuffers& buffers, const std::atomic<bool>& cancel) {
  using Kind = FileOutcome::Kind;
  FileStreams streams(fileSystem, original, cancel);
  // An ASCII start too long to hold is read again from the file.
  const HeldStart start =
      holdAndGuess(streams, buffers, [](const unsigned char*, std::size_t) { return 0; });
  if (start.stopped && start.stopResult < 0)
    return readFailure(static_cast<int>(-start.stopResult));
  CodeId source;
  FileOutcome judged;
  if (judgeGuess(start, buffers.heldArea(), request, &source, &judged)) return judged;
  prepared.source = source;
  const bool readAgain = start.passed > 0;
  if (readAgain) {
    if (const int error = fileSystem.rewind(original)) return readFailure(error);
  }

  if (!request.dryRun) {
    if (const int error = fileSystem.createTemporary(directoryOf(prepared.realPath),
                                                     &prepared.temporary, &prepared.result))
      return outcome(Kind::failed, because("cannot create a file beside it", error));
    streams.output = prepared.result;
  }
  LossCounter losses(source, request.target);
  HeldInput held(streams, start, buffers);
  WatchedInput watched(readAgain ? static_cast<ByteIo&>(streams) : held, losses);
  const ConversionResult result = convertStream(watched, source, request.target, kernel, buffers);
  losses.finish();
  FileOutcome verdict = outcome(Kind::converted, "");
  FileStatus now;
  if (result.status == ConversionStatus::readFailed) {
    verdict = readFailure(result.error);
  } else if (result.status == ConversionStatus::writeFailed) {
    verdict = outcome(Kind::failed, because("cannot write the result", result.error));
  } else if (!watched.sawUpper) {
    verdict = outcome(Kind::needsNothing, "no byte above 0x7F");
  } else if (source == codUtf && losses.malformed() > 0 && !request.force) {
    verdict = outcome(Kind::left, "not utf: malformed UTF-8 at line " +
                                      std::to_string(losses.firstMalformedLine()));
  } else if (losses.lost() > 0 && !request.lossy) {
    verdict = outcome(Kind::left, plural(losses.lost(), "character") + " " +
                                      codNameOf(request.target) + " lacks, first at line " +
                                      std::to_string(losses.firstLostLine()));
  } else if (const int error = fileSystem.statusOf(original, &now)) {
    verdict = outcome(Kind::failed, because("cannot read it", error));
  } else if (!sameContent(now, prepared.original)) {
    verdict = outcome(Kind::left, "changed while it was converted");
  } else if (!request.dryRun) {
    verdict = keepMetadata(fileSystem, original, prepared, request);
  }
  if (verdict.kind != Kind::converted) {
    discardFile(fileSystem, prepared);
    return verdict;
  }
  return prepared;
}

}  // namespace

FileOutcome prepareFile(FileSystem& fileSystem, const FileTask& task, const FileRequest& request,
                        const Kernel& kernel, ConversionBuffers& buffers,
                        const std::atomic<bool>& cancel) {
  using Kind = FileOutcome::Kind;
  switch (task.kind) {
    case FileTask::Kind::convert:
      break;
    case FileTask::Kind::symbolicLink:
      return outcome(Kind::needsNothing, "symbolic link");
    case FileTask::Kind::directory:
      return outcome(Kind::left, "a directory (-r walks it)");
    case FileTask::Kind::notRegular:
      return outcome(Kind::left, "not a regular file");
    case FileTask::Kind::unreadable:
      return outcome(Kind::failed, because("cannot read it", task.error));
  }
  if (cancel.load()) return outcome(Kind::stopped, "");
  FileOutcome prepared = outcome(Kind::converted, "");
  // A link named by the user stays a link: its target is replaced.
  prepared.realPath = task.path;
  if (task.namedLink) {
    if (const int error = fileSystem.resolve(task.path, &prepared.realPath))
      return outcome(Kind::failed, because("cannot find it", error));
  }
  FileHandle original;
  if (const int error = fileSystem.openForReading(prepared.realPath, &original))
    return outcome(Kind::failed, because("cannot open it", error));
  FileOutcome result;
  if (const int error = fileSystem.statusOf(original, &prepared.original)) {
    result = outcome(Kind::failed, because("cannot read it", error));
  } else {
    if (prepared.original.kind != FileStatus::Kind::regular)
      result = outcome(Kind::left, "not a regular file");
    else if (prepared.original.links > 1)
      result = outcome(Kind::left, plural(prepared.original.links, "hard link"));
    else if (prepared.original.size == 0)
      result = outcome(Kind::needsNothing, "empty");
    else
      result = convertOpenFile(fileSystem, original, prepared, request, kernel, buffers, cancel);
    result.bytes = prepared.original.size;
  }
  fileSystem.close(original);
  return result;
}

void discardFile(FileSystem& fileSystem, FileOutcome& outcome) {
  if (outcome.result >= 0) fileSystem.close(outcome.result);
  outcome.result = -1;
  if (!outcome.temporary.empty()) fileSystem.remove(outcome.temporary);
  outcome.temporary.clear();
}

void commitFile(FileSystem& fileSystem, const FileRequest& request, FileOutcome& outcome) {
  using Kind = FileOutcome::Kind;
  FileStatus now;
  if (const int error = fileSystem.status(outcome.realPath, false, &now)) {
    outcome.kind = Kind::failed;
    outcome.reason = because("cannot read it", error);
  } else if (!sameContent(now, outcome.original)) {
    outcome.kind = Kind::left;
    outcome.reason = "changed while it was converted";
  } else if (request.backup) {
    if (const int error =
            fileSystem.keepAs(outcome.realPath, outcome.realPath + request.backupSuffix)) {
      outcome.kind = Kind::failed;
      outcome.reason = because("cannot keep a backup", error);
    }
  }
  if (outcome.kind == Kind::converted) {
    if (const int error = fileSystem.replace(outcome.temporary, outcome.realPath)) {
      outcome.kind = Kind::failed;
      outcome.reason = because("cannot replace it", error);
      // A backup would be a second link to the untouched original, and the
      // next run would refuse the file for it.
      if (request.backup) fileSystem.remove(outcome.realPath + request.backupSuffix);
    } else {
      outcome.temporary.clear();
    }
  }
  discardFile(fileSystem, outcome);
}

void commitBatch(FileSystem& fileSystem, const FileRequest& request,
                 std::span<FileOutcome> outcomes, const ForEachIndex& forEach) {
  using Kind = FileOutcome::Kind;
  std::vector<FileHandle> results;
  for (const FileOutcome& outcome : outcomes)
    if (outcome.result >= 0) results.push_back(outcome.result);
  if (results.empty()) return;
  const int syncError = fileSystem.syncFiles(results);
  forEach(outcomes.size(), [&](std::size_t index) {
    FileOutcome& outcome = outcomes[index];
    if (outcome.result < 0) return;
    const int closeError = fileSystem.close(outcome.result);
    outcome.result = -1;
    if (syncError == 0 && closeError == 0) {
      commitFile(fileSystem, request, outcome);
      return;
    }
    discardFile(fileSystem, outcome);
    outcome.kind = Kind::failed;
    outcome.reason = because("cannot make the result durable", syncError ? syncError : closeError);
  });
  std::map<std::string, int> directories;
  for (const FileOutcome& outcome : outcomes)
    if (outcome.kind == Kind::converted) directories[directoryOf(outcome.realPath)] = 0;
  for (auto& [directory, error] : directories) error = fileSystem.syncDirectory(directory);
  for (FileOutcome& outcome : outcomes) {
    if (outcome.kind != Kind::converted) continue;
    const int error = directories[directoryOf(outcome.realPath)];
    if (error == 0) continue;
    outcome.kind = Kind::failed;
    outcome.reason = because("converted, but its directory could not be synced", error);
  }
}
