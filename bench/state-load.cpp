// Measures loading and saving host documents: the default profile and a
// synthetic large host. Prints medians over many runs and the peak memory of
// loading the large one.
//
//   state-load-bench [--size-mb N] [--runs N] [--host FILE]...
//
// --host FILE measures that host file too (for example one written by
// orlocli-host generate).
#include "sim/Document.h"
#include "sim/Stores.h"

#include <olkctl/sim/HostControl.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Takes every token and builds nothing: the floor of any reader on nlohmann's lexer.
struct NullSax : nlohmann::json_sax<nlohmann::json> {
  bool null() override { return true; }
  bool boolean(bool) override { return true; }
  bool number_integer(number_integer_t) override { return true; }
  bool number_unsigned(number_unsigned_t) override { return true; }
  bool number_float(number_float_t, const string_t &) override { return true; }
  bool string(string_t &) override { return true; }
  bool binary(binary_t &) override { return true; }
  bool start_object(std::size_t) override { return true; }
  bool key(string_t &) override { return true; }
  bool end_object() override { return true; }
  bool start_array(std::size_t) override { return true; }
  bool end_array() override { return true; }
  bool parse_error(std::size_t, const std::string &, const nlohmann::detail::exception &) override {
    return false;
  }
};

double MedianMs(int runs, const std::function<void()> &fn) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    auto start = Clock::now();
    fn();
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// The default host grown to about `megabytes` by adding advanced-option groups
// and faults: the two record kinds of the core itself.
std::string SyntheticHost(double megabytes) {
  OlkCtl::Sim::Json doc = OlkCtl::Sim::Json::parse(OlkCtl::Sim::ProfileJson("default"));
  auto &groups = doc["system"]["advancedOptions"];
  auto &faults = doc["faults"];
  if (!faults.is_array())
    faults = OlkCtl::Sim::Json::array();
  const size_t target = static_cast<size_t>(megabytes * 1024 * 1024);
  size_t size = doc.dump(2).size();
  for (int g = 0; size < target; ++g) {
    OlkCtl::Sim::Json options = OlkCtl::Sim::Json::object();
    for (int o = 0; o < 200; ++o)
      options["Option" + std::to_string(o)] = {
          {"value", o},
          {"default", o},
          {"min", 0},
          {"max", 1 << 20},
          {"description",
           "Synthetic option " + std::to_string(o) + " of a large host used to measure loading"}};
    // Indented three levels deeper in the document than on its own.
    size += options.dump(2).size() + 200 * 6 * 6;
    groups["Synthetic" + std::to_string(g)] = std::move(options);
    for (int f = 0; f < 200; ++f) {
      OlkCtl::Sim::Json fault = {{"operation", "Lun::SetDisplayName"},
                                 {"target", "naa.6000" + std::to_string(g * 1000 + f)},
                                 {"message", "Synthetic failure"},
                                 {"times", 1}};
      size += fault.dump(2).size() + 6 * 4;
      faults.push_back(std::move(fault));
    }
  }
  return doc.dump(2) + "\n";
}

// The process's peak resident memory so far (VmHWM, which unlike ru_maxrss
// starts afresh at exec).
long PeakRssKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.compare(0, 6, "VmHWM:") == 0)
      return std::atol(line.c_str() + 6);
  return -1;
}

