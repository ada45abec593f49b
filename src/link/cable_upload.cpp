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

// Two digits at least, so that the fibres of a cable sort in order up to 99.
std::string fiberDigits(int fiber) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", fiber);
  return buf;
}

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
  return CableIdForFileName(plan.cable) + "_F" + fiberDigits(FiberNumber(plan, traceSelect)) + "_" +
         directionTag(plan.direction) + extensionOf(plan.format);
}

sor::SorExportOptions CableExportTexts(const CablePlan& plan, int traceSelect,
                                       const UploadTime& time) {
  sor::SorExportOptions texts;
  texts.language = plan.language;
  texts.dateTime = time.utcSeconds;
  if (plan.cable.empty()) return texts;
  texts.cable = plan.cable;
  texts.fiber = fiberDigits(FiberNumber(plan, traceSelect));
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

namespace {

// One language's words; {0}, {1}, ... stand for the values.
struct CableWords {
  const char* firstFiberOutside;  // {0} the number, {1} the largest
  const char* stepOutside;        // {0} the step, {1} the largest
  const char* rangeOutside;       // {0} first, {1} last, {2} the limit
  const char* rangeReversed;      // {0} first, {1} last
  const char* cableTooLong;       // {0} bytes, {1} the limit
  const char* notAscii;           // {0} the field
  const char* noFolder;
  const char* fieldCable;
  const char* fieldFiber;
  const char* fieldOperator;
  const char* fieldLocationA;
  const char* fieldLocationB;
  const char* fieldComment;

  const char* summary;           // {0} saved, {1} skipped, {2} failed
  const char* summaryIdentical;  // {0} saved, {1} skipped, {2} failed, {3} identical
  const char* abandoned;         // {0} the summary
  const char* stopped;           // {0} the summary, {1} why
  const char* uploadingFiber;    // {0} fibre, {1} trace
  const char* block;             // {0} one
  const char* blocks;            // {0} count
  const char* savedLine;         // {0} file, {1} blocks, {2} seconds
  const char* replacedLine;      // the same
  const char* keptBothLine;      // the same
  const char* skippedLine;       // {0} file
  const char* identicalLine;     // {0} file
  const char* failedLine;        // {0} trace, {1} why
  const char* currentTrace;
  const char* traceNumber;  // {0} trace
  const char* notStored;    // {0} trace, {1} stored count
  const char* noDatas;
};

constexpr CableWords kEnglish{
    .firstFiberOutside = "the first fibre {0} is not a number 1..{1}",
    .stepOutside = "the fibre step {0} is not a number 1..{1}",
    .rangeOutside = "the traces {0}-{1} are not within 1-{2}",
    .rangeReversed = "the traces {0}-{1} run backwards",
    .cableTooLong = "the cable ID has {0} bytes, at most {1} fit a file name",
    .notAscii = "the {0} holds a character a SOR file cannot carry (printable ASCII only)",
    .noFolder = "no output folder given",
    .fieldCable = "cable ID",
    .fieldFiber = "fibre ID",
    .fieldOperator = "operator",
    .fieldLocationA = "location A",
    .fieldLocationB = "location B",
    .fieldComment = "comment",
    .summary = "{0} fibres saved, {1} skipped, {2} failed",
    .summaryIdentical = "{0} fibres saved, {1} skipped ({3} identical), {2} failed",
    .abandoned = "Cable upload abandoned: {0}",
    .stopped = "{0}. {1}",
    .uploadingFiber = "Uploading fibre {0} (trace {1})…",
    .block = "{0} block",
    .blocks = "{0} blocks",
    .savedLine = "{0}: {1}, {2} s",
    .replacedLine = "{0}: {1}, {2} s, replaced the file there",
    .keptBothLine = "{0}: {1}, {2} s, saved beside the file there",
    .skippedLine = "{0}: skipped, the file exists",
    .identicalLine = "{0}: skipped, the file there holds the same trace",
    .failedLine = "{0}: {1}",
    .currentTrace = "current trace",
    .traceNumber = "trace {0}",
    .notStored = "trace {0}: not stored in the instrument ({1} stored)",
    .noDatas = "No datas!",
};

constexpr CableWords kChinese{
    .firstFiberOutside = "起始光纤号 {0} 不在 1..{1} 之内",
    .stepOutside = "光纤号步长 {0} 不在 1..{1} 之内",
    .rangeOutside = "曲线 {0}-{1} 不在 1-{2} 之内",
    .rangeReversed = "曲线 {0}-{1} 的顺序颠倒",
    .cableTooLong = "光缆编号有 {0} 字节，文件名最多容纳 {1} 字节",
    .notAscii = "{0}含有SOR文件无法保存的字符（只允许可打印的ASCII字符）",
    .noFolder = "未指定输出文件夹",
    .fieldCable = "光缆编号",
    .fieldFiber = "光纤编号",
    .fieldOperator = "操作员",
    .fieldLocationA = "位置A",
    .fieldLocationB = "位置B",
    .fieldComment = "备注",
    .summary = "已保存 {0} 根光纤，跳过 {1} 根，失败 {2} 根",
    .summaryIdentical = "已保存 {0} 根光纤，跳过 {1} 根（{3} 根内容相同），失败 {2} 根",
    .abandoned = "光缆上传已中止：{0}",
    .stopped = "{0}。{1}",
    .uploadingFiber = "正在上传光纤 {0}（曲线 {1}）…",
    .block = "{0} 个数据块",
    .blocks = "{0} 个数据块",
    .savedLine = "{0}：{1}，{2} 秒",
    .replacedLine = "{0}：{1}，{2} 秒，已替换原文件",
    .keptBothLine = "{0}：{1}，{2} 秒，已与原文件并存",
    .skippedLine = "{0}：已跳过，文件已存在",
    .identicalLine = "{0}：已跳过，原文件内容相同",
    .failedLine = "{0}：{1}",
    .currentTrace = "当前曲线",
    .traceNumber = "曲线 {0}",
    .notStored = "曲线 {0}：仪表中没有存储（共存储 {1} 条）",
    .noDatas = "无数据！",
};

const CableWords& words(Language language) {
  return language == Language::English ? kEnglish : kChinese;
}

std::string fieldName(sor::SorText text, const CableWords& w) {
  switch (text) {
    case sor::SorText::Cable:
      return w.fieldCable;
    case sor::SorText::Fiber:
      return w.fieldFiber;
    case sor::SorText::Operator:
      return w.fieldOperator;
    case sor::SorText::LocationA:
      return w.fieldLocationA;
    case sor::SorText::LocationB:
      return w.fieldLocationB;
    case sor::SorText::Comment:
      return w.fieldComment;
  }
  return w.fieldCable;
}

std::string tenths(double seconds) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", seconds);
  return buf;
}

}  // namespace

