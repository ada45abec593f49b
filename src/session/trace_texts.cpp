#include "session/trace_texts.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "record/units.h"

namespace tracelink {

const TraceTextStrings& traceTextStrings(Language language) {
  static const TraceTextStrings english{
      .wavelength = "",
      .pulse = "Pulse:",
      .groupIndex = "IOR:",
      .range = "Range:",
      .date = "",
      .separator = "  ",
      .none = "-",
      .eventColumns = {"No.", "Type", "Dis(m)", "Loss", "Refl", "Cum."},
      .typeWords = {"LAUNCH", "REF", "ATT", "GAIN", "END"},
      .notDrawable =
          "the file holds no trace to draw (fewer than 2 points, no spacing, or "
          "points spread over more than 10000 km: a damaged index or spacing)",
  };
  static const TraceTextStrings chinese{
      .wavelength = "",
      .pulse = "脉宽：",
      .groupIndex = "折射率：",
      .range = "量程：",
      .date = "",
      .separator = "  ",
      .none = "-",
      .eventColumns = {"序号", "类型", "距离(m)", "损耗", "反射", "累计"},
      .typeWords = {"起始", "反射", "非反射", "增益", "末端"},
      .notDrawable =
          "文件中没有可画的曲线（少于 2 个点、没有采样间距，或各点分布超过 10000 km："
          "折射率或采样间距已损坏）",
  };
  return language == Language::English ? english : chinese;
}

std::string fixedText(double value, int decimals, const std::string& decimalSeparator) {
  if (!std::isfinite(value)) return "-";
  // Rounded to the digits shown, so -0.0004 shows as 0.000 and not as -0.000.
  const double scale = std::pow(10.0, decimals);
  double rounded = std::round(value * scale) / scale;
  if (rounded == 0) rounded = 0;
  char buffer[64];
  const auto [end, ec] =
      std::to_chars(buffer, buffer + sizeof buffer, rounded, std::chars_format::fixed, decimals);
  if (ec != std::errc()) return "-";
  std::string text(buffer, end);
  if (const auto dot = text.find('.'); dot != std::string::npos)
    text.replace(dot, 1, decimalSeparator);
  return text;
}

namespace {

// The shortest digits that read back as the value, within a millionth: "1.4677", "100", "12.5".
std::string shortText(double value, const std::string& decimalSeparator) {
  std::string text = fixedText(value, 6, decimalSeparator);
  if (text.find(decimalSeparator) == std::string::npos) return text;
  while (!text.empty() && text.back() == '0') text.pop_back();
  if (text.size() >= decimalSeparator.size() &&
      text.compare(text.size() - decimalSeparator.size(), decimalSeparator.size(),
                   decimalSeparator) == 0)
    text.resize(text.size() - decimalSeparator.size());
  return text;
}

std::string dateText(std::int64_t seconds) {
  using namespace std::chrono;
  const sys_seconds t{std::chrono::seconds{seconds}};
  const sys_days day = floor<days>(t);
  const year_month_day ymd{day};
  const hh_mm_ss hms{t - day};
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02u %02d:%02d", static_cast<int>(ymd.year()),
                static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()),
                static_cast<int>(hms.hours().count()), static_cast<int>(hms.minutes().count()));
  return buffer;
}

std::string pulseText(const Trace& trace, const TraceTextStrings& s, const std::string& sep) {
  if (trace.acquisition.pulseWidthsNs.empty()) return std::string(s.none);
  return shortText(trace.acquisition.pulseWidthsNs.front(), sep) + " ns";
}

// The acquisition's range, or the span of the points where the file states none.
double rangeMetres(const Trace& trace) {
  if (trace.acquisition.rangeM > 0) return trace.acquisition.rangeM;
  return trace.lastDistanceM() - trace.originM;
}

std::string_view typeWord(EventType type, const TraceTextStrings& s) {
  const auto i = static_cast<std::size_t>(type);
  return i < s.typeWords.size() ? s.typeWords[i] : s.none;
}

}  // namespace

