#include "members/MemberImportFormat.h"

namespace tikkeli {

MemberImportFormat MemberImportFormat::fromChoices(const QString& separatorChoice, const QString& quoteChoice)
{
    QString separator = separatorChoice;
    if (separator == QLatin1String("TAB"))
        separator = QStringLiteral("\t");
    else if (separator == QLatin1String("SPACE"))
        separator = QStringLiteral(" ");
    return MemberImportFormat(separator, quoteChoice);
}

QString MemberImportFormat::StripChar(const QString& text, const QString& ch)
{
    if (ch.isEmpty())
        return text;
    QString s = text;
    if (s.startsWith(ch))
        s.remove(0, ch.size());
    if (s.endsWith(ch))
        s.chop(ch.size());
    return s;
}

QStringList MemberImportFormat::plainSplit(const QString& line) const
{
    QStringList fields = m_separator.isEmpty() ? QStringList{line} : line.split(m_separator);
    for (QString& f : fields)
        f = StripChar(f, m_quote);
    return fields;
}

std::optional<QStringList> MemberImportFormat::split(const QString& line) const
{
    // A quote that is several characters long, or a separator that contains it, cannot protect
    // anything: such a format splits plainly, as a file without quotes.
    if (m_quote.size() != 1 || m_separator.isEmpty() || m_separator.contains(m_quote))
        return plainSplit(line);

    const QChar q = m_quote[0];
    QStringList fields;
    const qsizetype n = line.size();
    qsizetype pos = 0;
    while (true) {
        const qsizetype fieldStart = pos;
        if (pos < n && line[pos] == q) {
            QString value;
            qsizetype i = pos + 1;
            bool closed = false;
            while (i < n) {
                if (line[i] == q) {
                    if (i + 1 < n && line[i + 1] == q) {
                        value += q;
                        i += 2;
                        continue;
                    }
                    closed = true;
                    ++i;
                    break;
                }
                value += line[i++];
            }
            if (!closed)
                return std::nullopt;
            if (i == n || line.mid(i, m_separator.size()) == m_separator) {
                fields.append(value);
                pos = i;
            } else {
                // Text after the closing quote: the field was not quoted after all; take it as it
                // stands up to the next separator.
                const qsizetype next = line.indexOf(m_separator, i);
                const qsizetype end = next < 0 ? n : next;
                fields.append(StripChar(line.mid(fieldStart, end - fieldStart), m_quote));
                pos = end;
            }
        } else {
            const qsizetype next = line.indexOf(m_separator, pos);
            const qsizetype end = next < 0 ? n : next;
            fields.append(StripChar(line.mid(pos, end - pos), m_quote));
            pos = end;
        }
        if (pos >= n)
            break;
        pos += m_separator.size();
        if (pos == n) {
            fields.append(QString());
            break;
        }
    }
    return fields;
}

} // namespace tikkeli
