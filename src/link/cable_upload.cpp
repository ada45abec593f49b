#include "link/cable_upload.h"

#include <cstdio>
#include <memory>
#include <system_error>

#include "files/atomic_file.h"
#include "files/path_text.h"
#include "files/record_file.h"
#include "files/record_text.h"
#include "files/trace_library.h"
#include "record/fill_in.h"
#include "sor/sor_io.h"
#include "sor/sor_strings.h"

namespace tracelink {

namespace fs = std::filesystem;

namespace {

const char* directionTag(CableDirection direction) {
  return direction == CableDirection::FromA ? "AB" : "BA";
}

const char* extensionOf(CableFormat format) {
  return format == CableFormat::Sor ? ".sor" : ".otdr";
}

std::vector<std::uint8_t> asBytes(std::string_view text) {
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

std::string_view asText(const std::vector<std::uint8_t>& bytes) {
  return std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

// The bytes of the trace as the plan saves it, with the SOR date given.
Result<std::vector<std::uint8_t>> traceBytes(const CablePlan& plan, const TraceRecord& record,
                                             const HeaderState& header, std::int32_t blockNo,
                                             sor::SorExportOptions texts) {
  if (plan.format == CableFormat::Otdr) {
    // The file's first word becomes the block count; the caller's record stays as it is.
    auto copy = std::make_unique<TraceRecord>(record);
    return asBytes(BuildRecordText(*copy, blockNo));
  }
  // The whole trace, whatever view the caller happens to show.
  HeaderState applied = header;
  ViewWindow view;
  ApplyHeader(record, applied, view);
  sor::SorResult<std::vector<std::uint8_t>> bytes =
      sor::WriteTraceAsSor(record, applied, view, blockNo, texts);
  if (!bytes) return Error(sor::problemText(bytes.problem(), plan.language));
  return std::move(*bytes);
}

// Whether the file at path holds this very trace. A SOR file of ours differs from a new
// export only in its date when it holds the same trace under the same names, so it is
// compared as exported again with its own date.
bool holdsSameTrace(const fs::path& path, const std::vector<std::uint8_t>& bytes,
                    const CablePlan& plan, const TraceRecord& record, const HeaderState& header,
                    std::int32_t blockNo, const sor::SorExportOptions& texts) {
  Result<std::vector<std::uint8_t>> there = ReadFileBytes(path, sor::kMaxSorFileBytes);
  if (!there) return false;
  if (*there == bytes) return true;
  if (plan.format != CableFormat::Sor) return false;
  sor::SorResult<sor::SorFile> file = sor::ReadSor(*there);
  if (!file || !file->fxdParams) return false;
  sor::SorExportOptions dated = texts;
  dated.dateTime = file->fxdParams->dateTime;
  Result<std::vector<std::uint8_t>> again = traceBytes(plan, record, header, blockNo, dated);
  return again && *again == *there;
}

bool isFile(const fs::path& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(path, ec));
}

}  // namespace

std::optional<CablePlanProblem> CheckCablePlan(const CablePlan& plan) {
  using Code = CablePlanProblem::Code;
  if (plan.folder.empty()) return CablePlanProblem{Code::NoFolder};
  if (plan.firstFiber < 1 || plan.firstFiber > kMaxFirstFiber)
    return CablePlanProblem{Code::FirstFiberOutside, plan.firstFiber};
  if (plan.fiberStep < 1 || plan.fiberStep > kMaxFiberStep)
    return CablePlanProblem{Code::StepOutside, plan.fiberStep};
  if (plan.traces.kind == TraceChoice::Kind::Range) {
    const int first = plan.traces.first;
    const int last = plan.traces.last;
    if (first < 1 || last < 1 || first > kMaxUploadedTraces || last > kMaxUploadedTraces)
      return CablePlanProblem{Code::RangeOutside, first, last};
    if (first > last) return CablePlanProblem{Code::RangeReversed, first, last};
  }
  if (plan.cable.size() > kMaxCableIdBytes)
    return CablePlanProblem{Code::CableTooLong, static_cast<std::int64_t>(plan.cable.size())};
  if (plan.format == CableFormat::Sor) {
    // Refused before the first request, not at every trace after it, and named as the
    // user gave it (end B swaps the locations only in the file).
    CablePlan asGiven = plan;
    asGiven.direction = CableDirection::FromA;
    sor::SorExportOptions texts = CableExportTexts(asGiven, plan.traces.first, UploadTime{});
    if (const std::optional<sor::SorProblem> p = sor::CheckExportTexts(texts)) {
      CablePlanProblem problem{Code::NotAscii};
      problem.text = p->text;
      return problem;
    }
  }
  return std::nullopt;
}

std::string CableFiberId(int fiber) {
  // Two digits at least, so that the fibres of a cable sort in order up to 99.
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", fiber);
  return buf;
}

int FiberNumber(const CablePlan& plan, int traceSelect) {
  if (plan.traces.kind == TraceChoice::Kind::Current) return plan.firstFiber;
  const int first = plan.traces.kind == TraceChoice::Kind::All ? 1 : plan.traces.first;
  return plan.firstFiber + (traceSelect - first) * plan.fiberStep;
}

std::string CableIdForFileName(std::string_view cable) {
  std::string name;
  name.reserve(cable.size());
  for (const char c : cable) {
    const auto u = static_cast<unsigned char>(c);
    const bool refused = u < 0x20 || u == 0x7F || c == '/' || c == '\\' || c == ':' || c == '*' ||
                         c == '?' || c == '"' || c == '<' || c == '>' || c == '|';
    name += refused ? '_' : c;
  }
  return name;
}

std::string CableFileName(const CablePlan& plan, int traceSelect, const UploadTime& time) {
  if (plan.cable.empty()) {
    const bool current = traceSelect == kCurrentTraceSelect;
    std::string name = AutoSaveFileName(current ? 0 : traceSelect, time.year, time.month, time.day,
                                        time.hour, time.minute, time.second);
    // The current trace has no number of its own; "00" would read as a stored trace.
    if (current) name.replace(0, 2, "current");
    return fs::path(name).replace_extension(extensionOf(plan.format)).string();
  }
  return CableIdForFileName(plan.cable) + "_F" + CableFiberId(FiberNumber(plan, traceSelect)) +
         "_" + directionTag(plan.direction) + extensionOf(plan.format);
}

sor::SorExportOptions CableExportTexts(const CablePlan& plan, int traceSelect,
                                       const UploadTime& time) {
  sor::SorExportOptions texts;
  texts.language = plan.language;
  texts.dateTime = time.utcSeconds;
  if (plan.cable.empty()) return texts;
  texts.cable = plan.cable;
  texts.fiber = CableFiberId(FiberNumber(plan, traceSelect));
  texts.operatorName = plan.operatorName;
  const bool fromA = plan.direction == CableDirection::FromA;
  texts.locationA = fromA ? plan.locationA : plan.locationB;
  texts.locationB = fromA ? plan.locationB : plan.locationA;
  return texts;
}

CableTraceResult SaveCableTrace(const CablePlan& plan, const TraceRecord& record,
                                const HeaderState& header, std::int32_t blockNo, int traceSelect,
                                const UploadTime& time) {
  using Outcome = CableTraceResult::Outcome;
  CableTraceResult result;
  result.traceSelect = traceSelect;
  result.fiber = FiberNumber(plan, traceSelect);
  const std::string name = CableFileName(plan, traceSelect, time);
  result.path = plan.folder / pathFromText(name);

  const sor::SorExportOptions texts = CableExportTexts(plan, traceSelect, time);
  Result<std::vector<std::uint8_t>> bytes = traceBytes(plan, record, header, blockNo, texts);
  if (!bytes) {
    result.failure = pathText(result.path) + ": " + bytes.error().text(plan.language);
    return result;
  }
  const std::string_view content = asText(*bytes);

  // A new file never takes the place of one that appears while it is written; then the
  // policy for a file that is there applies after all.
  if (!isFile(result.path)) {
    const Status written = WriteFileAtomically(result.path, content, ExistingFile::Keep);
    if (written) {
      result.outcome = Outcome::Saved;
      return result;
    }
    if (written.error().code != ErrorCode::AlreadyExists) {
      result.failure = written.error().text(plan.language);
      return result;
    }
  }
  if (holdsSameTrace(result.path, *bytes, plan, record, header, blockNo, texts)) {
    result.outcome = Outcome::Identical;
    return result;
  }
  switch (plan.onExisting) {
    case OnExisting::Skip:
      result.outcome = Outcome::Skipped;
      return result;
    case OnExisting::Replace: {
      const Status written = WriteFileAtomically(result.path, content, ExistingFile::Replace);
      if (!written) {
        result.failure = written.error().text(plan.language);
        return result;
      }
      result.outcome = Outcome::Replaced;
      return result;
    }
    case OnExisting::KeepBoth:
      // Another writer may take a free name between the look and the rename; the next
      // free name is tried then.
      for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path beside = UniqueSavePath(plan.folder, name);
        const Status written = WriteFileAtomically(beside, content, ExistingFile::Keep);
        if (written) {
          result.path = beside;
          result.outcome = Outcome::KeptBoth;
          return result;
        }
        if (written.error().code != ErrorCode::AlreadyExists) {
          result.failure = written.error().text(plan.language);
          return result;
        }
      }
      result.failure =
          fileError(ErrorCode::AlreadyExists, pathText(result.path)).text(plan.language);
      return result;
  }
  return result;
}

CableSummary SummarizeCable(const std::vector<CableTraceResult>& results) {
  CableSummary summary;
  for (const CableTraceResult& r : results) {
    if (r.saved()) ++summary.saved;
    if (r.skipped()) ++summary.skipped;
    if (r.outcome == CableTraceResult::Outcome::Identical) ++summary.identical;
    if (r.outcome == CableTraceResult::Outcome::Failed) ++summary.failed;
  }
  return summary;
}

}  // namespace tracelink