std::string traceInfoLine(const Trace& trace, Language language,
                          const std::string& decimalSeparator) {
  const TraceTextStrings& s = traceTextStrings(language);
  const Acquisition& a = trace.acquisition;
  std::string line;
  const auto field = [&](std::string_view caption, const std::string& value) {
    if (!line.empty()) line += s.separator;
    line += caption;
    line += value;
  };
  field(s.wavelength,
        a.wavelengthNm > 0 ? shortText(a.wavelengthNm, decimalSeparator) + " nm" : s.none.data());
  field(s.pulse, pulseText(trace, s, decimalSeparator));
  field(s.groupIndex,
        a.groupIndex > 0 ? shortText(a.groupIndex, decimalSeparator) : std::string(s.none));
  field(s.range, fixedText(rangeMetres(trace) / 1000.0, 2, decimalSeparator) + " km");
  field(s.date, trace.identity.dateTime ? dateText(*trace.identity.dateTime) : std::string(s.none));
  return line;
}

std::string traceEventText(const Trace& trace, Language language,
                           const std::string& decimalSeparator) {
  const TraceTextStrings& s = traceTextStrings(language);
  std::string text;
  for (std::size_t c = 0; c < s.eventColumns.size(); ++c) {
    if (c > 0) text += '\t';
    text += s.eventColumns[c];
  }
  text += "\r\n";
  double cumulative = 0;
  for (std::size_t i = 0; i < trace.events.size(); ++i) {
    const KeyEvent& e = trace.events[i];
    cumulative += e.spliceLossDb;
    text += std::to_string(i + 1) + '\t';
    text += typeWord(e.type, s);
    text += '\t' + fixedText(e.distanceM, 2, decimalSeparator);
    text += '\t' + fixedText(e.spliceLossDb, 3, decimalSeparator);
    text += '\t' + (e.reflectanceDb ? fixedText(*e.reflectanceDb, 2, decimalSeparator) : "");
    text += '\t' + fixedText(cumulative, 3, decimalSeparator) + "\r\n";
  }
  return text;
}

DecodedTexts traceTexts(const Trace& trace, Language language,
                        const std::string& decimalSeparator) {
  const TraceTextStrings& s = traceTextStrings(language);
  DecodedTexts texts;
  texts.text4_0 = trace.acquisition.groupIndex > 0
                      ? shortText(trace.acquisition.groupIndex, decimalSeparator)
                      : std::string(s.none);
  texts.text4_1 = trace.acquisition.pulseWidthsNs.empty()
                      ? std::string(s.none)
                      : shortText(trace.acquisition.pulseWidthsNs.front(), decimalSeparator) + "ns";
  texts.text4_3 = std::string(s.none);
  texts.label1 = traceInfoLine(trace, language, decimalSeparator);
  texts.eventText = traceEventText(trace, language, decimalSeparator);
  texts.eventHeader = texts.eventText.substr(0, texts.eventText.find("\r\n") + 2);
  return texts;
}

DecodedValues traceEventValues(const Trace& trace, Language language) {
  DecodedValues values;
  const TraceTextStrings& s = traceTextStrings(language);
  values.EventTypeName[1] = std::string(s.typeWords[1]);
  values.EventTypeName[2] = std::string(s.typeWords[2]);
  values.Ior = trace.acquisition.groupIndex > 0 ? trace.acquisition.groupIndex : kIor;
  const std::size_t count = std::min<std::size_t>(trace.events.size(), kMaxShownEvents);
  values.EventCount = static_cast<std::int32_t>(count);
  // Levels in hundredths below the launch: each event drops by its own loss, so the drop
  // across an event is its splice loss and the drop from the first level its cumulative.
  std::int64_t level = 0;
  const auto hundredths = [](double dB) {
    return static_cast<std::int64_t>(std::llround(std::clamp(dB, -1.0e6, 1.0e6) * 100.0));
  };
  for (std::size_t i = 1; i <= count; ++i) {
    const KeyEvent& e = trace.events[i - 1];
    const bool reflective = e.type == EventType::Reflective || e.type == EventType::Launch ||
                            (e.type == EventType::End && e.reflectanceDb.has_value());
    values.EventType[i] = reflective ? 1 : 2;
    values.EventPosition[i] = 0;
    values.EventDistance[i] =
        static_cast<std::int32_t>(std::llround(std::clamp(e.distanceM, -2.0e9, 2.0e9)));
    values.EventLevel[2 * i - 1] =
        static_cast<std::int32_t>(std::clamp<std::int64_t>(level, INT32_MIN, INT32_MAX));
    level -= hundredths(e.spliceLossDb);
    values.EventLevel[2 * i] =
        static_cast<std::int32_t>(std::clamp<std::int64_t>(level, INT32_MIN, INT32_MAX));
  }
  if (count < kMaxShownEvents) values.EventLevel[2 * count + 1] = values.EventLevel[2 * count];
  return values;
}

}  // namespace tracelink
