#pragma once

#include "members/MemberImportFormat.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace tikkeli {

// One line of an import file that becomes a member: its line number in the file (from 1) and its
// fields.
struct MemberImportRow {
    int lineNumber = 0;
    QStringList fields;
};

// An import file read in its encoding and split into fields. Lines without any content (empty,
// blanks only, or only separators and quotes) are left out: they would become empty members. A
// line with a NUL character refuses the file: that is no text the program can read.
class MemberImportFile {
public:
    static constexpr int PreviewLines = 6;
    // The columns the user can map: a first line with more fields was most likely split with the
    // wrong separator, and a row of controls per field would make the window unusable.
    static constexpr int MaxColumns = 100;

    // nullopt with a Finnish message in *error (naming the line of a malformed one) when the file
    // cannot be read or split.
    static std::optional<MemberImportFile> open(const QString& path, const MemberImportFormat& format,
                                                QString* error = nullptr);
    static std::optional<MemberImportFile> fromLines(const QStringList& lines, const MemberImportFormat& format,
                                                     QString* error = nullptr);

    // The fields of the first line with content (at least 1), and the columns the user maps: as
    // many, up to MaxColumns.
    int fieldCount() const;
    int columnCount() const;
    // Why columns were left out ("" when none were).
    QString columnCapMessage() const;
    // The lines that become members.
    int lineCount() const { return int(m_rows.size()); }
    const std::vector<MemberImportRow>& rows() const { return m_rows; }
    // The fields of the first lines, for the column preview: column j of each line, "" where the line
    // is shorter; fields beyond columnCount() are not shown.
    QList<QStringList> preview() const;

    // "Tiedostosta löytyy yhteensä 3 riviä." ("... 1 rivi." for one).
    static QString lineCountMessage(int count);

private:
    std::vector<MemberImportRow> m_rows;
};

} // namespace tikkeli
