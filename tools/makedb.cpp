// Lays down the shipped databases from the sources in data/: the empty template (the base tables
// in their template shape, brought to the current schema by the upgrade) and the sample club (the
// same, then filled from data/sample/<table>.tsv; the template gets data/template/<table>.tsv, a new
// club's default settings).
//
// A .tsv file: UTF-8, lines starting with '#' are comments, the first other line names the
// fields, each further line is one row with its values separated by tabs. An empty value is Null;
// \t, \n and \\ stand for a tab, a line break and a backslash. Dates are yyyy-MM-dd (optionally
// with " HH:mm:ss"), amounts and other numbers use a decimal point, yes/no fields are 1 or 0.
#include "base/FileSafety.h"
#include "base/ScriptedPrompter.h"
#include "db/Catalogue.h"
#include "base/Currency.h"
#include "db/Database.h"
#include "db/DatabaseFiles.h"
#include "db/DbError.h"
#include "db/Schema.h"
#include "db/SchemaDdl.h"
#include "db/Transaction.h"
#include "db/UpdateDatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>
#include <stdexcept>

using namespace tikkeli;

namespace {

struct BuildError : std::runtime_error {
    explicit BuildError(const QString& text) : std::runtime_error(text.toStdString()) {}
};

QString unescape(const QString& s)
{
    QString out;
    out.reserve(s.size());
    for (int i = 0; i < s.size(); ++i) {
        if (s[i] != QLatin1Char('\\') || i + 1 == s.size()) {
            out += s[i];
            continue;
        }
        const QChar c = s[++i];
        out += c == QLatin1Char('t') ? QChar(QLatin1Char('\t')) : c == QLatin1Char('n') ? QChar(QLatin1Char('\n')) : c;
    }
    return out;
}

Value parseValue(const FieldDef& f, const QString& raw)
{
    if (raw.isEmpty())
        return Value::null();
    bool ok = true;
    Value v;
    switch (f.type) {
    case FieldType::Boolean:
        ok = raw == QLatin1String("1") || raw == QLatin1String("0");
        v = raw == QLatin1String("1");
        break;
    case FieldType::Byte:
    case FieldType::Integer:
    case FieldType::Long: v = raw.toInt(&ok); break;
    case FieldType::Currency:
        if (const auto c = Currency::parse(raw))
            v = *c;
        else
            ok = false;
        break;
    case FieldType::Single:
    case FieldType::Double: v = raw.toDouble(&ok); break;
    case FieldType::Date: {
        QDateTime dt = QDateTime::fromString(raw, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (!dt.isValid())
            dt = QDateTime(QDate::fromString(raw, QStringLiteral("yyyy-MM-dd")), QTime(0, 0));
        ok = dt.isValid();
        v = dt;
        break;
    }
    case FieldType::LongBinary: v = QByteArray::fromHex(raw.toLatin1()); break;
    case FieldType::Text:
    case FieldType::Memo: v = unescape(raw); break;
    }
    if (!ok)
        throw BuildError(QStringLiteral("kenttä %1: arvo \"%2\" ei kelpaa").arg(f.name, raw));
    return v;
}

// One table's rows; the table is named by the file.
void loadTable(Database& db, const Catalogue& cat, const QString& path)
{
    const QString tableName = QFileInfo(path).completeBaseName();
    const TableDef* table = cat.table(tableName);
    if (!table)
        throw BuildError(QStringLiteral("%1: taulua %2 ei ole").arg(path, tableName));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw BuildError(QStringLiteral("%1: %2").arg(path, file.errorString()));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));

