#include "members/MemberImport.h"

#include "db/Database.h"
#include "db/Transaction.h"
#include "members/MemberImportFields.h"

#include <map>

namespace tikkeli {

namespace {

QString dbErrorText(const DbException& e)
{
    return QStringLiteral("Tapahtui virhe: %1 / %2").arg(e.number()).arg(e.description());
}

} // namespace

MemberImport::Result MemberImport::run(Database& db, const MemberImportFile& file, const std::vector<int>& fieldCodes,
                                       const Progress& progress)
{
    Result result;
    const auto& rows = file.rows();
    const int total = int(rows.size());
    int lineNumber = 0;
    try {
        Transaction transaction(db);
        for (const MemberImportRow& row : rows) {
            lineNumber = row.lineNumber;
            // Ordered by field name, so lines that fill the same fields share one prepared statement.
            std::map<QString, Value> values;
            const qsizetype columns = std::min<qsizetype>(row.fields.size(), qsizetype(fieldCodes.size()));
            for (qsizetype j = 0; j < columns; ++j) {
                const QString field = MemberImportFields::fieldName(fieldCodes[size_t(j)]);
                if (field.isEmpty())
                    continue;
                Value v = MemberImportFields::FitValue(fieldCodes[size_t(j)], row.fields[j]);
                if (!v.isNull())
                    values[field] = std::move(v);
            }
            if (values.empty()) {
                db.execute(QStringLiteral("INSERT INTO jr DEFAULT VALUES"));
            } else {
                QStringList names;
                QStringList marks;
                Params params;
                for (auto& [name, value] : values) {
                    names.append(name);
                    marks.append(QStringLiteral("?"));
                    params.push_back(std::move(value));
                }
                db.execute(QStringLiteral("INSERT INTO jr (%1) VALUES (%2)").arg(names.join(u','), marks.join(u',')),
                           params);
            }
            ++result.imported;
            if (progress)
                progress(result.imported, total);
        }
        lineNumber = 0;
        transaction.commit();
    } catch (const DbException& e) {
        result.imported = 0;
        result.failedLine = lineNumber;
        result.error = dbErrorText(e);
        if (lineNumber > 0)
            result.error += QStringLiteral("\nTiedoston rivi %1. Tietokantaan ei tuotu yhtään jäsentä.").arg(lineNumber);
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace tikkeli
