#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "files/record_file.h"
#include "record/decode.h"
#include "record/language.h"
#include "record/result.h"
#include "record/trace_record.h"
#include "record/trace_sink.h"
#include "session/trace_file.h"
#include "session/view_window.h"
#include "trace/trace.h"

namespace tracelink {

// Where the record's content came from. A manual save writes the transfer's BlockNo
// after an upload (files stay as they always were) but the file's own block count after
// a load, so a loaded trace is never cut short.
struct TraceSource {
  enum class Kind { None, Upload, File };
  Kind kind = Kind::None;
  std::filesystem::path path;  // the file, for Kind::File
  std::int32_t blocks = 0;     // the file's block count, for Kind::File
  // For Kind::Upload: when the trace arrived whole, in seconds since 1970 (UTC); nullopt
  // while it is arriving, or when its upload never completed.
  std::optional<std::int64_t> uploadedAt;
};

// The measuring markers on the trace, in metres, and whether the instrument's events are
// marked on the plot. They belong to the trace: another trace clears the markers.
struct Markers {
  std::optional<double> a;
  std::optional<double> b;
  // The event whose loss was asked for ("Event loss here"), kept while the markers move.
  std::optional<double> event;
  bool showEvents = false;

  bool any() const { return a || b || showEvents; }
};

// Another maker's trace on screen in place of the record. Its window counts points (one
// sample of the window arithmetic is one point at ior), from 0 to the last point.
struct ForeignShown {
  Trace trace;
  ViewWindow view;
  double ior = kIor;
  DecodedValues decoded;
  DecodedTexts texts;
  std::string scaleText;
  std::optional<LevelZoom> levelZoom;
};

// The trace the user is looking at: the record, its header state, the view window, the
// decoded values and every text derived from them, where the trace came from and whether
// it may be saved. Everything above reads it through const access and changes it only
// through the operations below, each of which announces what it changed.
//
// The block transfer writes into it as a TraceSink (clearTrace, the block stores and
// applyHeader) and ends a trace with completeTrace().
class TraceSession : public QObject, public TraceSink {
  Q_OBJECT

 public:
  // decimalSeparator is the one the "#0.00" texts use (the locale's).
  TraceSession(Language language, std::string decimalSeparator, QObject* parent = nullptr);
  ~TraceSession() override;

  Language language() const { return language_; }
  const TraceRecord& record() const override { return *record_; }
  const HeaderState& header() const override { return header_; }
  // While another maker's trace is shown, the window, values and texts are its own (see
  // ForeignShown); the record, its header and its own window stay as they were, for the
  // next .otdr file to load over.
  const ViewWindow& view() const { return foreign_ ? foreign_->view : view_; }
  const DecodedValues& decoded() const { return foreign_ ? foreign_->decoded : decoded_; }
  // Text4(0), (1), (3), Label1, EventHeader and EventText of the last decode.
  const DecodedTexts& texts() const { return foreign_ ? foreign_->texts : texts_; }
  // Text4(5): the grid's scale for the current window.
  const std::string& scaleText() const { return foreign_ ? foreign_->scaleText : scaleText_; }
  // The other maker's trace on screen, or nullptr while the record is.
  const ForeignShown* foreign() const { return foreign_.get(); }
  // RecordText: the file text last built from the record (empty after a new request).
  const std::string& recordText() const { return recordText_; }
  const TraceSource& source() const { return source_; }
  bool dataPresent() const { return dataPresent_; }
  std::int16_t colourScheme() const { return colourScheme_; }
  // The trace on screen in the one model every source becomes: another maker's trace as
  // read, or the record's full view with its events, the file it came from (path, format;
  // the SHA-256 is the loader's to give) or the upload's time.
  Trace trace() const;
  // The block count a save of the record writes; uploadBlocks is the transfer's BlockNo.
  std::int32_t savedBlockCount(std::int32_t uploadBlocks) const;

