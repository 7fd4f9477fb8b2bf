#include "check/ReportView.h"

namespace vellumo {

void CollectingReportView::AppendLine(std::string_view text) {
    size_t start = 0;
    for (;;) {
        const size_t crlf = text.find("\r\n", start);
        if (crlf == std::string_view::npos) {
            lines_.emplace_back(text.substr(start));
            return;
        }
        lines_.emplace_back(text.substr(start, crlf - start));
        start = crlf + 2;
    }
}

void CollectingReportView::BeginReports() {
    lines_.clear();
    usage_ = false;
}

void CollectingReportView::Clear() {
    lines_.clear();
    status_.clear();
}

}  // namespace vellumo
