// The check report: findings one per line, joined by single line feeds, never starting or ending
// with one. Callers only ask whether it is empty; the warnings dialog shows it as it is.
#pragma once

#include <string>

inline void appendReportLine(std::wstring& report, const std::wstring& line) {
    if (!report.empty()) report += L'\n';
    report += line;
}
