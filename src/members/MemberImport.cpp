#include "members/MemberImport.h"

#include "base/SharedState.h"
#include "db/ClubChanges.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "db/Transaction.h"
#include "members/MemberImportFields.h"
#include "settings/DatabaseSettingsStore.h"

#include <limits>
#include <map>
#include <optional>

namespace tikkeli {

namespace {

QString dbErrorText(const DbException& e)
{
    return QStringLiteral("Tapahtui virhe: %1 / %2").arg(e.number()).arg(e.description());
}

// Member numbers are compared as the register compares them: without regard to case.
QString numberKey(const QString& number)
{
    return number.toCaseFolded();
}

// The number as a counter value, when it is one (digits only, within the counter's range).
std::optional<qint32> counterValue(const QString& number)
{
    bool ok = false;
    const qint64 n = number.toLongLong(&ok);
    for (const QChar c : number)
        if (c < u'0' || c > u'9')
            return std::nullopt;
    if (!ok || n < 0 || n > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return qint32(n);
}

QString lineList(const std::vector<MemberImport::Change>& changes)
{
    QStringList parts;
    for (const MemberImport::Change& c : changes)
        parts << QStringLiteral("%1 (%2)").arg(c.line).arg(c.field);
    return parts.join(QStringLiteral(", "));
}

} // namespace

bool MemberImport::isHeading(const QStringList& fields, const std::vector<int>& fieldCodes)
{
    bool mapped = false;
    const qsizetype columns = std::min<qsizetype>(fields.size(), qsizetype(fieldCodes.size()));
    for (qsizetype j = 0; j < qsizetype(fieldCodes.size()); ++j) {
        const int code = fieldCodes[std::size_t(j)];
        if (MemberImportFields::fieldName(code).isEmpty())
            continue;
        mapped = true;
        if (j >= columns)
            return false;
        const QString text = fields[j].trimmed();
        if (text.compare(MemberImportFields::entries().at(code), Qt::CaseInsensitive) != 0
            && text.compare(MemberImportFields::fieldName(code), Qt::CaseInsensitive) != 0)
            return false;
    }
    return mapped;
}

QString MemberImport::Result::summary() const
{
    QString text = QStringLiteral("Tietokantaan lisättiin %1 jäsentä.").arg(imported);
    if (headingSkipped)
        text += QStringLiteral("\nEnsimmäinen rivi on otsikkorivi, sitä ei tuotu.");
    if (!cut.empty())
        text += QStringLiteral("\nKentän pituuteen lyhennettiin arvot riveillä: ") + lineList(cut) + QLatin1Char('.');
    if (!unreadDates.empty())
        text += QStringLiteral("\nPäivämäärää ei voitu lukea, kenttä jäi tyhjäksi riveillä: ") + lineList(unreadDates)
                + QLatin1Char('.');
    return text;
}

MemberImport::Result MemberImport::run(Database& db, const MemberImportFile& file, const std::vector<int>& fieldCodes,
                                       const Progress& progress)
{
    Result result;
    const auto& allRows = file.rows();
    std::size_t first = 0;
    if (!allRows.empty() && isHeading(allRows.front().fields, fieldCodes)) {
        result.headingSkipped = true;
        first = 1;
    }
    const int total = int(allRows.size() - first);
    const QString numberField = MemberImportFields::fieldName(MemberImportFields::MemberNumber);

    // Every line read and checked before anything is written.
    std::vector<std::pair<int, std::map<QString, Value>>> lines;
    lines.reserve(allRows.size() - first);
    for (std::size_t i = first; i < allRows.size(); ++i) {
        const MemberImportRow& row = allRows[i];
        // Ordered by field name, so lines that fill the same fields share one prepared statement.
        std::map<QString, Value> values;
        const qsizetype columns = std::min<qsizetype>(row.fields.size(), qsizetype(fieldCodes.size()));
        for (qsizetype j = 0; j < columns; ++j) {
            const int code = fieldCodes[size_t(j)];
            const QString field = MemberImportFields::fieldName(code);
            if (field.isEmpty() || row.fields[j].isEmpty())
                continue;
            const MemberImportFields::Fitted fitted = MemberImportFields::Fit(code, row.fields[j]);
            const Change change{row.lineNumber, MemberImportFields::entries().at(code)};
            if (fitted.cut)
                result.cut.push_back(change);
            if (fitted.value.isNull()) {
                result.unreadDates.push_back(change);
                continue;
            }
            values[field] = fitted.value;
        }
        lines.emplace_back(row.lineNumber, std::move(values));
    }

    int lineNumber = 0;
    try {
        Transaction transaction(db);
        // Member numbers: none taken already, none twice in the file.
        std::map<QString, int> fileNumbers; // key -> line
        std::optional<qint32> largest;
        for (const auto& [line, values] : lines) {
            const auto found = values.find(numberField);
            if (found == values.end())
                continue;
            const QString number = found->second.toString();
            const auto [at, inserted] = fileNumbers.emplace(numberKey(number), line);
            if (!inserted) {
                result.failedLine = line;
                result.error = QStringLiteral("Jäsennumero %1 on tiedostossa kahdesti: rivit %2 ja %3. Tietokantaan ei "
                                              "tuotu yhtään jäsentä.")
                                   .arg(number)
                                   .arg(at->second)
                                   .arg(line);
                return result;
            }
            if (db.scalar(QStringLiteral("SELECT COUNT(*) FROM jr WHERE jrJasennumero = ? COLLATE FI"), {number}).toInt64()
                > 0) {
                result.failedLine = line;
                result.error = QStringLiteral("Jäsennumero %1 (tiedoston rivi %2) on jo toisella jäsenellä. Tietokantaan "
                                              "ei tuotu yhtään jäsentä.")
                                   .arg(number)
                                   .arg(line);
                return result;
            }
            if (const auto n = counterValue(number); n && (!largest || *n > *largest))
                largest = n;
        }

        SharedState& state = State();
        qint64 counter = state.MemberNumberCounter;
        if (largest && *largest >= counter)
            counter = qint64(*largest) + 1;
        if (state.AutoMemberNumbers) {
            for (auto& [line, values] : lines) {
                if (values.count(numberField))
                    continue;
                // The counter may lag behind numbers typed by hand: the next free one is given.
                while (counter <= std::numeric_limits<qint32>::max()
                       && (fileNumbers.count(numberKey(QString::number(counter)))
                           || db.scalar(QStringLiteral("SELECT COUNT(*) FROM jr WHERE jrJasennumero = ? COLLATE FI"),
                                        {QString::number(counter)})
                                      .toInt64()
                                  > 0))
                    ++counter;
                if (counter > std::numeric_limits<qint32>::max())
                    throw DbException(DbErr::Overflow, QStringLiteral("Jäsennumerot loppuivat (ylivuoto)."));
                values[numberField] = Value(QString::number(counter));
                ++counter;
            }
        }
        const bool counterMoved = counter != state.MemberNumberCounter;
        if (counter > std::numeric_limits<qint32>::max())
            counter = std::numeric_limits<qint32>::max();

        for (auto& [line, values] : lines) {
            lineNumber = line;
            if (values.empty()) {
                db.execute(QStringLiteral("INSERT INTO jr DEFAULT VALUES"));
            } else {
                QStringList names;
                QStringList marks;
                Params params;
                for (auto& [name, value] : values) {
                    names.append(name);
                    marks.append(QStringLiteral("?"));
                    params.push_back(value);
                }
                db.execute(QStringLiteral("INSERT INTO jr (%1) VALUES (%2)").arg(names.join(u','), marks.join(u',')),
                           params);
            }
            ++result.imported;
            if (progress)
                progress(result.imported, total);
        }
        lineNumber = 0;
        if (counterMoved)
            DatabaseSettingsStore(db, QStringLiteral("TIKKELI")).write(QString::number(counter), QStringLiteral("Jasennro"));
        if (result.imported > 0)
            ClubChanges::announce(db, ClubChanges::Kind::Members);
        transaction.commit();
        if (counterMoved)
            state.MemberNumberCounter = qint32(counter);
    } catch (const DbException& e) {
        result.imported = 0;
        result.failedLine = lineNumber;
        result.error = dbErrorText(e);
        if (lineNumber > 0)
            result.error += QStringLiteral("\nTiedoston rivi %1. Tietokantaan ei tuotu yhtään jäsentä.").arg(lineNumber);
        else
            result.error += QStringLiteral("\nTietokantaan ei tuotu yhtään jäsentä.");
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace tikkeli
