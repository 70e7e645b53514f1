#include <getopt.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <thread>
#include <vector>

#include "codepages.h"
#include "file_conversion.h"
#include "file_walk.h"
#include "job_pool.h"
#include "kernels.h"

namespace {

const char usage[] =
    "Usage: bytemorph-files [OPTION]... FROM TO PATH...\n"
    "Converts each file in place from code page FROM (auto: guessed for each\n"
    "file) to TO, leaving alone what needs nothing or would be lost.\n"
    "CodNames: koi win dos mac iso utf \n"
    "  -r, --recursive       convert the files under each directory\n"
    "      --include=GLOB    only files whose name matches GLOB\n"
    "      --exclude=GLOB    not files whose name matches GLOB\n"
    "  -n, --dry-run         tell what would be done; change nothing\n"
    "  -v, --verbose         one line for each file on standard output\n"
    "  -k, --keep-date       keep each file's times\n"
    "  -b, --backup[=SUFFIX] keep each original as its name + SUFFIX (~)\n"
    "      --lossy           convert even where characters would be lost\n"
    "  -f, --force           convert even files that do not look like FROM\n"
    "  -j, --jobs=N          convert N files at once (the processors)\n"
    "  -h, --help            print this and exit\n";

// Set by SIGINT and SIGTERM: no new file starts.
volatile std::sig_atomic_t stopSignal = 0;
std::atomic<bool> cancel{false};

extern "C" void noteStop(int signal) {
  stopSignal = signal;
  cancel.store(true);
}

struct Options {
  FileRequest request;
  WalkRules rules;
  bool verbose = false;
  unsigned jobs = 0;
  std::vector<std::string> paths;
};

[[noreturn]] void usageError(const char* problem, const char* detail = "") {
  std::fprintf(stderr, "bytemorph-files ERROR: %s%s\n%s", problem, detail, usage);
  std::exit(2);
}

CodeId pageNamed(const char* name) {
  if (const CodeId codId = codIdNamed(name); codId != codAfterLast) return codId;
  usageError("Unknown cyrillic codName: ", name);
}

Options parseOptions(int argc, char** argv) {
  enum { include = 256, exclude, lossy };
  static const option longOptions[] = {
      {"recursive", no_argument, nullptr, 'r'}, {"include", required_argument, nullptr, include},
      {"exclude", required_argument, nullptr, exclude}, {"dry-run", no_argument, nullptr, 'n'},
      {"verbose", no_argument, nullptr, 'v'},   {"keep-date", no_argument, nullptr, 'k'},
      {"backup", optional_argument, nullptr, 'b'}, {"lossy", no_argument, nullptr, lossy},
      {"force", no_argument, nullptr, 'f'},     {"jobs", required_argument, nullptr, 'j'},
      {"help", no_argument, nullptr, 'h'},      {nullptr, 0, nullptr, 0}};
  Options options;
  opterr = 0;
  int option;
  while ((option = getopt_long(argc, argv, "+rnvkb::fj:h", longOptions, nullptr)) != -1) {
    switch (option) {
      case 'r': options.rules.recursive = true; break;
      case include: options.rules.include.push_back(optarg); break;
      case exclude: options.rules.exclude.push_back(optarg); break;
      case 'n': options.request.dryRun = true; break;
      case 'v': options.verbose = true; break;
      case 'k': options.request.keepDate = true; break;
      case 'b':
        options.request.backup = true;
        if (optarg) options.request.backupSuffix = optarg;
        if (options.request.backupSuffix.empty() ||
            options.request.backupSuffix.find('/') != std::string::npos)
          usageError("Bad backup suffix (empty, or with a /): ", optarg ? optarg : "");
        break;
      case lossy: options.request.lossy = true; break;
      case 'f': options.request.force = true; break;
      case 'j': {
        char* end;
        const long jobs = std::strtol(optarg, &end, 10);
        if (*end != '\0' || jobs < 1 || jobs > 256) usageError("Bad number of jobs: ", optarg);
        options.jobs = static_cast<unsigned>(jobs);
        break;
      }
      case 'h': std::fputs(usage, stdout); std::exit(0);
      default:
        usageError("Unknown option: ", argv[optind - 1]);
    }
  }
  if (argc - optind < 3) usageError("Missing arguments");
  options.request.guessSource = std::strcmp(argv[optind], "auto") == 0;
  if (!options.request.guessSource) options.request.source = pageNamed(argv[optind]);
  options.request.target = pageNamed(argv[optind + 1]);
  options.paths.assign(argv + optind + 2, argv + argc);
  if (options.jobs == 0) options.jobs = std::max(1u, std::thread::hardware_concurrency());
  return options;
}

const Kernel& chosenKernel() {
  const char* forced = std::getenv("BYTEMORPH_KERNEL");
  const Kernel* kernel = nullptr;
  if (chooseKernel(forced, &kernel) == KernelChoice::chosen) return *kernel;
  std::fprintf(stderr, "bytemorph-files ERROR: Unknown or unsupported kernel in BYTEMORPH_KERNEL: %s\n",
               forced);
  std::exit(1);
}

struct Tally {
  std::uint64_t converted = 0, needsNothing = 0, left = 0, failed = 0;
  std::atomic<std::uint64_t> filesDone{0}, bytesDone{0};
};

// Tells of one file: on standard output with verbose, else failures only,
// on standard error.
void report(const std::string& path, const FileOutcome& outcome, const Options& options) {
  using Kind = FileOutcome::Kind;
  if (outcome.kind == Kind::failed) {
    std::fflush(stdout);
    std::fprintf(stderr, "bytemorph-files ERROR: %s: %s\n", path.c_str(), outcome.reason.c_str());
    return;
  }
  if (outcome.kind == Kind::left && !options.verbose) {
    std::fprintf(stderr, "bytemorph-files ERROR: %s: left: %s\n", path.c_str(),
                 outcome.reason.c_str());
    return;
  }
  if (!options.verbose) return;
  if (outcome.kind == Kind::converted)
    std::printf("%s: %s -> %s\n", path.c_str(), codNameOf(outcome.source),
                codNameOf(options.request.target));
  else
    std::printf("%s: %s: %s\n", path.c_str(), outcome.kind == Kind::left ? "left" : "unchanged",
                outcome.reason.c_str());
}

// The line that shows a long run's progress on a terminal, and its end.
class Progress {
 public:
  Progress(std::size_t files) : files(files), shown(isatty(STDERR_FILENO)) {}
  void show(const Tally& tally) {
    const double seconds = elapsed();
    // Five times a second is enough to read, and costs nothing.
    if (!shown || seconds < 1 || seconds < lastDrawn + 0.2) return;
    lastDrawn = seconds;
    const double megabytes = static_cast<double>(tally.bytesDone.load()) / 1e6;
    std::fprintf(stderr, "\r\033[K%llu/%zu files, %.1f MB, %.1f MB/s",
                 static_cast<unsigned long long>(tally.filesDone.load()), files, megabytes,
                 megabytes / seconds);
    std::fflush(stderr);
    drawn = true;
  }
  void clear() {
    if (drawn) std::fputs("\r\033[K", stderr);
    drawn = false;
  }

