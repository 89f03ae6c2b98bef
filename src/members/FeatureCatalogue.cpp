#include "members/FeatureCatalogue.h"

#include "base/NullConversions.h"
#include "db/Transaction.h"
#include "members/FeatureValueText.h"
#include "members/InitialGroups.h"

#include <array>

namespace tikkeli {

namespace {

Value textOrNull(const QString& text)
{
    return text.isEmpty() ? Value() : Value(text);
}

struct KindField {
    const char* flag;
    std::optional<bool> FeatureDefinitionInput::*input;
    std::optional<bool> FeatureDefinitionView::*view;
};

constexpr std::array<KindField, 4> kinds{{
    {"piEnbldDate", &FeatureDefinitionInput::enabledDate, &FeatureDefinitionView::enabledDate},
    {"piEnbldLong", &FeatureDefinitionInput::enabledLong, &FeatureDefinitionView::enabledLong},
    {"piEnbldCurrency", &FeatureDefinitionInput::enabledCurrency, &FeatureDefinitionView::enabledCurrency},
    {"piEnbldMemo", &FeatureDefinitionInput::enabledMemo, &FeatureDefinitionView::enabledMemo},
}};

} // namespace

FeatureCatalogue::FeatureCatalogue(Database db) : m_db(std::move(db))
{
    m_data = m_db.openRecordset(QStringLiteral("pi"), RecordsetType::Table);
    if (!m_data.eof())
        m_data.moveFirst();
}

int FeatureCatalogue::definitionCount()
{
    return int(m_db.scalar(QStringLiteral("SELECT COUNT(*) FROM pi")).toInt64());
}

QString FeatureCatalogue::treeKey(qint64 id)
{
    return QString::number(id) + QStringLiteral("ID");
}

std::optional<qint64> FeatureCatalogue::idFromTreeKey(const QString& key)
{
    const int at = key.indexOf(QStringLiteral("ID"), 0, Qt::CaseInsensitive);
    if (at < 0)
        return std::nullopt;
    bool ok = false;
    const qint64 id = key.left(at).toLongLong(&ok);
    return ok ? std::optional<qint64>(id) : std::nullopt;
}

std::vector<FeatureLetterGroup> FeatureCatalogue::treeGroups(int type)
{
    Recordset rs = m_db.openRecordset(QStringLiteral("SELECT piID, piNimi FROM pi WHERE piType = ? ORDER BY piNimi"),
                                      RecordsetType::Snapshot, {type});
    std::vector<std::pair<qint64, Value>> rows;
    for (; !rs.eof(); rs.moveNext())
        rows.emplace_back(rs.field(QStringLiteral("piID")).toInt64(), rs.field(QStringLiteral("piNimi")));
    return groupByInitial(rows);
}

std::vector<FeatureLetterGroup> FeatureCatalogue::groupByInitial(const std::vector<std::pair<qint64, Value>>& rows)
{
    QStringList names;
    for (const auto& row : rows)
        names.append(NullToString(row.second));
    std::vector<FeatureLetterGroup> groups;
    for (const InitialGroups::Group& g : InitialGroups::group(names)) {
        FeatureLetterGroup group{g.letter, {}};
        for (const std::size_t i : g.indexes)
            group.entries.push_back({rows[i].first, names[qsizetype(i)]});
        groups.push_back(std::move(group));
    }
    return groups;
}

bool FeatureCatalogue::hasCurrent() const
{
    return m_data.editMode() == EditMode::Add || (!m_data.eof() && !m_data.bof());
}

std::optional<qint64> FeatureCatalogue::currentId() const
{
    if (m_data.editMode() == EditMode::Add || m_data.eof() || m_data.bof())
        return std::nullopt;
    return m_data.field(QStringLiteral("piID")).toInt64();
}

FeatureDefinitionView FeatureCatalogue::current() const
{
    FeatureDefinitionView v;
    if (!hasCurrent())
        return v;
    const auto f = [this](const char* name) { return m_data.field(QString::fromLatin1(name)); };
    v.nimi = NullToString(f("piNimi"));
    v.kuvaus = NullToString(f("piKuvaus"));
    v.memo = NullToString(f("piMemo"));
    v.date = NullToString(f("piDate"));
    v.longValue = NullToString(f("piLong"));
    v.currency = NullToString(f("piCurrency"));
    const Value type = f("piType");
    v.type = type.isNull() ? 1 : int(type.toInt64());
    for (const KindField& k : kinds) {
        const Value flag = f(k.flag);
        if (!flag.isNull())
            v.*k.view = flag.toBool();
        else if (adding())
            v.*k.view = false;
    }
    return v;
}

std::optional<QString> FeatureCatalogue::write(const FeatureDefinitionInput& in)
{
    if (!hasCurrent())
        return std::nullopt;

    // Every box is read before anything is written: a refused value leaves the row as it was and
    // names its field, so the database never sees a value it would refuse.
    if (in.nimi.size() > NameMaxLength)
        return QStringLiteral("Nimi on liian pitkä: enintään %1 merkkiä.").arg(NameMaxLength);
    if (in.kuvaus.size() > FeatureValueText::maxLength(FeatureValueText::Kind::Memo))
        return QStringLiteral("Kuvaus on liian pitkä: enintään %1 merkkiä.")
            .arg(FeatureValueText::maxLength(FeatureValueText::Kind::Memo));
    std::vector<std::pair<QString, Value>> values;
    values.emplace_back(QStringLiteral("piNimi"), textOrNull(in.nimi));
    values.emplace_back(QStringLiteral("piKuvaus"), textOrNull(in.kuvaus));
    const std::pair<const char*, std::pair<FeatureValueText::Kind, const QString*>> boxes[] = {
        {"piMemo", {FeatureValueText::Kind::Memo, &in.memo}},
        {"piDate", {FeatureValueText::Kind::Date, &in.date}},
        {"piLong", {FeatureValueText::Kind::Long, &in.longValue}},
        {"piCurrency", {FeatureValueText::Kind::Currency, &in.currency}},
    };
    for (const auto& [field, box] : boxes) {
        FeatureValueText::Reading r = FeatureValueText::read(box.first, *box.second);
        if (!r.ok())
            return *r.refusal;
        values.emplace_back(QString::fromLatin1(field), std::move(r.value));
    }
    if (in.type == 1 || in.type == 2)
        values.emplace_back(QStringLiteral("piType"), Value(in.type));
    for (const KindField& k : kinds)
        if ((in.*k.input).has_value())
            values.emplace_back(QString::fromLatin1(k.flag), Value(*(in.*k.input)));

    std::vector<std::pair<QString, Value>> changes;
    for (auto& [name, value] : values) {
        const Value stored = m_data.field(name);
        const bool same = stored == value
                          || (name == QLatin1String("piType") && stored.isNull() && adding() && value == Value(1));
        // A new row that is still blank: type 1 (the option shown) and no flag set.
        const bool blankNew = adding() && value.kind() == Value::Kind::Bool && !value.toBool();
        if (!same && !blankNew)
            changes.emplace_back(name, value);
    }
    const bool wasAdding = adding();
    if (changes.empty()) {
        if (wasAdding)
            cancelNew();
        return std::nullopt;
    }
    if (!wasAdding)
        m_data.edit();
    if (wasAdding && (in.type == 1 || in.type == 2))
        changes.emplace_back(QStringLiteral("piType"), Value(in.type));
    try {
        for (const auto& [name, value] : changes)
            m_data.setField(name, value);
        m_data.update();
    } catch (...) {
        if (!wasAdding)
            m_data.cancelUpdate();
        throw;
    }
    if (wasAdding) {
        const Bookmark added = m_data.lastModified();
        m_data.requery();
        m_data.setBookmark(added);
    }
    return std::nullopt;
}

void FeatureCatalogue::startNew()
{
    m_beforeNew = currentId().value_or(0);
    m_data.addNew();
}

void FeatureCatalogue::cancelNew()
{
    if (!adding())
        return;
    m_data.cancelUpdate();
    if (m_beforeNew == 0 || !find(m_beforeNew)) {
        if (m_data.recordCount() > 0)
            m_data.moveFirst();
    }
}

bool FeatureCatalogue::move(Move where)
{
    if (m_data.recordCount() == 0)
        return false;
    switch (where) {
    case Move::First: m_data.moveFirst(); return true;
    case Move::Last: m_data.moveLast(); return true;
    case Move::Previous:
        if (m_data.bof())
            return false;
        m_data.movePrevious();
        if (m_data.bof()) {
            m_data.moveNext();
            return false;
        }
        return true;
    case Move::Next:
        if (m_data.eof())
            return false;
        m_data.moveNext();
        if (m_data.eof()) {
            m_data.movePrevious();
            return false;
        }
        return true;
    }
    return false;
}

bool FeatureCatalogue::find(qint64 id)
{
    // Another window may have deleted the definition meanwhile: look at the table as it is now.
    if (!adding())
        m_data.requery();
    if (m_data.recordCount() == 0)
        return false;
    m_data.moveFirst();
    return m_data.findFirst(QStringLiteral("piID"), Value(id));
}

void FeatureCatalogue::refresh()
{
    if (adding())
        m_data.cancelUpdate();
    else if (m_data.editMode() == EditMode::Edit)
        m_data.cancelUpdate();
    m_data.requery();
    if (!m_data.eof())
        m_data.moveFirst();
}

void FeatureCatalogue::deleteDefinition(qint64 id)
{
    Transaction tx(m_db);
    m_db.execute(QStringLiteral("DELETE FROM pt WHERE ptpiID = ?"), {id});
    m_db.execute(QStringLiteral("DELETE FROM mt WHERE mtpiID = ?"), {id});
    m_db.execute(QStringLiteral("DELETE FROM pi WHERE piID = ?"), {id});
    tx.commit();
    refresh();
}

void FeatureCatalogue::removeOrphanValues()
{
    Transaction tx(m_db);
    m_db.execute(QStringLiteral("DELETE FROM pt WHERE ptpiID IS NOT NULL AND NOT EXISTS "
                                "(SELECT 1 FROM pi WHERE pi.piID = pt.ptpiID)"));
    m_db.execute(QStringLiteral("DELETE FROM mt WHERE mtpiID IS NOT NULL AND NOT EXISTS "
                                "(SELECT 1 FROM pi WHERE pi.piID = mt.mtpiID)"));
    tx.commit();
}

} // namespace tikkeli
