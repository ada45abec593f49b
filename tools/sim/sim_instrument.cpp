#include "sim/sim_instrument.h"

#include <algorithm>

#include "files/record_file.h"
#include "link/wire_format.h"
#include "sim/trace_generator.h"

namespace tracelink::sim {

SimInstrument::SimInstrument(std::unique_ptr<TraceRecord> current,
                             std::vector<std::unique_ptr<TraceRecord>> stored)
    : current_(std::move(current)), stored_(std::move(stored)) {}

SimInstrument SimInstrument::generated(std::uint64_t seed, int storedCount, bool withCurrent,
                                       int rangeN) {
  std::unique_ptr<TraceRecord> current;
  if (withCurrent) current = GenerateTrace({seed, rangeN, -1});
  std::vector<std::unique_ptr<TraceRecord>> stored;
  for (int i = 1; i <= storedCount; ++i)
    stored.push_back(GenerateTrace({seed + static_cast<std::uint64_t>(i), rangeN, -1}));
  return SimInstrument(std::move(current), std::move(stored));
}

Result<SimInstrument> SimInstrument::fromFolder(const std::filesystem::path& folder,
                                                int storedCount, bool withCurrent) {
  std::error_code ec;
  std::vector<std::filesystem::path> files;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    if (it->is_regular_file() && it->path().extension() == ".otdr") files.push_back(it->path());
  }
  if (ec) return Error{folder.string() + ": " + ec.message()};
  if (files.empty()) return Error{folder.string() + ": no .otdr files"};
  std::sort(files.begin(), files.end());

  std::vector<std::unique_ptr<TraceRecord>> loaded;
  for (const auto& path : files) {
    auto record = std::make_unique<TraceRecord>();
    std::int32_t blocks = 0;
    if (const Status read = ReadRecordFile(path, *record, blocks); !read) return read.error();
    loaded.push_back(std::move(record));
  }
  std::unique_ptr<TraceRecord> current;
  if (withCurrent) current = std::make_unique<TraceRecord>(*loaded.front());
  if (storedCount < 0) storedCount = std::min<int>(static_cast<int>(loaded.size()), kMaxStored);
  std::vector<std::unique_ptr<TraceRecord>> stored;
  for (int i = 0; i < storedCount; ++i)
    stored.push_back(
        std::make_unique<TraceRecord>(*loaded[static_cast<std::size_t>(i) % loaded.size()]));
  return SimInstrument(std::move(current), std::move(stored));
}

const TraceRecord* SimInstrument::trace(std::uint8_t select) const {
  if (select == kCurrentTraceSelect) return current_.get();
  if (select >= 1 && select <= stored_.size()) return stored_[select - 1u].get();
  return nullptr;
}

std::array<std::uint16_t, kBlockWords> SimInstrument::servedWords(std::uint8_t select,
                                                                  std::uint8_t block) const {
  std::array<std::uint16_t, kBlockWords> words{};
  const TraceRecord* t = trace(select);
  auto word = [&](std::size_t p) -> std::int32_t { return t ? (*t)[p] : 0; };
  if (block == kHeaderBlockNo) {
    for (int i = 0; i < kBlockWords; ++i)
      words[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(
          std::clamp(word(kHeaderStart + static_cast<std::size_t>(i)), 0, 0xFFFF));
    words[slot::kDataNum - kHeaderStart] = static_cast<std::uint16_t>(stored_.size());
    words[slot::kHaveTest - kHeaderStart] = current_ ? kHaveTestMark : 0;
  } else if (block >= 1 && block <= kMaxDataBlocks) {
    const std::size_t first = (block - 1u) * kBlockWords;
    for (std::size_t i = 0; i < kBlockWords; ++i)
      words[i] = static_cast<std::uint16_t>(std::clamp(word(first + i) + kSampleOffset, 0, 0xFFFF));
  }
  return words;
}

std::vector<std::uint8_t> SimInstrument::reply(std::uint8_t select, std::uint8_t block,
                                               const std::vector<std::uint8_t>& junk) const {
  std::vector<std::uint8_t> out;
  out.reserve(junk.size() + 1 + kBlockBytes);
  for (const std::uint8_t b : junk) out.push_back(b == kSyncByte ? 0 : b);
  out.push_back(kSyncByte);
  for (const std::uint16_t w : servedWords(select, block)) {
    const auto masked = static_cast<std::uint16_t>(w ^ kWordMask);
    out.push_back(static_cast<std::uint8_t>(masked >> 8));
    out.push_back(static_cast<std::uint8_t>(masked & 0xFF));
  }
  return out;
}

}  // namespace tracelink::sim