  // Reads a trace file by its content (ReadTraceByContent) and shows it: an .otdr file or
  // one of our SOR exports into the record, applying its header and decoding it; another
  // maker's SOR file as that trace. On failure nothing changes and nothing is announced;
  // the error is worded in the session's language.
  Status loadFile(const std::filesystem::path& path);
  // What a reader on another thread starts from: a copy of the record, header and window.
  LoadedTrace snapshot() const;
  // Shows what ReadTraceByContent gave for path.
  void showOpened(OpenedTrace opened, const std::filesystem::path& path);
  // Shows a trace loaded elsewhere (its header applied) as a file loaded from path.
  void showLoadedTrace(LoadedTrace trace, const std::filesystem::path& path);

  // The transfer's side. A new request clears the record (its samples, header and first
  // spare words) and voids RecordText; blocks are stored as they arrive; an accepted
  // header is applied; completeTrace decodes and keeps the time the trace arrived whole
  // as the source's uploadedAt; setDataPresent, for the current trace, makes the record
  // savable.
  void clearTrace() override;
  void storeHeaderBlock(std::span<const std::int32_t, kBlockWords> words) override;
  void storeDataBlock(std::int32_t blockNo,
                      std::span<const std::int32_t, kBlockWords> words) override;
  void applyHeader() override;
  void completeTrace(std::optional<std::int64_t> uploadedAt = std::nullopt);
  void setDataPresent();

  // The file text of the record with the given block count; it is kept as RecordText.
  const std::string& buildRecordText(std::int32_t blocks);

  // View operations; each returns whether the window changed. A zoom to 100 m or less
  // is refused.
  bool zoomTo(std::int32_t startM, std::int32_t endM);
  bool panTowardStart();
  bool panTowardEnd();
  bool fullView();
  // Zooms the window by factor (below 1 in, above 1 out) about the distance atM on the
  // plot, which stays where it is; never narrower than a drag may zoom (100 m).
  bool zoomAround(double atM, double factor);
  // The vertical zoom of the trace on screen (nullopt: the full level range). Setting one
  // that checkLevelZoom refuses changes nothing; a new trace starts at the full range, and
  // fullView() returns to it as well.
  const std::optional<LevelZoom>& levelZoom() const {
    return foreign_ ? foreign_->levelZoom : levelZoom_;
  }
  bool setLevelZoom(const LevelZoom& zoom);
  bool fullLevelRange();
  void setColourScheme(std::int16_t mode);
  void toggleColourScheme();

  const Markers& markers() const { return markers_; }
  // letter 'A' or 'B'; metres along the trace.
  void setMarker(char letter, double metres);
  void setEventOfInterest(double metres);
  void clearMarkers();
  void setShowEvents(bool show);

 signals:
  // A new trace was loaded or completed and decoded: redraw everything.
  void traceChanged();
  // The record was cleared for a new request.
  void traceCleared();
  // The visible window moved (zoom, pan, full view) or a header reset it: redraw.
  void viewChanged();
  void colourSchemeChanged(std::int16_t mode);
  void scaleTextChanged(const QString& text);
  void dataPresentChanged(bool present);
  void markersChanged();

 private:
  // What every load ends with: a new source, no markers, the window settled, a decode.
  void showLoaded(TraceSource source);
  void showForeign(Trace trace);
  // Back to the record from another maker's trace.
  void dropForeign();
  // The foreign window's scale text after it moved; announces a change.
  void settleForeignView();
  void decode();
  // Repairs an empty or reversed window and refreshes the scale text.
  void settleView();

  Language language_;
  std::string decimalSeparator_;
  std::unique_ptr<TraceRecord> record_;
  HeaderState header_;
  ViewWindow view_;
  DecodedValues decoded_;
  DecodedTexts texts_;
  std::string scaleText_;
  std::string recordText_;
  TraceSource source_;
  bool dataPresent_ = false;
  std::int16_t colourScheme_ = kDarkScheme;
  Markers markers_;
  std::unique_ptr<ForeignShown> foreign_;
  std::optional<LevelZoom> levelZoom_;
};

}  // namespace tracelink
