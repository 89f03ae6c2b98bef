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
#include "maps/MapStorage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
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

// The sample club's map: an invented landscape of forest, fields, lakes, a river, roads, houses and
// a kilometre grid, as a map scanned at 1:20000 with 5 pixels per millimetre (4 metres a pixel).
// data/sample/rj.tsv draws estate boundaries on it, in map twips (15 per pixel). Drawn without
// text, so no font (and no display) is needed.
constexpr int SampleMapWidth = 2000;
constexpr int SampleMapHeight = 1500;
constexpr int SampleMapScale = 20000;
constexpr double SampleMapTwipsPerMillimetre = 15.0 * 5.0;

QByteArray drawSampleMap()
{
    QImage image(SampleMapWidth, SampleMapHeight, QImage::Format_RGB32);
    image.fill(QColor(0xa8, 0xcc, 0x8f));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    // Forest texture: darker tufts scattered by a fixed sequence, so every build draws the same map.
    quint32 lcg = 28;
    const auto next = [&lcg](int range) {
        lcg = lcg * 1664525u + 1013904223u;
        return int((lcg >> 8) % quint32(range));
    };
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x86, 0xb3, 0x6e));
    for (int i = 0; i < 9000; ++i)
        p.drawEllipse(QPointF(next(SampleMapWidth), next(SampleMapHeight)), 2.5, 2.5);

    // Fields and meadows.
    p.setBrush(QColor(0xf1, 0xe7, 0xa6));
    p.setPen(QPen(QColor(0xc9, 0xb8, 0x6a), 1.5));
    const QPolygonF fields[] = {
        QPolygonF({QPointF(120, 960), QPointF(330, 945), QPointF(350, 1060), QPointF(140, 1080)}),
        QPolygonF({QPointF(560, 980), QPointF(780, 960), QPointF(800, 1120), QPointF(600, 1150), QPointF(545, 1060)}),
        QPolygonF({QPointF(560, 1250), QPointF(760, 1230), QPointF(770, 1420), QPointF(575, 1430)}),
        QPolygonF({QPointF(1640, 860), QPointF(1960, 820), QPointF(1980, 1010), QPointF(1700, 1050)}),
        QPolygonF({QPointF(1100, 180), QPointF(1380, 160), QPointF(1390, 300), QPointF(1120, 320)}),
    };
    for (const QPolygonF& f : fields)
        p.drawPolygon(f);

    // Lakes, and the river that runs out of the big one.
    const QColor water(0x8c, 0xc0, 0xe8);
    const QPen shore(QColor(0x3d, 0x7f, 0xbf), 2.0);
    QPainterPath river(QPointF(1500, 520));
    river.cubicTo(QPointF(1650, 480), QPointF(1780, 330), QPointF(2000, 380));
    QPainterPath brook(QPointF(330, 1170));
    brook.cubicTo(QPointF(220, 1250), QPointF(120, 1200), QPointF(0, 1310));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(shore.color(), 9, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(river);
    p.setPen(QPen(shore.color(), 5, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(brook);
    p.setPen(shore);
    p.setBrush(water);
    p.drawEllipse(QPointF(1250, 520), 260, 170);
    p.drawEllipse(QPointF(1140, 640), 120, 70);
    p.drawEllipse(QPointF(420, 1150), 120, 80);
    p.drawEllipse(QPointF(1700, 1200), 70, 50);

    // Roads: the main road across the map and two side roads.
    const auto road = [&p](const QPolygonF& line, qreal width, const QColor& fill) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(0x55, 0x44, 0x33), width + 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(line);
        p.setPen(QPen(fill, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(line);
    };
    road(QPolygonF({QPointF(0, 900), QPointF(500, 870), QPointF(900, 930), QPointF(1400, 860), QPointF(2000, 760)}), 8,
         QColor(0xf2, 0xa6, 0x3b));
    road(QPolygonF({QPointF(900, 930), QPointF(870, 1200), QPointF(820, 1500)}), 5, QColor(0xff, 0xff, 0xff));
    road(QPolygonF({QPointF(1400, 860), QPointF(1560, 600), QPointF(1500, 0)}), 5, QColor(0xff, 0xff, 0xff));

    // Houses along the roads.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x30, 0x30, 0x30));
    const QPointF houses[] = {QPointF(480, 845),  QPointF(530, 895),  QPointF(940, 955),  QPointF(1360, 835),
                              QPointF(895, 1180), QPointF(1485, 300), QPointF(1720, 790), QPointF(1880, 740)};
    for (const QPointF& h : houses)
        p.drawRect(QRectF(h, QSizeF(12, 9)));

    // The kilometre grid (250 pixels).
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(QColor(0x50, 0x60, 0x90, 150), 1));
    for (int x = 250; x < SampleMapWidth; x += 250)
        p.drawLine(x, 0, x, SampleMapHeight);
    for (int y = 250; y < SampleMapHeight; y += 250)
        p.drawLine(0, y, SampleMapWidth, y);
    p.setPen(QPen(QColor(0x20, 0x20, 0x20), 3));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(1, 1, SampleMapWidth - 3, SampleMapHeight - 3));
    p.end();

    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        throw BuildError(QStringLiteral("karttakuvan tallennus ei onnistunut"));
    return png;
}

void storeSampleMap(Database& db)
{
    MapStorage::SavePictureBytes(db, drawSampleMap());
    MapStorage::SaveMapScale(db, SampleMapScale);
    MapStorage::SaveMapPixelRatio(db, SampleMapTwipsPerMillimetre);
}

// Builds into a temporary file beside the target and renames it into place only when complete.
void build(const QString& target, const QString& sampleFolder, bool withMap)
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
        if (withMap)
            storeSampleMap(db);
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
            build(templatePath, QDir(data).filePath(QStringLiteral("template")), false);
        if (!samplePath.isEmpty())
            build(samplePath, QDir(data).filePath(QStringLiteral("sample")), true);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tikkeli_makedb: %s\n", e.what());
        return 1;
    }
    return 0;
}
