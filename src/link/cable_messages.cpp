// The words of the cable upload, in either language: the plan's refusals, the summary,
// the status line and the line of each trace.
#include <cstdio>

#include "files/path_text.h"
#include "link/cable_upload.h"
#include "record/fill_in.h"

namespace tracelink {

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
  return fillIn(words(language).uploadingFiber, {CableFiberId(fiber), std::to_string(traceSelect)});
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
