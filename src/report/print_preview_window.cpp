#include "report/print_preview_window.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>

#include "files/atomic_file.h"
#include "record/fill_in.h"
#include "render/layout.h"
#include "report/page_geometry.h"
#include "report/page_view.h"
#include "report/pdf_save_dialog.h"
#include "report/report_page.h"
#include "report/report_pdf.h"
#include "report/report_strings.h"

namespace tracelink {

namespace {

// The window's client area, and the line under the page view where the outcome of the
// last print is shown.
constexpr QSize kClientSize{769, 609};
constexpr QRect kPrintStatusRect{8, 588, 753, 18};

}  // namespace

PrintPreviewWindow::PrintPreviewWindow(Language language, const ReportHeader& header,
                                       const ReportSources& sources, const QString& printerName,
                                       PrintFn print, QWidget* parent)
    : QWidget(parent, Qt::Window),
      language_(language),
      print_(std::move(print)),
      header_(header),
      sources_(sources),
      saveDialog_(makeFileSaveDialog()),
      saveFolder_(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("save"))) {
  setObjectName(QStringLiteral("printerpre"));
  setAttribute(Qt::WA_DeleteOnClose);
  setFont(reportWindowFont());
  setFixedSize(kClientSize);

  command1_ = new QPushButton(this);
  command1_->setObjectName(QStringLiteral("Command1"));
  command1_->setGeometry(twipsRect(120, 120, 1095, 375));
  // Scrolling hands the focus to this button so that Enter prints, as Space does; outside
  // a dialog a push button ignores Enter unless told otherwise.
  command1_->setAutoDefault(true);
  label1_ = new QLabel(this);
  label1_->setObjectName(QStringLiteral("Label1"));
  label1_->setGeometry(twipsRect(1440, 240, 11295, 255));
  label1_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  picture2_ = new PageView(this);
  picture2_->setObjectName(QStringLiteral("Picture2"));
  picture2_->setGeometry(0, 0, kPagePixelWidth, kPagePixelHeight);
  picture2_->hide();
  picture1_ = new PageView(this);
  picture1_->setObjectName(QStringLiteral("Picture1"));
  picture1_->setGeometry(
      QRect(twipsRect(120, 480, 0, 0).topLeft(), QSize(kViewPixelWidth, kViewPixelHeight)));
  vScroll1_ = new QScrollBar(Qt::Vertical, this);
  vScroll1_->setObjectName(QStringLiteral("VScroll1"));
  vScroll1_->setGeometry(twipsRect(11040, 480, 375, 8295));
  // Where the view and the bar overlap, the bar stays on top so it can be used.
  vScroll1_->raise();
  printStatus_ = new QLabel(this);
  printStatus_->setObjectName(QStringLiteral("printStatus"));
  printStatus_->setGeometry(kPrintStatusRect);

  // The page is shown when a position is settled, not while the thumb is dragged.
  vScroll1_->setTracking(false);
  vScroll1_->setSingleStep(1);
  vScroll1_->setPageStep(1);
  vScroll1_->installEventFilter(this);
  connect(vScroll1_, &QScrollBar::valueChanged, this, &PrintPreviewWindow::VScroll1_Change);
  connect(command1_, &QPushButton::clicked, this, &PrintPreviewWindow::Command1_Click);

  // Saving is reached without a control of its own: a right click on the page and Ctrl+S.
  savePdf_ = new QAction(this);
  savePdf_->setObjectName(QStringLiteral("savePdf"));
  savePdf_->setText(reportStrings(language_).preview.savePdf);
  savePdf_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  savePdf_->setShortcutContext(Qt::WindowShortcut);
  addAction(savePdf_);
  connect(savePdf_, &QAction::triggered, this, &PrintPreviewWindow::SavePdf);
  picture1_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(picture1_, &QWidget::customContextMenuRequested, this,
          &PrintPreviewWindow::Picture1_ContextMenu);

  Form_Load(header, sources, printerName);
}

