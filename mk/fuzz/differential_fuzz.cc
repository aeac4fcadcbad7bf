// Differential fuzzing of our reader against real Metakit: mutants of the
// reference datafiles go to both our reader (open and read every cell) and
// `metakit-reference check`. Every mutant one accepts and the other rejects
// is kept in OUT_DIR for a regression case (a fix, or a comment saying why
// the two differ), and the verdicts are counted.
//
//   mk_differential_fuzz SEED_DIR OUT_DIR [RUNS] [RANDOM_SEED]
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "mk/dump.h"
#include "mk/storage.h"
#include "mk/testing/memory_file_system.h"
#include "mk/testing/reference_tool.h"
#include "mk/testing/test_support.h"

namespace {

namespace fs = std::filesystem;

bool OursAccepts(const std::string& bytes, std::string* why) {
  mk::MemoryFileSystem memory;
  memory.SetFile("mutant.mk", bytes);
  std::unique_ptr<mk::Storage> storage;
  mk::Status s = mk::Storage::Open("mutant.mk", &storage, &memory);
  if (!s.ok()) {
    *why = s.message();
    return false;
  }
  mk::DumpStorage(*storage);  // reads every cell
  return true;
}

uint32_t BigEndian32(const std::string& b, size_t at) {
  uint32_t v = 0;
  for (size_t i = 0; i < 4; ++i) v = v << 8 | static_cast<uint8_t>(b[at + i]);
  return v;
}

// One to four small changes, most of them where the structure lies: the
// tails, the root walk (description and references) and the header.
std::string Mutate(std::string b, std::mt19937& rng) {
  static const uint8_t kValues[] = {0x00, 0x01, 0x7F, 0x80, 0x81, 0xFF, ',', '[', ']', ':'};
  int changes = 1 + static_cast<int>(rng() % 4);
  for (int i = 0; i < changes && !b.empty(); ++i) {
    size_t n = b.size(), at;
    switch (rng() % 4) {
      case 0:
        at = rng() % n;
        break;
      case 1:
        at = n - 1 - rng() % std::min<size_t>(n, 32);
        break;
      case 2: {
        // Inside the root walk the commit tail points at.
        uint32_t len = n >= 8 ? BigEndian32(b, n - 8) & 0xFFFFFF : 0;
        uint32_t pos = n >= 8 ? BigEndian32(b, n - 4) : 0;
        at = len > 0 && pos + len <= n ? pos + rng() % len : rng() % n;
        break;
      }
      default:
        at = rng() % std::min<size_t>(n, 16);
        break;
    }
    switch (rng() % 5) {
      case 0:
        b[at] = static_cast<char>(b[at] ^ (1 << (rng() % 8)));
        break;
      case 1:
      case 2:
        b[at] = static_cast<char>(kValues[rng() % sizeof kValues]);
        break;
      case 3:
        b[at] = static_cast<char>(rng());
        break;
      default:
        if (rng() % 2) {
          b.resize(at);
        } else {
          b.insert(at, 1 + rng() % 8, static_cast<char>(kValues[rng() % sizeof kValues]));
        }
        break;
    }
  }
  return b;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s SEED_DIR OUT_DIR [RUNS] [RANDOM_SEED]\n", argv[0]);
    return 2;
  }
  if (mk::ReferenceToolPath().empty()) {
    std::fprintf(stderr, "metakit-reference not found (set METAKIT_REFERENCE)\n");
    return 2;
  }
  // Metakit loops on many mutants; the tool's own limit then decides.
  setenv("MKORACLE_TIMEOUT", "3", 0);
  std::vector<std::string> seeds;
  for (const auto& entry : fs::directory_iterator(argv[1])) {
    std::string ext = entry.path().extension().string();
    if ((ext == ".mk" || ext == ".tal") && fs::file_size(entry.path()) > 0 &&
        fs::file_size(entry.path()) < 64 * 1024) {
      seeds.push_back(mk::ReadBytes(entry.path().string()));
    }
  }
  fs::path out = argv[2];
  fs::create_directories(out);
  long runs = argc > 3 ? std::stol(argv[3]) : 1000;
  std::mt19937 rng(argc > 4 ? std::stoul(argv[4]) : 1);
  std::string scratch = (out / "current.mk").string();

  long both_accept = 0, both_reject = 0, only_ours = 0, only_reference = 0;
  std::map<std::string, int> reasons;  // why the other side rejected
  for (long run = 0; run < runs; ++run) {
    if (run > 0 && run % 250 == 0) {
      std::printf("%ld mutants so far: only ours accepts %ld, only Metakit accepts %ld\n", run,
                  only_ours, only_reference);
      std::fflush(stdout);
    }
    std::string mutant = Mutate(seeds[rng() % seeds.size()], rng);
    std::string ours_why;
    bool ours = OursAccepts(mutant, &ours_why);
    mk::WriteBytes(scratch, mutant);
    mk::ReferenceVerdict verdict;
    mk::ReferenceCheck(scratch, &verdict);
    if (ours == verdict.accepted) {
      ++(ours ? both_accept : both_reject);
      continue;
    }
    std::string kind = ours ? "ours-only" : "reference-only";
    ++(ours ? only_ours : only_reference);
    mk::WriteBytes((out / (kind + "-" + std::to_string(run) + ".mk")).string(), mutant);
    std::string why = ours ? verdict.output : ours_why.substr(ours_why.find(':') + 1);
    // Group by the reason without positions and file names.
    why = why.substr(0, why.find(" (at byte"));
    if (size_t at = why.find(scratch); at != std::string::npos) why.erase(at, scratch.size());
    reasons[kind + ": " + why.substr(0, 160)]++;
  }
  fs::remove(scratch);
  std::printf(
      "%ld mutants: both accept %ld, both reject %ld, only ours accepts %ld, only "
      "Metakit accepts %ld\n",
      runs, both_accept, both_reject, only_ours, only_reference);
  for (const auto& [why, count] : reasons) std::printf("%6d  %s\n", count, why.c_str());
  return 0;
}