    std::vector<const FieldDef*> fields;
    QString insert;
    for (int n = 0; n < lines.size(); ++n) {
        QString line = lines[n];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList cells = line.split(QLatin1Char('\t'));
        const QString where = QStringLiteral("%1:%2: ").arg(path).arg(n + 1);
        if (fields.empty()) {
            QStringList names;
            for (const QString& c : cells) {
                const FieldDef* f = table->field(c);
                if (!f)
                    throw BuildError(where + QStringLiteral("taulussa %1 ei ole kenttää %2").arg(tableName, c));
                fields.push_back(f);
                names << SchemaDdl::quoteName(f->name);
            }
            insert = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                         .arg(SchemaDdl::quoteName(table->name), names.join(QLatin1String(", ")),
                              QStringList(names.size(), QStringLiteral("?")).join(QLatin1String(", ")));
            continue;
        }
        if (cells.size() != int(fields.size()))
            throw BuildError(where + QStringLiteral("%1 arvoa, odotettiin %2").arg(cells.size()).arg(fields.size()));
        Params params;
        try {
            for (size_t i = 0; i < fields.size(); ++i)
                params.push_back(parseValue(*fields[i], cells[int(i)]));
            db.execute(insert, params);
        } catch (const BuildError& e) {
            throw BuildError(where + QString::fromStdString(e.what()));
        } catch (const DbException& e) {
            throw BuildError(where + e.description());
        }
    }
}

void loadSample(Database& db, const QString& folder)
{
    const Catalogue cat = Catalogue::read(db);
    const QDir dir(folder);
    const QStringList files = dir.entryList({QStringLiteral("*.tsv")}, QDir::Files, QDir::Name);
    if (files.isEmpty())
        throw BuildError(QStringLiteral("%1: ei aineistotiedostoja").arg(folder));
    Transaction tx(db);
    for (const QString& f : files)
        loadTable(db, cat, dir.filePath(f));
    // The invoices of the history keep the numbers they had in jm, and their rows point at them:
    // the next invoice of a run must not get one of those numbers again.
    const Value lastMoved = db.scalar(QStringLiteral("SELECT MAX(jmhjmID) FROM jmhist"));
    if (!lastMoved.isNull()) {
        db.execute(QStringLiteral("DELETE FROM sqlite_sequence WHERE name = ?"), {QStringLiteral("jm")});
        db.execute(QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES (?, ?)"),
                   {QStringLiteral("jm"), lastMoved});
    }
    tx.commit();
}

// Builds into a temporary file beside the target and renames it into place only when complete.
void build(const QString& target, const QString& sampleFolder)
{
    const QString temp = target + QStringLiteral(".uusi");
    QFile::remove(temp);
    QFile::remove(temp + QStringLiteral("-journal"));
    try {
        Database db = Database::create(temp);
        Schema::createBaseTables(db);
        // A new file gets siPaikka at its full width, so the upgrade's one question cannot come;
        // should it, the answer that yields the current schema is Yes.
        ScriptedPrompter prompter;
        prompter.answerYes();
        UpdateDatabase(db);
        if (!sampleFolder.isEmpty())
            loadSample(db, sampleFolder);
        db.close();
        if (const auto e = FileSafety::instance().publish(temp, target, FileSafety::Existing::Replace))
            throw BuildError(QStringLiteral("%1: %2").arg(target, e->text()));
    } catch (const DbException& e) {
        QFile::remove(temp);
        throw BuildError(QStringLiteral("%1: %2 (%3)").arg(target, e.description()).arg(e.number()));
    } catch (...) {
        QFile::remove(temp);
        throw;
    }
}

QString option(const QStringList& args, const char* name)
{
    const int i = args.indexOf(QString::fromLatin1(name));
    return i >= 0 && i + 1 < args.size() ? args[i + 1] : QString();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString data = option(args, "--data");
    const QString templatePath = option(args, "--template");
    const QString samplePath = option(args, "--sample");
    if (data.isEmpty() || (templatePath.isEmpty() && samplePath.isEmpty())) {
        std::fprintf(stderr, "käyttö: tikkeli_makedb --data <kansio> [--template <malli.mdb>] [--sample <demo1.mdb>]\n");
        return 2;
    }
    try {
        if (!templatePath.isEmpty())
            // The template carries a new club's default settings, marked as kept in the database,
            // so a founded database starts straight into the program.
            build(templatePath, QDir(data).filePath(QStringLiteral("template")));
        if (!samplePath.isEmpty())
            build(samplePath, QDir(data).filePath(QStringLiteral("sample")));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tikkeli_makedb: %s\n", e.what());
        return 1;
    }
    return 0;
}
