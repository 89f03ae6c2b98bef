#include "members/FeatureCatalogue.h"

#include "base/NullConversions.h"
#include "db/ClubChanges.h"
#include "db/Transaction.h"
#include "members/FeatureValueText.h"

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

FeatureCatalogue::FeatureCatalogue(Database db)
    : RecordCatalogue(std::move(db), QStringLiteral("pi"), QStringLiteral("piID"))
{
}

std::vector<FeatureLetterGroup> FeatureCatalogue::treeGroups(int type)
{
    return groupsOf(QStringLiteral("SELECT piID, piNimi FROM pi WHERE piType = ? ORDER BY piNimi"), {type});
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
    if (wasAdding && (in.type == 1 || in.type == 2))
        changes.emplace_back(QStringLiteral("piType"), Value(in.type));
    // Lists of definitions show names by type; a changed description or default is no news to them.
    const FeatureDefinitionView before = current();
    const bool listed = wasAdding || before.nimi != in.nimi || before.type != in.type;
    store(changes);
    if (listed)
        ClubChanges::announce(m_db, ClubChanges::Kind::FeatureDefinitions);
    return std::nullopt;
}

void FeatureCatalogue::deleteDefinition(qint64 id)
{
    Transaction tx(m_db);
    m_db.execute(QStringLiteral("DELETE FROM pt WHERE ptpiID = ?"), {id});
    m_db.execute(QStringLiteral("DELETE FROM mt WHERE mtpiID = ?"), {id});
    m_db.execute(QStringLiteral("DELETE FROM pi WHERE piID = ?"), {id});
    ClubChanges::announce(m_db, ClubChanges::Kind::FeatureDefinitions);
    ClubChanges::announce(m_db, ClubChanges::Kind::FeatureValues);
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
    ClubChanges::announce(m_db, ClubChanges::Kind::FeatureValues);
    tx.commit();
}

} // namespace tikkeli
