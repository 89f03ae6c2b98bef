#pragma once

#include <QString>
#include <stdexcept>

namespace tikkeli {

// Error numbers of the report engine. Windows show them with "Virhe tulostettaessa raporttia: ",
// so they keep the numbers the club's users knew from the old report control.
namespace ReportErr {
constexpr int CannotOpenReport = 20504;     // the report file is missing or unreadable
constexpr int FormulaError = 20515;         // a selection formula, sort field or field name refused
constexpr int InvalidReport = 20525;        // the report file is not a valid report definition
constexpr int DatabaseError = 20532;        // the database refused the report's query
constexpr int CannotOpenDatabase = 20533;   // the data file cannot be opened
constexpr int PrinterError = 20544;         // the printer, preview or PDF file failed
constexpr int BadIndex = 20510;             // an indexed property out of its range
} // namespace ReportErr

// Thrown by the report engine; carries the number and a Finnish description.
class ReportException : public std::runtime_error {
public:
    ReportException(int number, const QString& description)
        : std::runtime_error(description.toStdString()), m_number(number), m_description(description) {}
    int number() const { return m_number; }
    const QString& description() const { return m_description; }

private:
    int m_number;
    QString m_description;
};

} // namespace tikkeli