void Measure(const std::string &label, const std::string &text, int runs, const std::string &dir) {
  std::printf("%s: %.2f MB\n", label.c_str(), static_cast<double>(text.size()) / (1024 * 1024));
  std::shared_ptr<OlkCtl::Sim::State> state;
  OlkCtl::Sim::Tape tape;
  double tokens = MedianMs(runs, [&] { tape = OlkCtl::Sim::ParseTape(text); });
  double records = MedianMs(runs, [&] {
    OlkCtl::Sim::State s;
    OlkCtl::Sim::StateFromTape(tape, s);
  });
  double parse = MedianMs(runs, [&] { state = OlkCtl::Sim::LoadState(text, label); });
  // What a command pays before it touches a family: the syntax of the whole
  // text and its top level.
  double open = MedianMs(runs, [&] { OlkCtl::Sim::OpenState(text, label); });
  nlohmann::json plainTree;
  double plain = MedianMs(runs, [&] { plainTree = nlohmann::json::parse(text); });
  double lexer = MedianMs(runs, [&] {
    NullSax sax;
    nlohmann::json::sax_parse(text, &sax);
  });
  std::printf("  reference: nlohmann::json::parse %.2f ms, reading the tokens only %.2f ms\n", plain, lexer);
  std::printf("  parse to tape           median %8.2f ms\n", tokens);
  std::printf("  tape to records         median %8.2f ms\n", records);
  double save = MedianMs(runs, [&] { OlkCtl::Sim::SaveState(*state); });
  std::printf("  load (parse + validate) median %8.2f ms\n", parse);
  std::printf("  open (families unread)  median %8.2f ms\n", open);
  std::printf("  save (to text)          median %8.2f ms\n", save);

  // The whole file path: open a file host and change it (lock, re-read, write,
  // fsync, rename).
  const std::string path = dir + "/" + label + ".json";
  std::ofstream(path) << text;
  double openFile = MedianMs(runs, [&] { OlkCtl::Sim::FileStore(path).Read(); });
  OlkCtl::Sim::FileStore store(path);
  store.Read();
  double modify =
      MedianMs(runs, [&] { store.Modify([](OlkCtl::Sim::State &s) { s.system().hostName += "x"; }); });
  double cached = MedianMs(runs * 10, [&] { store.Read(); });
  std::printf("  open file host          median %8.2f ms\n", openFile);
  std::printf("  change file host        median %8.2f ms\n", modify);
  std::printf("  read unchanged (cached) median %8.3f ms\n", cached);
}

} // namespace

int main(int argc, char **argv) {
  if (argc == 3 && std::string(argv[1]) == "--peak") {
    std::ifstream in(argv[2], std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    long before = PeakRssKb();
    auto state = OlkCtl::Sim::LoadState(text, argv[2]);
    long after = PeakRssKb();
    std::printf("  peak memory of a load:  %.1f MB above the %.1f MB before it (file %.1f MB)\n",
                (after - before) / 1024.0, before / 1024.0, static_cast<double>(text.size()) / (1024 * 1024));
    return 0;
  }
  if (argc == 3 && std::string(argv[1]) == "--parse-only") {
    // For profiling the reader alone.
    std::ifstream in(argv[2], std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (int i = 0; i < 10; ++i)
      OlkCtl::Sim::LoadState(text, argv[2]);
    return 0;
  }
  double megabytes = 10;
  int runs = 21;
  std::vector<std::string> hosts;
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string arg = argv[i];
    if (arg == "--size-mb")
      megabytes = std::atof(argv[i + 1]);
    else if (arg == "--runs")
      runs = std::atoi(argv[i + 1]);
    else if (arg == "--host")
      hosts.emplace_back(argv[i + 1]);
  }
  char dirTemplate[] = "/tmp/state-load-XXXXXX";
  std::string dir = mkdtemp(dirTemplate);

  for (const std::string &host : hosts) {
    std::ifstream in(host, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Measure(host.substr(host.rfind('/') + 1), text, std::max(3, runs / 3), dir);
  }

  Measure("default", OlkCtl::Sim::ProfileJson("default"), runs * 5, dir);
  std::string large = SyntheticHost(megabytes);
  Measure("synthetic", large, std::max(3, runs / 3), dir);

  // Peak memory of one load of the large host, in a fresh process so that
  // nothing else counts.
  const std::string file = dir + "/peak.json";
  std::ofstream(file) << large;
  std::fflush(stdout);
  pid_t child = fork();
  if (child == 0) {
    execl("/proc/self/exe", argv[0], "--peak", file.c_str(), static_cast<char *>(nullptr));
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
  std::string cleanup = "rm -rf " + dir;
  return std::system(cleanup.c_str()) == 0 ? 0 : 1;
}
