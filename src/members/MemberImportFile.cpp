#include "members/MemberImportFile.h"

#include "base/OutsideTextFile.h"

#include <algorithm>

namespace tikkeli {

namespace {

bool hasContent(const QStringList& fields)
{
    for (const QString& f : fields)
        if (!f.trimmed().isEmpty())
            return true;
    return false;
}

} // namespace

std::optional<MemberImportFile> MemberImportFile::open(const QString& path, const MemberImportFormat& format, QString* error)
{
    const auto lines = OutsideTextFile::readLines(path, error);
    if (!lines)
        return std::nullopt;
    return fromLines(*lines, format, error);
}

std::optional<MemberImportFile> MemberImportFile::fromLines(const QStringList& lines, const MemberImportFormat& format,
                                                            QString* error)
{
    MemberImportFile file;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int lineNumber = int(i + 1);
        if (lines[i].contains(QChar(0))) {
            if (error)
                *error = QStringLiteral("Rivillä %1 on NUL-merkki, jota tekstitiedostossa ei ole. Tiedosto ei ole "
                                        "luettavaa tekstiä tai sen merkistö on tuntematon; mitään ei tuotu.")
                             .arg(lineNumber);
            return std::nullopt;
        }
        auto fields = format.split(lines[i]);
        if (!fields) {
            if (error)
                *error = QStringLiteral("Rivillä %1 lainausmerkki (%2) jää sulkematta. Korjaa tiedosto tai valitse "
                                        "toinen lainausmerkki; mitään ei tuotu.")
                             .arg(lineNumber)
                             .arg(format.quote());
            return std::nullopt;
        }
        if (hasContent(*fields))
            file.m_rows.push_back({lineNumber, std::move(*fields)});
    }
    return file;
}

int MemberImportFile::fieldCount() const
{
    return m_rows.empty() ? 1 : int(m_rows.front().fields.size());
}

int MemberImportFile::columnCount() const
{
    return std::min(fieldCount(), MaxColumns);
}

QString MemberImportFile::columnCapMessage() const
{
    if (fieldCount() <= MaxColumns)
        return {};
    return QStringLiteral("Tiedoston ensimmäisellä rivillä on %1 kenttää; vain %2 ensimmäistä voidaan tuoda. Tarkista "
                          "kenttien erotin.")
        .arg(fieldCount())
        .arg(MaxColumns);
}

QList<QStringList> MemberImportFile::preview() const
{
    QList<QStringList> out;
    const int columns = columnCount();
    for (size_t i = 0; i < m_rows.size() && i < size_t(PreviewLines); ++i) {
        QStringList fields = m_rows[i].fields.mid(0, columns);
        while (fields.size() < columns)
            fields.append(QString());
        out.append(fields);
    }
    return out;
}

QString MemberImportFile::lineCountMessage(int count)
{
    return QStringLiteral("Tiedostosta löytyy yhteensä %1 %2")
        .arg(count)
        .arg(count == 1 ? QStringLiteral("rivi.") : QStringLiteral("riviä."));
}

} // namespace tikkeli
