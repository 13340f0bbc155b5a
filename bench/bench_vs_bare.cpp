// The reader side by side with a bare web view (bare_view): start-up to
// page 2, page switches through the page list, and the memory of the whole
// process tree, web engine helpers included, and the time from process start
// to the window's first paint. The two programs take turns within one run,
// so the machine's noise falls on both alike. The last five lines of output
// are the figures, one a line:
//   startup_ms reader=R bare=B ratio=X   (likewise switch_median_ms,
//   switch_p95_ms, pss_mib, first_window_ms)
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

long long Now() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

// One program under test, talking the bench protocol over two pipes.
class Child {
 public:
  Child(const std::string& name, std::vector<std::string> argv, std::map<std::string, std::string> env)
      : name_(name) {
    int in[2], out[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    pid_ = ::fork();
    if (pid_ < 0) throw std::runtime_error("fork");
    if (pid_ == 0) {
      ::setpgid(0, 0);
      ::dup2(in[0], STDIN_FILENO);
      ::dup2(out[1], STDOUT_FILENO);
      for (const auto& [key, value] : env) ::setenv(key.c_str(), value.c_str(), 1);
      std::vector<char*> args;
      for (std::string& a : argv) args.push_back(a.data());
      args.push_back(nullptr);
      ::execv(args[0], args.data());
      std::perror(args[0]);
      ::_exit(127);
    }
    ::setpgid(pid_, pid_);
    pgid_ = pid_;
    ::close(in[0]);
    ::close(out[1]);
    to_ = in[1];
    from_ = out[0];
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child() { Stop(); }

  void Send(const std::string& line) {
    const std::string text = line + "\n";
    if (::write(to_, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
      throw std::runtime_error(name_ + ": cannot write a command");
  }

  // The steady-clock time of the next successful page load.
  long long WaitLoaded(int timeoutMs = 60000) {
    const long long deadline = Now() + static_cast<long long>(timeoutMs) * 1000000;
    for (;;) {
      std::size_t end;
      while ((end = buffer_.find('\n')) != std::string::npos) {
        const std::string line = buffer_.substr(0, end);
        buffer_.erase(0, end + 1);
        long long at = 0;
        int ok = 0;
        if (std::sscanf(line.c_str(), "painted %lld", &at) == 1) painted_ = at;
        if (std::sscanf(line.c_str(), "loaded %lld %d", &at, &ok) == 2) {
          if (!ok) throw std::runtime_error(name_ + ": a page failed to load");
          return at;
        }
      }
      const long long left = (deadline - Now()) / 1000000;
      if (left <= 0) throw std::runtime_error(name_ + ": no page loaded in time");
      pollfd p{from_, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(left)) <= 0) continue;
      char chunk[4096];
      const ssize_t n = ::read(from_, chunk, sizeof chunk);
      if (n <= 0) throw std::runtime_error(name_ + ": ended before a page loaded");
      buffer_.append(chunk, static_cast<std::size_t>(n));
    }
  }

  // The steady-clock time of the window's first paint. The first page's
  // load comes after it in the reader but may come before it in the bare
  // view, so it is called once the first page has loaded.
  long long WaitPainted(int timeoutMs = 60000) {
    const long long deadline = Now() + static_cast<long long>(timeoutMs) * 1000000;
    while (painted_ < 0) {
      std::size_t end;
      while (painted_ < 0 && (end = buffer_.find('\n')) != std::string::npos) {
        const std::string line = buffer_.substr(0, end);
        buffer_.erase(0, end + 1);
        long long at = 0;
        if (std::sscanf(line.c_str(), "painted %lld", &at) == 1) painted_ = at;
      }
      if (painted_ >= 0) break;
      const long long left = (deadline - Now()) / 1000000;
      if (left <= 0) throw std::runtime_error(name_ + ": the window was not painted in time");
      pollfd p{from_, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(left)) <= 0) continue;
      char chunk[4096];
      const ssize_t n = ::read(from_, chunk, sizeof chunk);
      if (n <= 0) throw std::runtime_error(name_ + ": ended before its window was painted");
      buffer_.append(chunk, static_cast<std::size_t>(n));
    }
    return painted_;
  }

  pid_t Pid() const { return pid_; }

  void Stop() {
    if (pid_ <= 0) return;
    if (to_ >= 0) {
      (void)!::write(to_, "quit\n", 5);
      ::close(to_);
      to_ = -1;
    }
    for (int i = 0; i < 100; ++i) {
      if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
        pid_ = -1;
        break;
      }
      ::usleep(50000);
    }
    if (pid_ > 0) {
      ::kill(-pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
      pid_ = -1;
    }
    // Web engine helpers that outlived their parent go with its group.
    if (pgid_ > 0) ::kill(-pgid_, SIGKILL);
    pgid_ = -1;
    if (from_ >= 0) ::close(from_);
    from_ = -1;
  }

 private:
  std::string name_;
  pid_t pid_ = -1;
  pid_t pgid_ = -1;
  int to_ = -1;
  int from_ = -1;
  std::string buffer_;
  long long painted_ = -1;
};

std::vector<pid_t> ProcessTree(pid_t root) {
  std::multimap<pid_t, pid_t> children;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    const std::string name = entry.path().filename();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream stat(entry.path() / "stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    const auto close = text.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(text.substr(close + 2));
    char state;
    pid_t parent;
    if (rest >> state >> parent) children.emplace(parent, std::stoi(name));
  }
  std::vector<pid_t> tree{root};
  for (std::size_t i = 0; i < tree.size(); ++i) {
    auto [from, to] = children.equal_range(tree[i]);
    for (auto it = from; it != to; ++it) tree.push_back(it->second);
  }
  return tree;
}

double PssMib(pid_t root) {
  long long kib = 0;
  for (pid_t pid : ProcessTree(root)) {
    std::ifstream rollup("/proc/" + std::to_string(pid) + "/smaps_rollup");
    for (std::string line; std::getline(rollup, line);)
      if (line.rfind("Pss:", 0) == 0) kib += std::atoll(line.c_str() + 4);
  }
  return static_cast<double>(kib) / 1024.0;
}

double Quantile(std::vector<double> v, double q) {
  std::sort(v.begin(), v.end());
  // Nearest rank: the smallest value with at least q of the values at or below it.
  const auto rank = static_cast<std::size_t>(std::ceil(q * static_cast<double>(v.size())));
  return v[std::clamp<std::size_t>(rank, 1, v.size()) - 1];
}

struct Program {
  std::string name;
  std::vector<std::string> argv;
  std::map<std::string, std::string> env;
};

void Line(const char* figure, double reader, double bare) {
  std::printf("%s reader=%.1f bare=%.1f ratio=%.2f\n", figure, reader, bare, reader / bare);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5 && argc != 7) {
    std::fprintf(stderr, "usage: bench_vs_bare READER BARE_VIEW PAGE_FOLDER PAGE_COUNT [STARTS SWITCHES]\n");
    return 2;
  }
  const int pageCount = std::atoi(argv[4]);
  // Single starts on a two-core machine scatter by a sixth either way, and
  // the median of ten still moved the ratio by 0.06 from run to run: thirty
  // rounds settle it within about half that. The 95th percentile of the
  // switches rests on the few slowest, so it gets eighty of them.
  const int starts = argc == 7 ? std::atoi(argv[5]) : 30;
  const int switches = argc == 7 ? std::atoi(argv[6]) : 80;
  const Program reader{"reader", {argv[1]}, {{"READER_BENCH", "1"}}};
  const Program bare{"bare", {argv[2], argv[3]}, {}};
  const Program* both[2] = {&reader, &bare};
  try {
    std::vector<double> startup[2];
    std::vector<double> firstWindow[2];
    for (int round = 0; round < starts; ++round) {
      for (int turn = 0; turn < 2; ++turn) {
        const int k = (round + turn) % 2;  // who goes first changes every round
        const long long start = Now();
        Child child(both[k]->name, both[k]->argv, both[k]->env);
        startup[k].push_back(static_cast<double>(child.WaitLoaded() - start) / 1e6);
        firstWindow[k].push_back(static_cast<double>(child.WaitPainted() - start) / 1e6);
      }
    }

    std::vector<double> switchMs[2];
    Child reading("reader", reader.argv, reader.env);
    reading.WaitLoaded();
    Child plain("bare", bare.argv, bare.env);
    plain.WaitLoaded();
    Child* children[2] = {&reading, &plain};
    int page = 2;
    for (int i = 0; i < switches; ++i) {
      // A stride coprime with the page count walks the whole book.
      page = 1 + (page - 1 + 53) % pageCount;
      for (int turn = 0; turn < 2; ++turn) {
        const int k = (i + turn) % 2;
        const long long start = Now();
        children[k]->Send("list " + std::to_string(page));
        switchMs[k].push_back(static_cast<double>(children[k]->WaitLoaded() - start) / 1e6);
      }
    }
    const double pss[2] = {PssMib(reading.Pid()), PssMib(plain.Pid())};

    for (int k = 0; k < 2; ++k) {
      std::printf("# %s start-up ms:", both[k]->name.c_str());
      for (double v : startup[k]) std::printf(" %.0f", v);
      std::printf("\n# %s first window ms:", both[k]->name.c_str());
      for (double v : firstWindow[k]) std::printf(" %.0f", v);
      std::printf("\n# %s switch ms:", both[k]->name.c_str());
      for (double v : switchMs[k]) std::printf(" %.1f", v);
      std::printf("\n");
    }
    Line("startup_ms", Quantile(startup[0], 0.5), Quantile(startup[1], 0.5));
    Line("switch_median_ms", Quantile(switchMs[0], 0.5), Quantile(switchMs[1], 0.5));
    Line("switch_p95_ms", Quantile(switchMs[0], 0.95), Quantile(switchMs[1], 0.95));
    Line("pss_mib", pss[0], pss[1]);
    Line("first_window_ms", Quantile(firstWindow[0], 0.5), Quantile(firstWindow[1], 0.5));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_vs_bare: %s\n", e.what());
    return 1;
  }
  return 0;
}
