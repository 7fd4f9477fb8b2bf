#pragma once
// Printing through Qt: the installed CUPS printers, or a PDF file written by Qt's own PDF
// output (the same geometry without a printing system). The sheet is drawn in full-page
// mode, so the painter's origin is the sheet's physical corner.

#include <QString>
#include <functional>
#include <memory>

#include "print/PrinterBackend.h"

class QPainter;
class QPrinter;

namespace vellumo {

class QtPrinterBackend : public PrinterBackend {
  public:
    /// The installed printers; the system's default printer is current.
    QtPrinterBackend();
    /// A PDF file at `pdfPath` in place of a printer (named "PDF").
    explicit QtPrinterBackend(const QString& pdfPath);
    ~QtPrinterBackend() override;

    /// The printer the setup dialog works on.
    QPrinter& Printer() { return *printer_; }

    std::vector<std::string> PrinterNames() override;
    std::string DefaultPrinterName() override;
    std::string CurrentPrinterName() override;
    void SetCurrentPrinter(const std::string& name) override;
    bool SetPaperCode(int code) override;
    bool SetLandscape() override;
    DeviceCaps Caps() override;
    bool MakesCopies() override;
    void BeginJob(const std::string& title, int copies) override;
    void SetTransform(const PageTransform& transform) override;
    void DrawFrame(const LogicalRect& rect, int penWidth) override;
    void DrawPicture(const Bitmap& picture24, const LogicalRect& rect) override;
    void EndJob() override;
    void AbortJob() override;

  private:
    bool ToFile() const { return !pdfPath_.isEmpty(); }
    /// A PDF file instead of a printer: this backend's own, or one chosen in the setup
    /// dialog ("PDF ファイルに出力").
    bool PrintsToFile() const;
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<QPainter> painter_;
    QString pdfPath_;
};

/// The printing system a new viewer uses: Qt's, unless SetPrinterBackendFactory installed
/// another.
std::unique_ptr<PrinterBackend> MakePrinterBackend();
/// Installs the maker of the viewers' printing systems (empty restores Qt's).
void SetPrinterBackendFactory(std::function<std::unique_ptr<PrinterBackend>()> factory);

}  // namespace vellumo
