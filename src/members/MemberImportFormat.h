#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace tikkeli {

// How the fields of an import line are told apart: the separator (any text, "" = the whole line is
// one field) and the quote character around fields ("" = none).
class MemberImportFormat {
public:
    MemberImportFormat() = default;
    MemberImportFormat(QString separator, QString quote) : m_separator(std::move(separator)), m_quote(std::move(quote)) {}

    // From the separators dialog's texts: "TAB" is the tab character and "SPACE" one space; any
    // other text is taken as typed. A cancelled dialog gives two empty texts.
    static MemberImportFormat fromChoices(const QString& separatorChoice, const QString& quoteChoice);

    const QString& separator() const { return m_separator; }
    const QString& quote() const { return m_quote; }

    // The fields of a line. Every separator splits (two adjacent ones give an empty field), except
    // inside a field that begins with the quote character: there the separator is text, a doubled
    // quote stands for one, and the closing quote ends the field. Quotes at either end of a field are
    // removed as StripChar does. nullopt when a quoted field is not closed on its line.
    std::optional<QStringList> split(const QString& line) const;

    // Removes one ch from the start and one from the end of the text, each only when it is there.
    static QString StripChar(const QString& text, const QString& ch);

private:
    QStringList plainSplit(const QString& line) const;

    QString m_separator;
    QString m_quote;
};

} // namespace tikkeli
