#include "cable/summary.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <iterator>
#include <map>
#include <set>

#include "analysis/analysis.h"
#include "cable/cable_strings.h"
#include "cable/fibre_names.h"
#include "files/path_text.h"
#include "trace/load_trace.h"
#include "trace/trace_csv.h"

namespace tracelink::cable {

namespace {

// Traces of one fibre whose wavelengths lie this close are one wavelength: two modules, or
// two files that store 0.1 nm differently, give 1549.8 and 1550.
constexpr double kSameWavelengthNm = 10.0;

void worseAbs(std::optional<double>& worst, double v) {
  if (!worst || std::abs(v) > std::abs(*worst)) worst = v;
}
void worseMax(std::optional<double>& worst, double v) {
  if (!worst || v > *worst) worst = v;
}

double meanDbPerKm(const std::vector<SectionFit>& fits, const compare::FibreEvents& f) {
  double km = 0;
  double db = 0;
  for (const SectionFit& s : fits) {
    const double l = (s.toM - s.fromM) / 1000.0;
    km += l;
    db += s.dbPerKm * l;
  }
  if (km > 0) return db / km;
  return f.lengthM() > 0 ? f.totalLossDb / (f.lengthM() / 1000.0) : 0;
}

// The figures one direction gives a row.
struct OneEnd {
  std::size_t events = 0;
  std::optional<double> worstSplice;
  std::optional<double> worstConnector;
  std::optional<double> worstReflectance;
};
OneEnd figuresOf(const compare::FibreEvents& f) {
  OneEnd o;
  for (const KeyEvent& e : f.events) {
    if (!compare::isInner(e, f)) continue;
    ++o.events;
    if (compare::isSplice(e.type)) {
      worseAbs(o.worstSplice, e.spliceLossDb);
    } else {
      worseMax(o.worstConnector, e.spliceLossDb);
      if (e.reflectanceDb) worseMax(o.worstReflectance, *e.reflectanceDb);
    }
  }
  return o;
}

// The ORL the row shows: the file's own, else the one the verdict measured.
std::optional<double> orlOf(const Trace& t, const Verdict& v, char direction) {
  if (t.orlDb) return t.orlDb;
  for (const Judgement& j : v.items)
    if (j.item == Item::Orl && j.measured && j.direction == direction) return j.value;
  return std::nullopt;
}

void fillOne(FibreRow& row, const CableFile& file, const compare::FibreEvents& f,
             const Limits& limits) {
  const Trace& t = *file.trace;
  // Fitted once: the verdict judges the sections, the row shows their mean.
  const std::vector<SectionFit> fits = sectionFits(t, f, &*file.ours);
  row.verdict = judgeTrace(t, f, limits, 'A', &*file.ours, &fits);
  row.lengthM = f.lengthM();
  row.lossDb = f.totalLossDb;
  row.dbPerKm = meanDbPerKm(fits, f);
  const OneEnd o = figuresOf(f);
  row.events = o.events;
  row.worstSpliceDb = o.worstSplice;
  row.worstConnectorDb = o.worstConnector;
  row.worstReflectanceDb = o.worstReflectance;
  row.orlDb = orlOf(t, row.verdict, 'A');
}

void fillBoth(FibreRow& row, const CableFile& fileA, const CableFile& fileB,
              const compare::BidirResult& both, const Limits& limits) {
  const Trace& a = *fileA.trace;
  const Trace& b = *fileB.trace;
  const std::vector<SectionFit> fitsA = sectionFits(a, both.a, &*fileA.ours);
  const std::vector<SectionFit> fitsB = sectionFits(b, both.b, &*fileB.ours);
  row.verdict = judgeBothEnds(a, b, both, limits, &*fileA.ours, &*fileB.ours, &fitsA, &fitsB);
  row.lengthM = both.lengthM;
  row.lossDb = both.totalLossDb;
  row.dbPerKm = (meanDbPerKm(fitsA, both.a) + meanDbPerKm(fitsB, both.b)) / 2;
  const OneEnd fromA = figuresOf(both.a);
  const OneEnd fromB = figuresOf(both.b);
  row.events = 0;
  for (const compare::BidirEvent& e : both.events)
    if (e.type != EventType::Launch && e.type != EventType::End) ++row.events;
  if (limits.useBidirectional) {
    // The splices as the verdict judged them: by the average where both ends see one.
    for (const compare::BidirEvent& e : both.events) {
      if (!compare::isSplice(e.type) || (!e.lossAB && !e.lossBA)) continue;
      worseAbs(row.worstSpliceDb, e.lossAB && e.lossBA ? e.averageDb
                                  : e.lossAB           ? *e.lossAB
                                                       : *e.lossBA);
    }
  } else {
    for (const OneEnd* o : {&fromA, &fromB})
      if (o->worstSplice) worseAbs(row.worstSpliceDb, *o->worstSplice);
  }
  for (const OneEnd* o : {&fromA, &fromB}) {
    if (o->worstConnector) worseMax(row.worstConnectorDb, *o->worstConnector);
    if (o->worstReflectance) worseMax(row.worstReflectanceDb, *o->worstReflectance);
  }
  // Each end has its own return loss; the lower is the one a contract cares about.
  const std::optional<double> orlA = orlOf(a, row.verdict, 'A');
  const std::optional<double> orlB = orlOf(b, row.verdict, 'B');
  if (orlA && orlB)
    row.orlDb = std::min(*orlA, *orlB);
  else
    row.orlDb = orlA ? orlA : orlB;
  row.bothEnds.push_back(both);
}

std::string wavelengthText(double nm) {
  return FixedDecimals(nm, std::abs(nm - std::round(nm)) < 0.05 ? 0 : 1);
}

CsvField textField(std::string text) {
  // A text a spreadsheet would take for a formula is kept as text.
  if (!text.empty() && std::string_view("=+-@").find(text[0]) != std::string::npos)
    text.insert(text.begin(), '\'');
  return {std::move(text), false};
}

CsvField numberField(std::string text) {
  return {std::move(text), true};
}

// A field as RFC 4180 writes it: quoted where it holds a comma, a quote or a line break.
std::string quoted(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

std::string optionalNumber(const std::optional<double>& v, int decimals) {
  return v ? FixedDecimals(*v, decimals) : std::string();
}

}  // namespace

std::size_t Cable::passed() const {
  std::map<std::string, bool> fibres;
  for (const FibreRow& r : rows) {
    const auto [it, fresh] = fibres.emplace(r.fibre, true);
    it->second = it->second && r.verdict.pass();
  }
  return static_cast<std::size_t>(
      std::count_if(fibres.begin(), fibres.end(), [](const auto& f) { return f.second; }));
}

std::size_t Cable::failed() const {
  std::set<std::string> fibres;
  for (const FibreRow& r : rows) fibres.insert(r.fibre);
  return fibres.size() - passed();
}

std::vector<std::string> traceFilesIn(std::string_view folder, std::error_code* ec) {
  std::vector<std::string> paths;
  std::error_code failed;
  for (std::filesystem::directory_iterator it(pathFromText(folder), failed), end;
       !failed && it != end; it.increment(failed)) {
    std::error_code kind;
    if (!it->is_regular_file(kind)) continue;
    std::string ext = pathText(it->path().extension());
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ext == ".sor" || ext == ".otdr") paths.push_back(pathText(it->path()));
  }
  std::sort(paths.begin(), paths.end());
  if (ec) *ec = failed;
  return paths;
}

CableFile readCableFile(std::string_view path, Language language) {
  CableFile file;
  file.path = std::string(path);
  Result<Trace> trace = LoadTrace(pathFromText(path));
  if (trace) {
    file.trace = std::move(trace).value();
    file.ours = analysis::analyse(*file.trace);
  } else {
    file.error = trace.error().text(language);
  }
  return file;
}

Cable certify(std::vector<CableFile> files, const Limits& limits, const Pairing& pairing,
              compare::EventSource events) {
  Cable cable;
  cable.files = std::move(files);
  for (CableFile& f : cable.files)
    if (f.trace && !f.ours) f.ours = analysis::analyse(*f.trace);

  // Fibre by fibre (in the order of their keys), then wavelength by wavelength.
  struct Wavelength {
    double nm = 0;
    std::vector<std::size_t> fromA;
    std::vector<std::size_t> fromB;
  };
  struct Fibre {
    std::string name;  // as the first of its files gives it
    std::vector<Wavelength> wavelengths;
    bool a = false;
    bool b = false;
  };
  std::map<std::string, Fibre, NaturalLess> fibres;
  for (std::size_t i = 0; i < cable.files.size(); ++i) {
    CableFile& f = cable.files[i];
    const std::string name = pathText(pathFromText(f.path).filename());
    const FibreName found =
        fibreOf(name, f.trace ? f.trace->identity.fiber : std::string(), pairing.namePattern);
    f.fibre = found.fibre;
    f.direction = found.direction;
    if (!f.trace) continue;
    Fibre& fibre = fibres[fibreKey(found.fibre)];
    if (fibre.name.empty()) fibre.name = found.fibre;
    (f.direction == 'B' ? fibre.b : fibre.a) = true;
    // A wavelength that is no number would break the ordering below: such a trace has none.
    const double stated = f.trace->acquisition.wavelengthNm;
    const double nm = std::isfinite(stated) ? stated : 0;
    auto w =
        std::find_if(fibre.wavelengths.begin(), fibre.wavelengths.end(),
                     [&](const Wavelength& x) { return std::abs(x.nm - nm) <= kSameWavelengthNm; });
    if (w == fibre.wavelengths.end()) {
      fibre.wavelengths.emplace_back();
      fibre.wavelengths.back().nm = nm;
      w = std::prev(fibre.wavelengths.end());
    }
    (f.direction == 'B' ? w->fromB : w->fromA).push_back(i);
  }

  for (auto& [key, fibre] : fibres) {
    std::sort(fibre.wavelengths.begin(), fibre.wavelengths.end(),
              [](const Wavelength& x, const Wavelength& y) { return x.nm < y.nm; });
    std::string found = fibre.a && fibre.b ? "AB+BA " : fibre.b ? "BA " : "AB ";
    for (std::size_t i = 0; i < fibre.wavelengths.size(); ++i) {
      if (i) found += '/';
      found += wavelengthText(fibre.wavelengths[i].nm);
    }

    for (const Wavelength& w : fibre.wavelengths) {
      // The n-th trace from A with the n-th from B; one left over is a row of its own, so
      // that no trace goes unjudged.
      const std::size_t n = std::max(w.fromA.size(), w.fromB.size());
      for (std::size_t k = 0; k < n; ++k) {
        FibreRow row;
        row.fibre = fibre.name;
        row.found = found;
        row.wavelengthNm = w.nm;
        const CableFile* a = k < w.fromA.size() ? &cable.files[w.fromA[k]] : nullptr;
        const CableFile* b = k < w.fromB.size() ? &cable.files[w.fromB[k]] : nullptr;
        if (a) row.files.push_back(w.fromA[k]);
        if (b) row.files.push_back(w.fromB[k]);
        if (a && b) {
          compare::BidirOptions options;
          options.events = events;
          const compare::FibreEvents fa = compare::fibreEvents(*a->trace, events, *a->ours);
          const compare::FibreEvents fb = compare::fibreEvents(*b->trace, events, *b->ours);
          compare::BidirOutcome both =
              compare::bidirectional(*a->trace, *b->trace, fa, fb, options);
          if (const auto* r = std::get_if<compare::BidirResult>(&both)) {
            fillBoth(row, *a, *b, *r, limits);
          } else {
            // The two ends do not make one fibre (lengths or wavelengths differ): each is
            // judged alone, the row shows end A's figures and says why.
            row.bothEndsProblem = std::get<compare::BidirProblem>(both);
            fillOne(row, *a, fa, limits);
            const Verdict vb = judgeTrace(*b->trace, fb, limits, 'B', &*b->ours);
            row.verdict.items.insert(row.verdict.items.end(), vb.items.begin(), vb.items.end());
          }
        } else {
          const CableFile& only = a ? *a : *b;
          fillOne(row, only, compare::fibreEvents(*only.trace, events, *only.ours), limits);
          for (Judgement& j : row.verdict.items) j.direction = only.direction;
        }
        cable.rows.push_back(std::move(row));
      }
    }
  }
  return cable;
}

std::vector<CsvField> cableCsvFields(const Cable& cable, std::size_t row) {
  const FibreRow& r = cable.rows.at(row);
  std::string names;
  for (const std::size_t i : r.files) {
    if (!names.empty()) names += ';';
    names += pathText(pathFromText(cable.files[i].path).filename());
  }
  return {
      textField(r.fibre),
      textField(std::move(names)),
      numberField(wavelengthText(r.wavelengthNm)),
      numberField(FixedDecimals(r.lengthM, 1)),
      numberField(FixedDecimals(r.lossDb, 3)),
      numberField(FixedDecimals(r.dbPerKm, 3)),
      numberField(std::to_string(r.events)),
      numberField(optionalNumber(r.worstSpliceDb, 3)),
      numberField(optionalNumber(r.worstConnectorDb, 3)),
      numberField(optionalNumber(r.worstReflectanceDb, 2)),
      numberField(optionalNumber(r.orlDb, 2)),
      textField(std::string(verdictWord(r.verdict.pass(), Language::English))),
      textField(firstFailureText(r.verdict, Language::English)),
  };
}

std::string cableCsv(const Cable& cable) {
  std::string out = kCableCsvHeader;
  out += '\n';
  for (std::size_t r = 0; r < cable.rows.size(); ++r) {
    const std::vector<CsvField> fields = cableCsvFields(cable, r);
    for (std::size_t i = 0; i < fields.size(); ++i) {
      if (i) out += ',';
      out += quoted(fields[i].text);
    }
    out += '\n';
  }
  return out;
}

}  // namespace tracelink::cable
