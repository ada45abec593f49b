#include "cable/cable_reading.h"

#include <algorithm>
#include <thread>

namespace tracelink::cable {

std::optional<std::vector<CableFile>> readCableFiles(const std::vector<std::string>& paths,
                                                     Language language, unsigned threads,
                                                     std::atomic<std::size_t>& done,
                                                     const std::atomic<bool>& cancel) {
  std::vector<CableFile> files(paths.size());
  std::atomic<std::size_t> next{0};
  // Each worker takes the next file not yet taken; each result has its own slot.
  const auto work = [&] {
    for (std::size_t i = next++; i < paths.size() && !cancel; i = next++) {
      files[i] = readCableFile(paths[i], language);
      ++done;
    }
  };
  const unsigned count =
      static_cast<unsigned>(std::min<std::size_t>(std::max(1u, threads), paths.size()));
  std::vector<std::thread> workers;
  for (unsigned t = 1; t < count; ++t) workers.emplace_back(work);
  work();
  for (std::thread& w : workers) w.join();
  if (cancel) return std::nullopt;
  return files;
}

}  // namespace tracelink::cable