void PrintPreviewWindow::Form_Load(const ReportHeader& header, const ReportSources& sources,
                                   const QString& printerName) {
  if (const QScreen* screen = this->screen()) {
    const QRect area = screen->geometry();
    move(centredOn(area, size(), area.topLeft()));
  }

  picture2_->setImage(ComposeReportPage(header, sources, language_, QLocale().decimalPoint()));
  picture1_->setImage(page().copy(0, 0, kViewPixelWidth, kViewPixelHeight));
  vScroll1_->setRange(0, kScrollMaximum);
  vScroll1_->setValue(0);

  const PreviewStrings& s = reportStrings(language_).preview;
  label1_->setText(s.label1Prefix + printerName + s.label1Suffix);
  setWindowTitle(s.caption);
  command1_->setText(s.command1);
}

PrintPreviewWindow::~PrintPreviewWindow() = default;

const QImage& PrintPreviewWindow::page() const {
  return picture2_->image();
}

void PrintPreviewWindow::VScroll1_Change(int value) {
  picture1_->setImage(page().copy(0, firstViewRow(value), kViewPixelWidth, kViewPixelHeight));
  command1_->setFocus();
}

void PrintPreviewWindow::VScroll1_GotFocus() {
  command1_->setFocus();
}

bool PrintPreviewWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == vScroll1_ && event->type() == QEvent::FocusIn) VScroll1_GotFocus();
  return QWidget::eventFilter(watched, event);
}

void PrintPreviewWindow::Command1_Click() {
  if (!print_) return;
  const PrintAttempt attempt = print_(page());
  const QString message = describePrintAttempt(attempt, language_);
  printStatus_->setText(message);
  // Having no printer at all is told by the print function, in the program's own message.
  if (attempt.outcome == PrintAttempt::Outcome::Sent ||
      attempt.outcome == PrintAttempt::Outcome::NoPrinter)
    return;
  // The preview stays usable: the box is modal to this window only and does not block
  // the caller.
  auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(), message, QMessageBox::Ok, this);
  box->setObjectName(QStringLiteral("printError"));
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->open();
}

void PrintPreviewWindow::setPdfSaving(std::unique_ptr<PdfSaveDialog> dialog,
                                      const QString& saveFolder) {
  if (dialog) saveDialog_ = std::move(dialog);
  saveFolder_ = saveFolder;
}

void PrintPreviewWindow::Picture1_ContextMenu(const QPoint& at) {
  auto* menu = new QMenu(this);
  menu->setObjectName(QStringLiteral("pageMenu"));
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->addAction(savePdf_);
  menu->popup(picture1_->mapToGlobal(at));
}

void PrintPreviewWindow::SavePdf() {
  const PreviewStrings& s = reportStrings(language_).preview;
  const QString start =
      QDir(saveFolder_).filePath(suggestedReportName(header_, sources_.traceName));
  const QString path = saveDialog_->askSavePath(this, s.saveCaption, start, s.pdfFilter);
  if (path.isEmpty()) return;
  const QString shown = QDir::toNativeSeparators(path);

  const Result<QByteArray> pdf = ReportPdf(header_, sources_, language_, QLocale().decimalPoint());
  if (!pdf) {
    // The writer's code, worded in the window's language about the file it was meant for.
    Error why = pdf.error();
    why.path = shown.toStdString();
    showFailure(fillIn(s.pdfNotSaved, {QString::fromStdString(why.text(language_))}));
    return;
  }
  const Status written =
      WriteFileAtomically(std::filesystem::path(path.toStdU16String()),
                          std::string_view(pdf->constData(), static_cast<std::size_t>(pdf->size())),
                          ExistingFile::Replace);  // the dialog has asked before replacing
  if (!written) {
    showFailure(fillIn(s.pdfNotSaved, {QString::fromStdString(written.error().text(language_))}));
    return;
  }
  printStatus_->setText(fillIn(s.pdfSaved, {shown}));
}

void PrintPreviewWindow::showFailure(const QString& message) {
  printStatus_->setText(message);
  auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(), message, QMessageBox::Ok, this);
  box->setObjectName(QStringLiteral("saveError"));
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->open();
}

}  // namespace tracelink
