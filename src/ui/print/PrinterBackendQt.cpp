#include "ui/print/PrinterBackendQt.h"

#include <cups/cups.h>

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStringList>
#include <algorithm>
#include <cmath>

#include "platform/Error.h"
#include "ui/viewer/BitmapQt.h"

namespace vellumo {

namespace {

// Qt passes the options under this key to CUPS with the job (Qt's CUPS support keeps it
// private; the value has stayed the same since Qt 4).
constexpr auto kCupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);

std::string Utf8(const QString& s) { return s.toStdString(); }

std::function<std::unique_ptr<PrinterBackend>()>& Factory() {
    static std::function<std::unique_ptr<PrinterBackend>()> factory;
    return factory;
}

}  // namespace

QtPrinterBackend::QtPrinterBackend()
    : printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    printer_->setFullPage(true);
}

QtPrinterBackend::QtPrinterBackend(const QString& pdfPath)
    : printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)), pdfPath_(pdfPath) {
    printer_->setOutputFormat(QPrinter::PdfFormat);
    printer_->setOutputFileName(pdfPath);
    printer_->setFullPage(true);
}

QtPrinterBackend::~QtPrinterBackend() {
    if (painter_ && painter_->isActive()) AbortJob();
}

std::vector<std::string> QtPrinterBackend::PrinterNames() {
    if (ToFile()) return {"PDF"};
    std::vector<std::string> names;
    for (const QString& name : QPrinterInfo::availablePrinterNames()) names.push_back(Utf8(name));
    return names;
}

std::string QtPrinterBackend::DefaultPrinterName() {
    if (ToFile()) return "PDF";
    return Utf8(QPrinterInfo::defaultPrinterName());
}

bool QtPrinterBackend::PrintsToFile() const {
    return ToFile() || printer_->outputFormat() == QPrinter::PdfFormat;
}

std::string QtPrinterBackend::CurrentPrinterName() {
    if (ToFile()) return "PDF";
    // A file chosen in the setup dialog goes by its path.
    if (PrintsToFile()) return Utf8(printer_->outputFileName());
    return Utf8(printer_->printerName());
}

void QtPrinterBackend::SetCurrentPrinter(const std::string& name) {
    if (ToFile()) return;
    const QString wanted = QString::fromStdString(name);
    const QStringList installed = QPrinterInfo::availablePrinterNames();
    QString chosen = installed.contains(wanted) ? wanted : QPrinterInfo::defaultPrinterName();
    // Printers but no default among them: the current one stays, else the first (an empty
    // name would turn the printer into a PDF writer with no file).
    if (!installed.contains(chosen)) {
        if (installed.isEmpty()) return;
        chosen = installed.contains(printer_->printerName()) ? printer_->printerName()
                                                             : installed.first();
    }
    // A file chosen in the setup dialog is left: the job goes to the printer again (an
    // output file kept under a printer name would still receive the job).
    if (printer_->outputFormat() == QPrinter::PdfFormat || !printer_->outputFileName().isEmpty())
        printer_->setOutputFileName(QString());
    printer_->setPrinterName(chosen);
    // A printer change may bring the output format back to the native one.
    printer_->setFullPage(true);
}

bool QtPrinterBackend::SetPaperCode(int code) {
    const QPageSize::PageSizeId id = QPageSize::id(code);
    if (id == QPageSize::Custom) return false;
    if (ToFile()) return printer_->setPageSize(QPageSize(id));
    // Only a paper the printer has: its own entry carries the name the printer knows it by
    // (JIS B4 is "B4" to one driver and "JISB4" to another).
    const QList<QPageSize> sizes = QPrinterInfo(*printer_).supportedPageSizes();
    const auto match =
        std::find_if(sizes.begin(), sizes.end(), [id](const QPageSize& s) { return s.id() == id; });
    if (match == sizes.end()) return false;
    return printer_->setPageSize(*match);
}

bool QtPrinterBackend::SetLandscape() {
    return printer_->setPageOrientation(QPageLayout::Landscape);
}

