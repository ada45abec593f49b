#include "session/trace_file.h"

#include <cmath>
#include <fstream>
#include <span>

#include "files/path_text.h"
#include "session/trace_texts.h"
#include "sor/record_block.h"
#include "sor/sor_io.h"
#include "sor/sor_strings.h"
#include "sor/trace_sor.h"
#include "trace/sha256.h"
#include "trace/trace_from_sor.h"

namespace tracelink {

namespace fs = std::filesystem;

namespace {

// Whether the file's first bytes are a SOR Map. Anything that cannot be read goes to the
// .otdr reader, which says why.
bool startsLikeSor(const fs::path& path) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) return false;
  std::ifstream in(path, std::ios::binary);
  char head[48] = {};
  in.read(head, sizeof head);
  const auto n = static_cast<std::size_t>(in.gcount());
  return sor::LooksLikeSor(std::span(reinterpret_cast<const std::uint8_t*>(head), n));
}

Error sorError(const std::string& name, const sor::SorProblem& problem, Language language) {
  return Error{name + ": " + sor::problemText(problem, language)};
}

// Our own export: its record goes where the .otdr file's would, the same words replaced.
OpenedTrace recordFromExport(sor::RecordFromSor own, LoadedTrace base) {
  TraceRecord& record = *base.record;
  const std::size_t sampleWords = static_cast<std::size_t>(own.blockCount) * kBlockWords;
  for (std::size_t p = 0; p < sampleWords; ++p) record[p] = (*own.record)[p];
  for (std::size_t p = kHeaderStart; p < kHeaderEnd; ++p) record[p] = (*own.record)[p];
  base.blocks = own.blockCount;
  base.header.BlocksPerTrace = own.blockCount;
  ApplyHeader(record, base.header, base.view);
  return OpenedTrace{std::move(base)};
}

// The plot and the window count metres in 32 bits; no fibre is longer than this, so a
// trace that is must have a damaged group index or spacing.
constexpr double kLongestTraceM = 1.0e7;

bool drawable(const Trace& t) {
  if (t.size() < 2 || !std::isfinite(t.spacingM) || !(t.spacingM > 0)) return false;
  const double span = t.spacingM * static_cast<double>(t.size() - 1);
  return span <= kLongestTraceM && std::isfinite(t.originM) &&
         std::abs(t.originM) <= kLongestTraceM;
}

Result<OpenedTrace> readSor(const fs::path& path, Language language, LoadedTrace base) {
  const std::string name = pathText(path);
  Result<std::vector<std::uint8_t>> bytes = ReadFileBytes(path, sor::kMaxSorFileBytes);
  if (!bytes) return bytes.error();
  sor::SorResult<sor::SorFile> file = sor::ReadSor(*bytes);
  if (!file) return sorError(name, file.problem(), language);
  if (std::optional<sor::SorResult<sor::RecordFromSor>> own = sor::RecordOf(*file)) {
    if (!*own) return sorError(name, own->problem(), language);
    return recordFromExport(std::move(**own), std::move(base));
  }
  Trace trace = TraceFromSor(*file);
  if (!drawable(trace)) return Error{name + ": " + traceTextStrings(language).notDrawable};
  trace.origin.format = TraceFormat::Sor;
  trace.origin.path = name;
  trace.origin.sha256 = Sha256Hex(*bytes);
  return OpenedTrace{std::move(trace)};
}

}  // namespace

Result<OpenedTrace> ReadTraceByContent(const fs::path& path, Language language, LoadedTrace base) {
  if (startsLikeSor(path)) return readSor(path, language, std::move(base));
  const Result<std::int32_t> blocks = LoadTraceFile(path, *base.record, base.header, base.view);
  if (!blocks) return Error{blocks.error().text(language)};
  base.blocks = *blocks;
  return OpenedTrace{std::move(base)};
}

}  // namespace tracelink
