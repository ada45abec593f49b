#include "ui/cable_reading.h"

#include <algorithm>
#include <filesystem>
#include <thread>

#include "files/path_text.h"

namespace tracelink {

namespace {

bool isTraceName(const std::filesystem::path& name) {
  std::string ext = pathText(name.extension());
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext == ".sor" || ext == ".otdr";
}

}  // namespace

std::vector<std::string> cableFilesIn(const std::string& folder) {
  std::vector<std::string> paths;
  std::error_code ec;
  const std::filesystem::path dir = pathFromText(folder);
  for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code kind;
    if (it->is_regular_file(kind) && isTraceName(it->path().filename()))
      paths.push_back(pathText(it->path()));
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

std::optional<std::vector<cable::CableFile>> readCableFiles(const std::vector<std::string>& paths,
                                                            Language language, unsigned threads,
                                                            std::atomic<std::size_t>& done,
                                                            const std::atomic<bool>& cancel) {
  std::vector<cable::CableFile> files(paths.size());
  std::atomic<std::size_t> next{0};
  // Each worker takes the next file not yet taken; each result has its own slot.
  const auto work = [&] {
    for (std::size_t i = next++; i < paths.size() && !cancel; i = next++) {
      files[i] = cable::readCableFile(paths[i], language);
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

}  // namespace tracelink