DeviceCaps QtPrinterBackend::Caps() {
    DeviceCaps caps;
    if (!PrintsToFile() && printer_->printerName().isEmpty()) return caps;
    const int dpi = printer_->resolution();
    QPageLayout layout = printer_->pageLayout();
    const QRect sheet = layout.fullRectPixels(dpi);
    layout.setUnits(QPageLayout::Point);
    const QMarginsF unprintable = layout.minimumMargins();
    caps.logPixelsX = dpi;
    caps.logPixelsY = dpi;
    caps.physicalWidth = sheet.width();
    caps.physicalHeight = sheet.height();
    caps.physicalOffsetX = int32_t(std::lround(unprintable.left() * dpi / 72.0));
    caps.physicalOffsetY = int32_t(std::lround(unprintable.top() * dpi / 72.0));
    return caps;
}

bool QtPrinterBackend::MakesCopies() { return printer_->supportsMultipleCopies(); }

void QtPrinterBackend::BeginJob(const std::string& title, int copies) {
    printer_->setDocName(QString::fromStdString(title));
    printer_->setCopyCount(copies);
    printer_->setFullPage(true);
    // True scale: CUPS must not fit the sheet to the printable area (its "auto" scales a
    // page that reaches into the printer's margins).
    if (!PrintsToFile() && printer_->printEngine())
        printer_->printEngine()->setProperty(kCupsOptions, QStringList{"print-scaling", "none"});
    if (!PrintsToFile()) {
        // Asked now so that CUPS's last answer, read when the job has gone, is the one to
        // this job and not an older one.
        cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT,
                                             printer_->printerName().toUtf8().constData(), nullptr);
        cupsFreeDests(dest ? 1 : 0, dest);
    }
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(printer_.get())) {
        painter_.reset();
        throw Error("印刷を開始出来ませんでした。 '" + CurrentPrinterName() + "'");
    }
    // Pixels as they are (no smoothing of a stretched drawing) and kept without loss in
    // the page description (Qt would otherwise store a colour picture as JPEG).
    painter_->setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter_->setRenderHint(QPainter::LosslessImageRendering, true);
}

void QtPrinterBackend::SetTransform(const PageTransform& t) {
    // The transform counts from the printable area's corner; full-page mode puts the
    // painter's origin on the sheet's corner, the printable offsets away from it.
    const DeviceCaps caps = Caps();
    painter_->setTransform(QTransform(t.scaleX, 0, 0, t.scaleY, t.offsetX + caps.physicalOffsetX,
                                      t.offsetY + caps.physicalOffsetY));
}

void QtPrinterBackend::DrawFrame(const LogicalRect& rect, int penWidth) {
    QPen pen(Qt::black);
    pen.setWidthF(penWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    painter_->setPen(pen);
    painter_->setBrush(Qt::NoBrush);
    painter_->drawRect(QRectF(rect.left, rect.top, rect.Width(), rect.Height()));
}

void QtPrinterBackend::DrawPicture(const Bitmap& picture24, const LogicalRect& rect) {
    const QImage image = BitmapToQImage(picture24, AlphaUse::KnownOpaque);
    if (image.isNull()) return;
    painter_->drawImage(QRectF(rect.left, rect.top, rect.Width(), rect.Height()), image);
}

void QtPrinterBackend::EndJob() {
    if (!painter_) return;
    const bool ended = painter_->end();
    painter_.reset();
    if (!ended) throw Error("印刷出来ませんでした。 '" + CurrentPrinterName() + "'");
    // Qt hands the job to CUPS and does not say whether CUPS took it: a queue that refuses
    // jobs would leave the user with no sheet and no word. CUPS's answer is its last error.
    if (!PrintsToFile() && cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE)
        throw Error("印刷出来ませんでした。 '" + CurrentPrinterName() + "'\r\n" +
                    cupsLastErrorString());
}

void QtPrinterBackend::AbortJob() {
    if (!painter_) return;
    printer_->abort();
    painter_->end();
    painter_.reset();
}

std::unique_ptr<PrinterBackend> MakePrinterBackend() {
    if (Factory()) return Factory()();
    return std::make_unique<QtPrinterBackend>();
}

void SetPrinterBackendFactory(std::function<std::unique_ptr<PrinterBackend>()> factory) {
    Factory() = std::move(factory);
}

}  // namespace vellumo
