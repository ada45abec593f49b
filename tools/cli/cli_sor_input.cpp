#include "cli_sor_input.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <ostream>

#include "files/path_text.h"
#include "sor/sor_io.h"
#include "sor/sor_values.h"
#include "sor/trace_sor.h"
#include "trace/sha256.h"
#include "trace/trace_csv.h"
#include "trace/trace_from_sor.h"

namespace tracelink::cli {

namespace {

std::string fixed(double v, int decimals) {
  return FixedDecimals(v, decimals);
}

std::string shortest(double v) {
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, res.ptr);
}

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian calendar).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

const sor::DataTrace* firstTrace(const sor::SorFile& f) {
  return f.dataPts && !f.dataPts->traces.empty() ? &f.dataPts->traces.front() : nullptr;
}

std::string eventCode(const sor::KeyEvent& e) {
  return e.code + e.technique;
}

const char* typeWord(EventType type) {
  switch (type) {
    case EventType::Launch:
      return "launch";
    case EventType::Reflective:
      return "reflective";
    case EventType::NonReflective:
      return "non-reflective";
    case EventType::Gainer:
      return "gainer";
    case EventType::End:
      return "end";
  }
  return "";
}

// Empty where the instrument measured none, as the window's event box shows it.
std::string decibels(const std::optional<double>& db) {
  return db ? fixed(*db, 3) : std::string();
}

}  // namespace

std::string utcText(std::int64_t seconds) {
  const std::int64_t days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
  const std::int64_t rest = seconds - days * 86400;
  const std::int64_t z = days + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
  char buf[96];
  std::snprintf(buf, sizeof buf, "%04lld-%02u-%02uT%02lld:%02lld:%02lldZ",
                static_cast<long long>(y), m, d, static_cast<long long>(rest / 3600),
                static_cast<long long>(rest / 60 % 60), static_cast<long long>(rest % 60));
  return buf;
}

std::optional<std::int64_t> parseUtc(const std::string& text) {
  std::string t = text;
  if (!t.empty() && t.back() == 'Z') t.pop_back();
  if (t.size() != 19 || t[4] != '-' || t[7] != '-' || t[10] != 'T' || t[13] != ':' || t[16] != ':')
    return std::nullopt;
  const auto num = [&](std::size_t at, std::size_t n) -> std::optional<int> {
    int v = 0;
    const auto [ptr, ec] = std::from_chars(t.data() + at, t.data() + at + n, v);
    if (ec != std::errc() || ptr != t.data() + at + n) return std::nullopt;
    return v;
  };
  const auto y = num(0, 4), mo = num(5, 2), d = num(8, 2), h = num(11, 2), mi = num(14, 2),
             s = num(17, 2);
  if (!y || !mo || !d || !h || !mi || !s) return std::nullopt;
  static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (*mo < 1 || *mo > 12 || *d < 1 || *d > kDays[*mo - 1] || *h > 23 || *mi > 59 || *s > 59)
    return std::nullopt;
  const bool leap = (*y % 4 == 0 && *y % 100 != 0) || *y % 400 == 0;
  if (*mo == 2 && *d == 29 && !leap) return std::nullopt;
  return daysFromCivil(*y, static_cast<unsigned>(*mo), static_cast<unsigned>(*d)) * 86400 +
         *h * 3600 + *mi * 60 + *s;
}

bool isSorFile(const std::string& path) {
  const std::filesystem::path file = pathFromText(path);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return false;
  std::ifstream in(file, std::ios::binary);
  char head[48] = {};
  in.read(head, sizeof head);
  const auto n = static_cast<std::size_t>(in.gcount());
  return sor::LooksLikeSor(std::span(reinterpret_cast<const std::uint8_t*>(head), n));
}

Result<SorInput> loadSorInput(const std::string& path) {
  Result<std::vector<std::uint8_t>> bytes =
      ReadFileBytes(pathFromText(path), sor::kMaxSorFileBytes);
  if (!bytes) return bytes.error();
  Result<sor::SorFile> file = sor::ReadSor(*bytes);
  if (!file) return Error{path + ": " + file.error().text()};
  SorInput input;
  input.file = path;
  input.sor = std::move(*file);
  if (std::optional<Result<sor::RecordFromSor>> own = sor::RecordOf(input.sor)) {
    if (!*own) return Error{path + ": " + own->error().text()};
    LoadedTrace trace;
    trace.record = std::move((*own)->record);
    trace.blocks = (*own)->blockCount;
    trace.header.BlocksPerTrace = trace.blocks;
    ApplyHeader(*trace.record, trace.header, trace.view);
    input.record = std::move(trace);
  } else {
    input.trace = TraceFromSor(input.sor);
    input.trace.origin.path = path;
    input.trace.origin.sha256 = Sha256Hex(*bytes);
  }
  return input;
}

