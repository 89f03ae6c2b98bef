#pragma once

#include "base/ErrorNumbers.h"

#include <QString>
#include <stdexcept>

namespace tikkeli {

// An error as the program reports it: a number (see ErrorNumbers.h) and a Finnish description.
// Operations that return their failure instead of throwing it hand one of these back; number 0
// means no error.
struct ErrorInfo {
    int number = 0;
    QString description;

    ErrorInfo() = default;
    ErrorInfo(int n, QString text) : number(n), description(std::move(text)) {}

    bool failed() const { return number != 0; }
    // "<number><separator><description>", the way messages show an error.
    QString text(const QString& separator = QStringLiteral(": ")) const
    {
        return QString::number(number) + separator + description;
    }
};

// The one base of every error the program throws (database, report, settings): whoever catches
// it can show its number and description without knowing where it came from.
class NumberedError : public std::runtime_error {
public:
    NumberedError(int number, const QString& description)
        : std::runtime_error(description.toStdString()), m_info(number, description)
    {
    }

    int number() const { return m_info.number; }
    const QString& description() const { return m_info.description; }
    const ErrorInfo& info() const { return m_info; }

private:
    ErrorInfo m_info;
};

} // namespace tikkeli