 private:
  double elapsed() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  }
  std::size_t files;
  bool shown, drawn = false;
  double lastDrawn = 0;
  std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
};

// Converts the tasks in batches: the jobs prepare a batch side by side,
// one sync makes its results durable, the jobs put them in place, and the
// batch is reported in order.
class Run {
 public:
  Run(const Options& options, const std::vector<FileTask>& tasks, const Kernel& kernel)
      : options(options), tasks(tasks), kernel(kernel), outcomes(tasks.size()),
        buffers(options.jobs), pool(options.jobs), progress(tasks.size()),
        batchFiles(largestBatch(options.jobs)) {}

  void convertAll() {
    for (std::size_t begin = 0; begin < tasks.size() && !cancel.load();) {
      const std::size_t end = batchEnd(begin);
      prepare(begin, end);
      commitAndReport(begin, end);
      progress.show(tally);
      begin = end;
    }
    progress.clear();
  }

  Tally tally;

 private:
  // Up to 256 files and 64 MiB: a sync for every few hundred small files.
  // Each result stays open until the sync, beside a file each job reads and
  // the few the process had: no more than it may open.
  static std::size_t largestBatch(unsigned jobs) {
    const std::size_t limit = openFileLimit();
    const std::size_t reserved = jobs + 16;
    return std::clamp<std::size_t>(limit > reserved ? limit - reserved : 1, 1, 256);
  }

