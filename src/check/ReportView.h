#pragma once
// Where a check writes its report: the checker window implements it over its report box;
// the command line and the tests collect the lines.

#include <string>
#include <string_view>
#include <vector>

namespace vellumo {

class ReportView {
  public:
    virtual ~ReportView() = default;
    /// Adds text at the end of the report; a CR LF inside starts a new line.
    virtual void AppendLine(std::string_view text) = 0;
    /// True while the report still shows the usage text.
    virtual bool ShowingUsage() const = 0;
    /// Removes all text and leaves the usage state.
    virtual void BeginReports() = 0;
    /// Replaces the status line; the empty text clears it.
    virtual void SetStatus(std::string_view text) = 0;
    virtual void FocusReport() = 0;
};

/// A report that keeps its lines in memory (UTF-8, one entry per line, no line ends).
class CollectingReportView : public ReportView {
  public:
    explicit CollectingReportView(bool showingUsage = false) : usage_(showingUsage) {}

    void AppendLine(std::string_view text) override;
    bool ShowingUsage() const override { return usage_; }
    void BeginReports() override;
    void SetStatus(std::string_view text) override { status_ = text; }
    void FocusReport() override { ++focusCount_; }

    const std::vector<std::string>& Lines() const { return lines_; }
    const std::string& Status() const { return status_; }
    int FocusCount() const { return focusCount_; }
    /// Forgets the lines and the status, keeping the usage state.
    void Clear();

  private:
    std::vector<std::string> lines_;
    std::string status_;
    bool usage_ = false;
    int focusCount_ = 0;
};

}  // namespace vellumo