std::string cablePlanProblemText(const CablePlanProblem& problem, Language language) {
  const CableWords& w = words(language);
  using Code = CablePlanProblem::Code;
  const std::string a = std::to_string(problem.a);
  const std::string b = std::to_string(problem.b);
  switch (problem.code) {
    case Code::FirstFiberOutside:
      return fillIn(w.firstFiberOutside, {a, std::to_string(kMaxFirstFiber)});
    case Code::StepOutside:
      return fillIn(w.stepOutside, {a, std::to_string(kMaxFiberStep)});
    case Code::RangeOutside:
      return fillIn(w.rangeOutside, {a, b, std::to_string(kMaxUploadedTraces)});
    case Code::RangeReversed:
      return fillIn(w.rangeReversed, {a, b});
    case Code::CableTooLong:
      return fillIn(w.cableTooLong, {a, std::to_string(kMaxCableIdBytes)});
    case Code::NotAscii:
      return fillIn(w.notAscii, {fieldName(problem.text, w)});
    case Code::NoFolder:
      return w.noFolder;
  }
  return {};
}

std::string cableSummaryText(const CableSummary& summary, Language language) {
  const CableWords& w = words(language);
  const std::string saved = std::to_string(summary.saved);
  const std::string skipped = std::to_string(summary.skipped);
  const std::string failed = std::to_string(summary.failed);
  std::string text =
      summary.identical > 0
          ? fillIn(w.summaryIdentical, {saved, skipped, failed, std::to_string(summary.identical)})
          : fillIn(w.summary, {saved, skipped, failed});
  if (summary.abandoned) text = fillIn(w.abandoned, {text});
  if (!summary.stoppedBecause.empty()) text = fillIn(w.stopped, {text, summary.stoppedBecause});
  return text;
}

std::string cableFiberText(int fiber, int traceSelect, Language language) {
  return fillIn(words(language).uploadingFiber, {fiberDigits(fiber), std::to_string(traceSelect)});
}

std::string cableTraceLine(const CableTraceResult& r, Language language) {
  const CableWords& w = words(language);
  using Outcome = CableTraceResult::Outcome;
  const std::string file = pathText(r.path.filename());
  const std::string blocks = fillIn(r.blocks == 1 ? w.block : w.blocks, {std::to_string(r.blocks)});
  const std::string seconds = tenths(r.seconds);
  switch (r.outcome) {
    case Outcome::Saved:
      return fillIn(w.savedLine, {file, blocks, seconds});
    case Outcome::Replaced:
      return fillIn(w.replacedLine, {file, blocks, seconds});
    case Outcome::KeptBoth:
      return fillIn(w.keptBothLine, {file, blocks, seconds});
    case Outcome::Skipped:
      return fillIn(w.skippedLine, {file});
    case Outcome::Identical:
      return fillIn(w.identicalLine, {file});
    case Outcome::Failed: {
      if (r.failureNamesTrace) return r.failure;
      const std::string trace = r.traceSelect == kCurrentTraceSelect
                                    ? std::string(w.currentTrace)
                                    : fillIn(w.traceNumber, {std::to_string(r.traceSelect)});
      return fillIn(w.failedLine, {trace, r.failure});
    }
  }
  return {};
}

std::string cableNotStoredText(int traceSelect, int stored, Language language) {
  return fillIn(words(language).notStored, {std::to_string(traceSelect), std::to_string(stored)});
}

std::string cableNoDatasText(Language language) {
  return words(language).noDatas;
}

}  // namespace tracelink