  std::size_t batchEnd(std::size_t begin) const {
    std::uint64_t bytes = 0;
    std::size_t end = begin;
    while (end < tasks.size() && end - begin < batchFiles && bytes < (64u << 20))
      bytes += tasks[end++].status.size;
    return end;
  }

  void prepare(std::size_t begin, std::size_t end) {
    pool.forEach(
        end - begin,
        [&](std::size_t offset, unsigned job) {
          const std::size_t index = begin + offset;
          outcomes[index] = prepareFile(platformFileSystem(), tasks[index], options.request,
                                        kernel, buffers[job], cancel);
          tally.filesDone += 1;
          tally.bytesDone += outcomes[index].bytes;
        },
        [&] { progress.show(tally); });
  }

  void commitAndReport(std::size_t begin, std::size_t end) {
    FileSystem& fileSystem = platformFileSystem();
    const std::span<FileOutcome> batch(outcomes.data() + begin, end - begin);
    if (cancel.load()) {
      for (FileOutcome& outcome : batch) {
        if (outcome.result < 0) continue;
        discardFile(fileSystem, outcome);
        outcome.kind = FileOutcome::Kind::stopped;
      }
    } else {
      commitBatch(fileSystem, options.request, batch,
                  [&](std::size_t count, const std::function<void(std::size_t)>& work) {
                    pool.forEach(count, [&](std::size_t index, unsigned) { work(index); });
                  });
    }
    progress.clear();
    for (std::size_t i = begin; i < end; ++i) {
      count(outcomes[i]);
      // Files a stop cut short are as they were: nothing to tell.
      if (outcomes[i].kind != FileOutcome::Kind::stopped) report(tasks[i].path, outcomes[i], options);
      outcomes[i] = FileOutcome{};
    }
    std::fflush(stdout);
  }

  void count(const FileOutcome& outcome) {
    using Kind = FileOutcome::Kind;
    switch (outcome.kind) {
      case Kind::converted: ++tally.converted; break;
      case Kind::needsNothing: ++tally.needsNothing; break;
      case Kind::left: ++tally.left; break;
      case Kind::failed: ++tally.failed; break;
      case Kind::stopped: break;
    }
  }

  const Options& options;
  const std::vector<FileTask>& tasks;
  const Kernel& kernel;
  std::vector<FileOutcome> outcomes;
  std::vector<ConversionBuffers> buffers;
  JobPool pool;
  Progress progress;
  const std::size_t batchFiles;
};

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments = commandLineArguments(argc, argv);
  std::vector<char*> pointers;
  for (std::string& argument : arguments) pointers.push_back(argument.data());
  pointers.push_back(nullptr);
  const Options options = parseOptions(static_cast<int>(arguments.size()), pointers.data());
  const Kernel& kernel = chosenKernel();
  std::signal(SIGINT, noteStop);
  std::signal(SIGTERM, noteStop);

  const std::vector<FileTask> tasks =
      collectFiles(platformFileSystem(), options.paths, options.rules);
  Run run(options, tasks, kernel);
  run.convertAll();
  const Tally& tally = run.tally;
  std::fflush(stdout);
  std::fprintf(stderr, "%llu %s, %llu needed nothing, %llu left, %llu failed%s\n",
               static_cast<unsigned long long>(tally.converted),
               options.request.dryRun ? "to convert" : "converted",
               static_cast<unsigned long long>(tally.needsNothing),
               static_cast<unsigned long long>(tally.left),
               static_cast<unsigned long long>(tally.failed),
               stopSignal ? " (interrupted)" : "");
  if (stopSignal) return 128 + stopSignal;
  if (std::ferror(stdout)) {
    std::fprintf(stderr, "bytemorph-files ERROR: Cannot write standard output: %s\n",
                 errorText(errno));
    return 1;
  }
  return tally.left + tally.failed > 0 ? 1 : 0;
}
