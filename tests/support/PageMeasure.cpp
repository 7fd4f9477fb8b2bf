#include "support/PageMeasure.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "support/TempDir.h"

namespace vellumo::test {

namespace {

std::string Quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string CommandOutput(const std::string& command) {
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
        pclose(p);
    }
    return out;
}

}  // namespace

bool HavePoppler() {
    return std::system(
               "command -v pdftoppm > /dev/null 2>&1 && command -v pdfinfo > /dev/null 2>&1") == 0;
}

int PdfPageCount(const std::string& pdf) {
    std::istringstream lines(CommandOutput("pdfinfo " + Quoted(pdf) + " 2>/dev/null"));
    std::string line;
    while (std::getline(lines, line))
        if (line.rfind("Pages:", 0) == 0) return std::atoi(line.c_str() + 6);
    return 0;
}

std::optional<MeasuredPage> MeasuredPage::Render(const std::string& pdf, int page, int dpi,
                                                 bool asLandscape) {
    TempDir dir;
    const std::string stem = dir.File("page");
    const std::string command = "pdftoppm -r " + std::to_string(dpi) +
                                " -mono -aa no -aaVector no -singlefile -f " +
                                std::to_string(page) + " -l " + std::to_string(page) + " " +
                                Quoted(pdf) + " " + Quoted(stem) + " 2>/dev/null";
    if (std::system(command.c_str()) != 0) return std::nullopt;
    MeasuredPage m;
    m.bits_ = ReadAll(stem + ".pbm");
    // "P4\n<w> <h>\n" and the rows, one bit per pixel, set for black.
    std::string header(m.bits_.begin(), m.bits_.begin() + std::min<size_t>(m.bits_.size(), 64));
    std::istringstream in(header);
    std::string magic;
    int w = 0, h = 0;
    in >> magic >> w >> h;
    if (magic != "P4" || w <= 0 || h <= 0) return std::nullopt;
    m.offset_ = size_t(in.tellg()) + 1;
    m.row_bytes_ = (size_t(w) + 7) / 8;
    if (m.bits_.size() < m.offset_ + m.row_bytes_ * size_t(h)) return std::nullopt;
    m.dpi_ = dpi;
    m.turned_ = asLandscape && h > w;
    m.width_ = m.turned_ ? h : w;
    m.height_ = m.turned_ ? w : h;
    return m;
}

bool MeasuredPage::Dark(int x, int y) const {
    // Turned: landscape (x, y) is stored at column y, row (stored height − 1 − x).
    const size_t column = turned_ ? size_t(y) : size_t(x);
    const size_t row = turned_ ? size_t(width_ - 1 - x) : size_t(y);
    return (bits_[offset_ + row * row_bytes_ + column / 8] >> (7 - column % 8)) & 1;
}

std::vector<DarkRun> MeasuredPage::Runs(int count, bool row, int fixed) const {
    std::vector<DarkRun> runs;
    int start = -1;
    for (int i = 0; i <= count; ++i) {
        const bool dark = i < count && (row ? Dark(i, fixed) : Dark(fixed, i));
        if (dark && start < 0) start = i;
        if (!dark && start >= 0) {
            runs.push_back({start * 25.4 / dpi_, i * 25.4 / dpi_});
            start = -1;
        }
    }
    return runs;
}

std::vector<DarkRun> MeasuredPage::RunsAlongRow(double yMm) const {
    const int y = int(yMm * dpi_ / 25.4);
    if (y < 0 || y >= height_) return {};
    return Runs(width_, true, y);
}

std::vector<DarkRun> MeasuredPage::RunsAlongColumn(double xMm) const {
    const int x = int(xMm * dpi_ / 25.4);
    if (x < 0 || x >= width_) return {};
    return Runs(height_, false, x);
}

}  // namespace vellumo::test
