// Runs the container fuzz entry over a seed folder and over deterministic mutations of each seed
// (bit flips, interesting bytes in size fields, cuts, spliced boxes) for a few seconds. No
// instrumentation: crashes, sanitizer reports and peak memory past 512 MB are what it finds.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "ContainerFuzz.h"
#include "XMHQTFileInvestigator.h"
#include "platform/media/Movie.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes mutate(const Bytes& seed, const std::vector<Bytes>& all, std::mt19937& rng) {
  Bytes b = seed;
  auto pick = [&](size_t n) { return n ? std::uniform_int_distribution<size_t>(0, n - 1)(rng) : 0; };
  int edits = 1 + static_cast<int>(pick(4));
  for (int e = 0; e < edits && !b.empty(); ++e) {
    switch (pick(6)) {
      case 0:  // flip a bit
        b[pick(b.size())] ^= static_cast<uint8_t>(1u << pick(8));
        break;
      case 1: {  // an interesting 32-bit value, often over a box size or count
        static const uint32_t kValues[] = {0, 1, 7, 8, 9, 16, 0x7fffffff, 0x80000000, 0xffffffff, 0xfffffff0};
        size_t at = pick(b.size());
        uint32_t v = kValues[pick(std::size(kValues))];
        for (size_t i = 0; i < 4 && at + i < b.size(); ++i) b[at + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
        break;
      }
      case 2:  // cut
        b.resize(pick(b.size() + 1));
        break;
      case 3: {  // random byte run
        size_t at = pick(b.size());
        for (size_t i = 0, n = 1 + pick(16); i < n && at + i < b.size(); ++i) b[at + i] = static_cast<uint8_t>(rng());
        break;
      }
      case 4: {  // splice a piece of another seed
        const Bytes& other = all[pick(all.size())];
        if (other.empty()) break;
        size_t from = pick(other.size()), len = 1 + pick(std::min<size_t>(64, other.size() - from));
        size_t at = pick(b.size());
        b.insert(b.begin() + static_cast<long>(at), other.begin() + static_cast<long>(from),
                 other.begin() + static_cast<long>(from + len));
        break;
      }
      default: {  // remove a run
        size_t at = pick(b.size()), len = 1 + pick(32);
        b.erase(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(std::min(b.size(), at + len)));
        break;
      }
    }
  }
  return b;
}

// The libFuzzer target runs with -rss_limit_mb=512; the same limit here, on the peak resident
// size so far. The input that first pushes past it is kept for a regression test. (Off under
// AddressSanitizer, whose shadow memory and quarantine count too.)
constexpr long kRssLimitMB = 512;

bool overMemoryLimit(const char* what, long index, const Bytes& input) {
#if defined(__SANITIZE_ADDRESS__)
  (void)what, (void)index, (void)input;
  return false;
#else
  struct rusage usage {};
  if (getrusage(RUSAGE_SELF, &usage) != 0 || usage.ru_maxrss / 1024 <= kRssLimitMB) return false;
  const char* kept = "rss-limit-input.bin";
  std::ofstream(kept, std::ios::binary).write(reinterpret_cast<const char*>(input.data()), std::streamsize(input.size()));
  std::fprintf(stderr, "%s %ld took the peak memory to %ld MB, over the %ld MB limit (kept as %s)\n", what, index,
               long(usage.ru_maxrss / 1024), kRssLimitMB, kept);
  return true;
#endif
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s SEED_FOLDER [MUTATIONS] [SECONDS]\n", argv[0]);
    return 2;
  }
  long mutations = argc > 2 ? std::atol(argv[2]) : 5000;
  double seconds = argc > 3 ? std::atof(argv[3]) : 5;
  fuzz::initialise();
  fuzz::investigateHook = [](const platform::media::Movie& movie) {
    (void)XMHQTFileInvestigator::metaDataOfMovie(movie);
    (void)XMHQTFileInvestigator::id3TagsOfMovie(movie);
    (void)XMHQTFileInvestigator::chaptersInMovie(movie);
  };
  std::vector<Bytes> seeds;
  for (const auto& entry : std::filesystem::directory_iterator(argv[1])) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  if (seeds.empty()) {
    std::fprintf(stderr, "no seeds in %s\n", argv[1]);
    return 2;
  }
  for (size_t i = 0; i < seeds.size(); ++i) {
    fuzz::runContainerInput(seeds[i].data(), seeds[i].size());
    if (overMemoryLimit("seed", long(i), seeds[i])) return 1;
  }
  std::mt19937 rng(12345);
  auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  long runs = 0;
  for (; runs < mutations && std::chrono::steady_clock::now() < end; ++runs) {
    Bytes b = mutate(seeds[static_cast<size_t>(runs) % seeds.size()], seeds, rng);
    fuzz::runContainerInput(b.data(), b.size());
    if (overMemoryLimit("mutated input", runs, b)) return 1;
  }
  std::printf("%zu seeds, %ld mutated inputs\n", seeds.size(), runs);
  return 0;
}