void writeSorJson(std::ostream& out, const SorInput& input) {
  const sor::SorFile& f = input.sor;
  const sor::GenParams g = f.genParams.value_or(sor::GenParams{});
  const sor::SupParams s = f.supParams.value_or(sor::SupParams{});
  const sor::FxdParams x = f.fxdParams.value_or(sor::FxdParams{});
  const sor::DataTrace* trace = firstTrace(f);
  const std::size_t points = trace ? trace->values.size() : 0;
  const double spacing = sor::SampleSpacingM(x);
  out << "{\"file\":" << jsonString(input.file) << ",\"format\":\"sor\",\"version\":" << f.version
      << ",\"checksum\":{\"status\":\"" << sor::checksumStatusText(f.checksum.status)
      << "\",\"variant\":"
      << (f.checksum.status == sor::ChecksumStatus::OkVariant
              ? jsonString(sor::checksumVariantText(f.checksum.variant))
              : std::string("null"))
      << ",\"stored\":" << f.checksum.stored << ",\"computed\":" << f.checksum.computed
      << "},\"supplier\":" << jsonString(s.supplier.text) << ",\"otdr\":" << jsonString(s.otdr.text)
      << ",\"software\":" << jsonString(s.software.text)
      << ",\"language\":" << jsonString(g.language) << ",\"cableId\":" << jsonString(g.cableId.text)
      << ",\"fiberId\":" << jsonString(g.fiberId.text)
      << ",\"operator\":" << jsonString(g.operatorName.text)
      << ",\"locationA\":" << jsonString(g.locationA.text)
      << ",\"locationB\":" << jsonString(g.locationB.text)
      << ",\"comment\":" << jsonString(g.comment.text)
      << ",\"dateTime\":" << jsonString(utcText(x.dateTime)) << ",\"units\":" << jsonString(x.units)
      << ",\"wavelengthNm\":" << shortest(x.wavelength / 10.0) << ",\"pulseWidthsNs\":[";
  for (std::size_t k = 0; k < x.pulseWidths.size(); ++k) out << (k ? "," : "") << x.pulseWidths[k];
  out << "],\"ior\":" << shortest(sor::GroupIndex(x)) << ",\"sampleSpacingM\":" << fixed(spacing, 7)
      << ",\"points\":" << points << ",\"scaleFactor\":";
  if (trace) {
    out << trace->scaleFactor;
  } else {
    out << "null";
  }
  out << ",\"rangeM\":" << fixed(points > 0 ? (points - 1) * spacing : 0.0, 3) << ",\"events\":[";
  if (f.keyEvents) {
    bool first = true;
    for (const sor::KeyEvent& e : f.keyEvents->events) {
      out << (first ? "" : ",") << "{\"no\":" << e.number
          << ",\"distanceM\":" << fixed(sor::TimeToMetres(e.time, x), 3)
          << ",\"spliceLossDb\":" << fixed(e.spliceLoss / 1000.0, 3) << ",\"reflectanceDb\":"
          << (sor::ReflectanceUnset(e.reflectance) ? std::string("null")
                                                   : fixed(e.reflectance / 1000.0, 3))
          << ",\"code\":" << jsonString(eventCode(e))
          << ",\"comment\":" << jsonString(e.comment.text) << '}';
      first = false;
    }
    out << "],\"totalLossDb\":" << fixed(f.keyEvents->totalLoss / 1000.0, 3)
        << ",\"orlDb\":" << fixed(f.keyEvents->orl / 1000.0, 3);
  } else {
    out << "],\"totalLossDb\":null,\"orlDb\":null";
  }
  out << ",\"blocks\":[";
  for (std::size_t k = 0; k < f.blocks.size(); ++k)
    out << (k ? "," : "") << "{\"name\":" << jsonString(f.blocks[k].ref.name)
        << ",\"version\":" << f.blocks[k].ref.version << ",\"size\":" << f.blocks[k].ref.size
        << '}';
  out << "]}\n";
}

void writeSorSummary(std::ostream& out, const SorInput& input) {
  const sor::SorFile& f = input.sor;
  const Trace& t = input.trace;
  const Identity& id = t.identity;
  const Acquisition& a = t.acquisition;
  char sums[128];
  std::snprintf(sums, sizeof sums, "checksum %s (stored 0x%04X, computed 0x%04X)",
                sor::checksumText(f.checksum).c_str(), f.checksum.stored, f.checksum.computed);
  out << "SOR version " << f.version << ", " << sums << '\n'
      << "Supplier: " << id.supplier << "   OTDR: " << id.instrument
      << "   Software: " << id.software << '\n'
      << "Cable: " << id.cable << "   Fiber: " << id.fiber << "   Operator: " << id.operatorName
      << '\n'
      << "Location A: " << id.locationA << "   Location B: " << id.locationB << '\n'
      << "Comment: " << id.comment << '\n'
      << "Date: " << (id.dateTime ? utcText(*id.dateTime) : "-")
      << "   Language: " << (f.genParams ? f.genParams->language : "")
      << "   Units: " << (f.fxdParams ? f.fxdParams->units : "") << '\n'
      << "Wavelength: " << shortest(a.wavelengthNm) << " nm   Pulse: ";
  for (std::size_t k = 0; k < a.pulseWidthsNs.size(); ++k)
    out << (k ? ", " : "") << shortest(a.pulseWidthsNs[k]) << " ns";
  out << "   IOR: " << shortest(a.groupIndex) << '\n'
      << "Points: " << t.size() << "   Spacing: " << fixed(t.spacingM, 4)
      << " m   Range: " << fixed(t.empty() ? 0.0 : (t.size() - 1) * t.spacingM, 1)
      << " m   First point at: " << fixed(t.originM, 1) << " m\n";
  out << "No.\tDis(m)\tType\tLoss(dB)\tRefl(dB)\tCode\tComment\n";
  for (std::size_t i = 0; i < t.events.size(); ++i) {
    const KeyEvent& e = t.events[i];
    out << i + 1 << '\t' << fixed(e.distanceM, 3) << '\t' << typeWord(e.type) << '\t'
        << fixed(e.spliceLossDb, 3) << '\t' << decibels(e.reflectanceDb) << '\t' << e.code << '\t'
        << e.comment << '\n';
  }
  if (f.keyEvents) {
    const auto withUnit = [](const std::optional<double>& db) {
      return db ? fixed(*db, 3) + " dB" : std::string("-");
    };
    out << "Total loss: " << withUnit(t.totalLossDb) << "   ORL: " << withUnit(t.orlDb) << '\n';
  } else {
    out << "(no KeyEvents block)\n";
  }
  for (const std::string& note : t.notes) out << "Note: " << note << '\n';
}

}  // namespace tracelink::cli
