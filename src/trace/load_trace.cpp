#include "trace/load_trace.h"

#include <chrono>
#include <fstream>
#include <memory>

#include "files/path_text.h"
#include "files/record_file.h"
#include "sor/sor_io.h"
#include "sor/trace_sor.h"
#include "trace/sha256.h"
#include "trace/trace_from_record.h"
#include "trace/trace_from_sor.h"

namespace tracelink {

namespace fs = std::filesystem;

namespace {

Result<std::string> sha256OfFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return fileError(ErrorCode::CannotRead, pathText(path));
  Sha256 sha;
  std::string piece(64 * 1024, '\0');
  while (in) {
    in.read(piece.data(), static_cast<std::streamsize>(piece.size()));
    sha.update(std::string_view(piece.data(), static_cast<std::size_t>(in.gcount())));
  }
  if (in.bad()) return fileError(ErrorCode::CannotRead, pathText(path));
  return Sha256::hex(sha.finish());
}

std::optional<std::int64_t> modificationTime(const fs::path& path) {
  std::error_code ec;
  const fs::file_time_type t = fs::last_write_time(path, ec);
  if (ec) return std::nullopt;
  const auto sys = std::chrono::file_clock::to_sys(t);
  return std::chrono::duration_cast<std::chrono::seconds>(sys.time_since_epoch()).count();
}

// What our export states beyond the record: the texts the user gave, the software and the
// date. Empty fields leave the record's own values.
void takeIdentity(const Identity& from, Identity& to) {
  for (const auto& [src, dst] : {std::pair{&from.cable, &to.cable},
                                 {&from.fiber, &to.fiber},
                                 {&from.locationA, &to.locationA},
                                 {&from.locationB, &to.locationB},
                                 {&from.operatorName, &to.operatorName},
                                 {&from.comment, &to.comment},
                                 {&from.supplier, &to.supplier},
                                 {&from.instrument, &to.instrument},
                                 {&from.instrumentSerial, &to.instrumentSerial},
                                 {&from.module, &to.module},
                                 {&from.moduleSerial, &to.moduleSerial},
                                 {&from.software, &to.software}})
    if (!src->empty()) *dst = *src;
  if (from.dateTime) to.dateTime = from.dateTime;
}

Result<Trace> loadSor(const fs::path& path) {
  const std::string name = pathText(path);
  Result<std::vector<std::uint8_t>> bytes = ReadFileBytes(path, sor::kMaxSorFileBytes);
  if (!bytes) return bytes.error();
  Result<sor::SorFile> file = sor::ReadSor(*bytes);
  if (!file) return Error{name + ": " + file.error().text()};
  Result<Trace> trace = TraceOfSorFile(*file);
  if (!trace) return Error{name + ": " + trace.error().text()};
  trace->origin.format = TraceFormat::Sor;
  trace->origin.path = name;
  trace->origin.sha256 = Sha256Hex(*bytes);
  return trace;
}

Result<Trace> loadOtdr(const fs::path& path) {
  Result<LoadedTrace> loaded = LoadTraceFile(path);
  if (!loaded) return loaded.error();
  Trace trace = TraceFromRecord(*loaded->record, loaded->header, loaded->view);
  Result<std::string> sha = sha256OfFile(path);
  if (!sha) return sha.error();
  trace.origin.format = TraceFormat::Otdr;
  trace.origin.path = pathText(path);
  trace.origin.sha256 = std::move(*sha);
  trace.identity.dateTime = modificationTime(path);
  return trace;
}

}  // namespace

Result<Trace> TraceOfSorFile(const sor::SorFile& file) {
  std::optional<Result<sor::RecordFromSor>> own = sor::RecordOf(file);
  if (!own) return TraceFromSor(file);
  if (!*own) return own->error();
  HeaderState header;
  header.BlocksPerTrace = (*own)->blockCount;
  ViewWindow view;
  ApplyHeader(*(*own)->record, header, view);
  Trace trace = TraceFromRecord(*(*own)->record, header, view);
  takeIdentity(TraceFromSor(file).identity, trace.identity);
  trace.origin.format = TraceFormat::Sor;
  trace.notes = file.notes;
  return trace;
}

bool StartsLikeSor(const fs::path& path) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) return false;
  std::ifstream in(path, std::ios::binary);
  char head[48] = {};
  in.read(head, sizeof head);
  const auto n = static_cast<std::size_t>(in.gcount());
  return sor::LooksLikeSor(std::span(reinterpret_cast<const std::uint8_t*>(head), n));
}

Result<Trace> LoadTrace(const fs::path& path) {
  return StartsLikeSor(path) ? loadSor(path) : loadOtdr(path);
}

}  // namespace tracelink
