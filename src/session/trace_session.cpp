#include "session/trace_session.h"

#include <algorithm>
#include <cmath>

#include "files/path_text.h"
#include "files/record_text.h"
#include "session/trace_texts.h"
#include "trace/trace_from_record.h"

namespace tracelink {

TraceSession::TraceSession(Language language, std::string decimalSeparator, QObject* parent)
    : QObject(parent),
      language_(language),
      decimalSeparator_(std::move(decimalSeparator)),
      record_(std::make_unique<TraceRecord>()) {
  texts_.eventHeader = eventHeaderLine(language_);
  texts_.eventText = texts_.eventHeader;
  decoded_.Ior = kIor;
  view_.ViewStart = 0;
  view_.ViewEnd = kStartupViewEnd;
  settleView();
}

TraceSession::~TraceSession() = default;

std::int32_t TraceSession::savedBlockCount(std::int32_t uploadBlocks) const {
  return source_.kind == TraceSource::Kind::File ? source_.blocks : uploadBlocks;
}

Status TraceSession::loadFile(const std::filesystem::path& path) {
  Result<OpenedTrace> opened = ReadTraceByContent(path, language_, snapshot());
  if (!opened) return opened.error();
  showOpened(std::move(*opened), path);
  return {};
}

LoadedTrace TraceSession::snapshot() const {
  LoadedTrace copy;
  *copy.record = *record_;
  copy.header = header_;
  copy.view = view_;
  return copy;
}

void TraceSession::showOpened(OpenedTrace opened, const std::filesystem::path& path) {
  if (auto* trace = std::get_if<Trace>(&opened.content)) {
    showForeign(std::move(*trace));
    return;
  }
  showLoadedTrace(std::move(std::get<LoadedTrace>(opened.content)), path);
}

void TraceSession::showForeign(Trace trace) {
  auto shown = std::make_unique<ForeignShown>();
  shown->ior = indexForSpacing(trace.spacingM);
  shown->view.FullRangeStart = 0;
  shown->view.FullRangeEnd = static_cast<std::int32_t>(
      std::min<std::size_t>(trace.size() - 1, static_cast<std::size_t>(INT32_MAX)));
  shown->view.ViewStart = shown->view.FullRangeStart;
  shown->view.ViewEnd = shown->view.FullRangeEnd;
  shown->texts = traceTexts(trace, language_, decimalSeparator_);
  shown->decoded = traceEventValues(trace, language_);
  shown->decoded.Ior = shown->ior;
  shown->trace = std::move(trace);
  foreign_ = std::move(shown);
  // The record's source stays with the record; the file is the trace's own origin.
  clearMarkers();
  settleForeignView();
  emit traceChanged();
}

void TraceSession::settleForeignView() {
  ForeignShown& f = *foreign_;
  repairWindow(f.view);
  const LevelScale scale = levelScaleOf(f.trace, static_cast<std::size_t>(f.view.ViewStart),
                                        static_cast<std::size_t>(f.view.ViewEnd));
  std::string text = tracelink::scaleText(distanceGridStep(f.view, f.ior), scale.stepDb);
  if (text == f.scaleText) return;
  f.scaleText = std::move(text);
  emit scaleTextChanged(QString::fromStdString(f.scaleText));
}

void TraceSession::dropForeign() {
  if (!foreign_) return;
  foreign_.reset();
  // The value box showed the foreign window's scale; the record's may be unchanged.
  emit scaleTextChanged(QString::fromStdString(scaleText_));
}

void TraceSession::showLoadedTrace(LoadedTrace trace, const std::filesystem::path& path) {
  dropForeign();
  record_ = std::move(trace.record);
  header_ = trace.header;
  view_ = trace.view;
  showLoaded(TraceSource{TraceSource::Kind::File, path, trace.blocks, std::nullopt});
}

Trace TraceSession::trace() const {
  if (foreign_) return foreign_->trace;
  Trace trace = TraceFromRecord(*record_, header_, view_, decoded_);
  if (source_.kind == TraceSource::Kind::File) trace.origin.path = pathText(source_.path);
  if (source_.kind == TraceSource::Kind::Upload) trace.origin.uploadedAt = source_.uploadedAt;
  return trace;
}

void TraceSession::showLoaded(TraceSource source) {
  source_ = std::move(source);
  levelZoom_.reset();
  clearMarkers();
  settleView();
  decode();
  emit traceChanged();
}

void TraceSession::clearTrace() {
  // An upload brings back the record in place of another maker's trace.
  dropForeign();
  clearTraceWords(*record_);
  recordText_.clear();
  source_ = TraceSource{TraceSource::Kind::Upload, {}, 0, std::nullopt};
  levelZoom_.reset();
  clearMarkers();
  emit traceCleared();
}

void TraceSession::storeHeaderBlock(std::span<const std::int32_t, kBlockWords> words) {
  storeHeaderWords(*record_, words);
}

void TraceSession::storeDataBlock(std::int32_t blockNo,
                                  std::span<const std::int32_t, kBlockWords> words) {
  storeDataWords(*record_, blockNo, words);
}

void TraceSession::applyHeader() {
  ApplyHeader(*record_, header_, view_);
  settleView();
}

void TraceSession::completeTrace(std::optional<std::int64_t> uploadedAt) {
  source_.uploadedAt = uploadedAt;
  decode();
  emit traceChanged();
}

void TraceSession::setDataPresent() {
  if (dataPresent_) return;
  dataPresent_ = true;
  emit dataPresentChanged(true);
}

const std::string& TraceSession::buildRecordText(std::int32_t blocks) {
  recordText_ = BuildRecordText(*record_, blocks);
  return recordText_;
}

bool TraceSession::zoomTo(std::int32_t startM, std::int32_t endM) {
  if (foreign_) {
    const auto zoomed = zoomWindow(foreign_->view, startM, endM, foreign_->ior);
    if (!zoomed) return false;
    foreign_->view = *zoomed;
    settleForeignView();
    emit viewChanged();
    return true;
  }
  const auto zoomed = zoomWindow(view_, startM, endM, decoded_.Ior);
  if (!zoomed) return false;
  view_ = *zoomed;
  settleView();
  emit viewChanged();
  return true;
}

bool TraceSession::panTowardStart() {
  if (foreign_) {
    if (!tracelink::panTowardStart(foreign_->view)) return false;
    settleForeignView();
    emit viewChanged();
    return true;
  }
  if (!tracelink::panTowardStart(view_)) return false;
  settleView();
  emit viewChanged();
  return true;
}

bool TraceSession::panTowardEnd() {
  if (foreign_) {
    if (!tracelink::panTowardEnd(foreign_->view)) return false;
    settleForeignView();
    emit viewChanged();
    return true;
  }
  if (!tracelink::panTowardEnd(view_)) return false;
  settleView();
  emit viewChanged();
  return true;
}

bool TraceSession::fullView() {
  // The full view is the full level range too, even where the window has no range yet.
  std::optional<LevelZoom>& zoom = foreign_ ? foreign_->levelZoom : levelZoom_;
  const bool levels = zoom.has_value();
  zoom.reset();
  if (foreign_) {
    if (!tracelink::fullView(foreign_->view)) {
      if (levels) emit viewChanged();
      return levels;
    }
    settleForeignView();
    emit viewChanged();
    return true;
  }
  if (!tracelink::fullView(view_)) {
    if (levels) emit viewChanged();
    return levels;
  }
  settleView();
  emit viewChanged();
  return true;
}

bool TraceSession::setLevelZoom(const LevelZoom& zoom) {
  if (checkLevelZoom(zoom.bottomDb, zoom.topDb) != LevelZoomFault::None) return false;
  std::optional<LevelZoom>& current = foreign_ ? foreign_->levelZoom : levelZoom_;
  if (current == zoom) return false;
  current = zoom;
  emit viewChanged();
  return true;
}

bool TraceSession::fullLevelRange() {
  std::optional<LevelZoom>& current = foreign_ ? foreign_->levelZoom : levelZoom_;
  if (!current) return false;
  current.reset();
  emit viewChanged();
  return true;
}

bool TraceSession::zoomAround(double atM, double factor) {
  ViewWindow& view = foreign_ ? foreign_->view : view_;
  const double ior = usableIor(foreign_ ? foreign_->ior : decoded_.Ior);
  const double metresPerSample = kLightSpeed / 2.0 / ior;
  const auto minWidth = static_cast<std::int32_t>(std::ceil(100.0 / metresPerSample));
  const auto zoomed = tracelink::zoomAround(view, atM / metresPerSample, factor, minWidth);
  if (!zoomed) return false;
  view = *zoomed;
  if (foreign_) {
    settleForeignView();
  } else {
    settleView();
  }
  emit viewChanged();
  return true;
}

void TraceSession::setColourScheme(std::int16_t mode) {
  if (mode == colourScheme_) return;
  colourScheme_ = mode;
  emit colourSchemeChanged(mode);
}

void TraceSession::toggleColourScheme() {
  setColourScheme(colourScheme_ == kDarkScheme ? kLightScheme : kDarkScheme);
}

void TraceSession::setMarker(char letter, double metres) {
  (letter == 'B' ? markers_.b : markers_.a) = metres;
  emit markersChanged();
}

void TraceSession::setEventOfInterest(double metres) {
  markers_.event = metres;
  emit markersChanged();
}

void TraceSession::clearMarkers() {
  if (!markers_.a && !markers_.b && !markers_.event) return;
  markers_.a.reset();
  markers_.b.reset();
  markers_.event.reset();
  emit markersChanged();
}

void TraceSession::setShowEvents(bool show) {
  if (markers_.showEvents == show) return;
  markers_.showEvents = show;
  emit markersChanged();
}

void TraceSession::decode() {
  texts_ = DecodeRecord(*record_, decoded_, language_, decimalSeparator_);
  // The decode may bring a new group index, which moves the grid of the same window.
  settleView();
}

void TraceSession::settleView() {
  // Whatever set the window, nothing downstream ever works on an empty or reversed one.
  repairWindow(view_);
  std::string text = tracelink::scaleText(distanceGridStep(view_, decoded_.Ior));
  if (text == scaleText_) return;
  scaleText_ = std::move(text);
  emit scaleTextChanged(QString::fromStdString(scaleText_));
}

}  // namespace tracelink
