#pragma once

#include <QLoggingCategory>
#include <QString>

#include <exception>

namespace tikkeli {

// The program handles a failure in one of two ways, each with its helper, so that no failure
// disappears without a trace:
//  - IgnoringErrors: a step whose failure must not stop what it is part of (a cosmetic refresh, a
//    clean-up after another error, a best-effort write). What it drops is logged under the
//    category "tikkeli.ignored" (quiet unless `QT_LOGGING_RULES="tikkeli.ignored.info=true"`).
//  - ReportingErrors: a command whose failure the user must hear of: the message is shown through
//    the prompter and the command stops.
Q_DECLARE_LOGGING_CATEGORY(lcIgnoredErrors)

namespace detail {
void LogIgnored(const char* what, const std::exception* e) noexcept;
void ShowFailure(const QString& prefix, const std::exception& e);
} // namespace detail

// Runs step; a failure is logged with `what` (what was being done) and dropped. Returns whether
// the step ran to its end.
template <typename Step>
bool IgnoringErrors(const char* what, Step&& step) noexcept
{
    try {
        step();
        return true;
    } catch (const std::exception& e) {
        detail::LogIgnored(what, &e);
    } catch (...) {
        detail::LogIgnored(what, nullptr);
    }
    return false;
}

// Runs command; a failure is shown as a warning, `prefix` followed by "<number>: <description>"
// for the program's own errors, or by the failure's text for others. Returns whether the command
// ran to its end.
template <typename Command>
bool ReportingErrors(const QString& prefix, Command&& command)
{
    try {
        command();
        return true;
    } catch (const std::exception& e) {
        detail::ShowFailure(prefix, e);
    }
    return false;
}

} // namespace tikkeli
