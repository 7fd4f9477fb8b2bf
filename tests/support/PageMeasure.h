#pragma once
// Measuring a printed page: a PDF page rendered by poppler's pdftoppm at a known
// resolution, and the dark runs along a line across it, in millimetres from the sheet's
// top-left corner.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vellumo::test {

/// Whether poppler's pdftoppm and pdfinfo can be run.
bool HavePoppler();

/// The number of pages of a PDF file (0 when it cannot be read).
int PdfPageCount(const std::string& pdf);

/// A dark stretch along a line: from `start` to `end` millimetres.
struct DarkRun {
    double start = 0;
    double end = 0;
};

/// A page rendered in black and white, without anti-aliasing.
class MeasuredPage {
  public:
    /// Page `page` of `pdf` at `dpi`; a portrait sheet is turned back to landscape as a
    /// printer turns a landscape job (its left edge is the sheet's bottom). Nothing when
    /// the page cannot be rendered.
    static std::optional<MeasuredPage> Render(const std::string& pdf, int page, int dpi,
                                              bool asLandscape);

    double WidthMm() const { return width_ * 25.4 / dpi_; }
    double HeightMm() const { return height_ * 25.4 / dpi_; }
    /// The dark runs along the horizontal line `yMm` below the top edge, left to right.
    std::vector<DarkRun> RunsAlongRow(double yMm) const;
    /// The dark runs along the vertical line `xMm` from the left edge, top to bottom.
    std::vector<DarkRun> RunsAlongColumn(double xMm) const;

  private:
    bool Dark(int x, int y) const;
    std::vector<DarkRun> Runs(int count, bool row, int fixed) const;
    int width_ = 0, height_ = 0;  // as measured (after any turn)
    bool turned_ = false;
    int dpi_ = 0;
    std::vector<uint8_t> bits_;  // the whole PBM file
    size_t offset_ = 0, row_bytes_ = 0;
};

}  // namespace vellumo::test
