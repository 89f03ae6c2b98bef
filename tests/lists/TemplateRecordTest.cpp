#include "members/MemberTestDb.h"

#include "db/DbError.h"
#include "db/Recordset.h"
#include "lists/DataPrinterFields.h"
#include "lists/DataPrinterSettings.h"
#include "lists/cRapMaaritys.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

void fill(DataPrinterSettings& s)
{
    s.setReportName(QStringLiteral("Puhelinluettelo \"ÄÖ\""));
    s.setOrientation(DataPrinterSettings::Landscape);
    s.setLines(false);
    s.AddColumn(QStringLiteral("Nimi"), QStringLiteral("jrSukunimi"), 40);
    s.AddColumn(QStringLiteral("Puhelin"), QStringLiteral("jrPuhelin"), 0);
    s.AddColumn(QString(), QStringLiteral("ptValCurrency"), 22.5);
}

TEST(TemplateSettings, TextRoundTripKeepsNameOrientationLinesAndColumnsInOrder)
{
    DataPrinterSettings a;
    fill(a);
    DataPrinterSettings b;
    EXPECT_TRUE(b.FromText(a.ToText()));
    EXPECT_EQ(b.ReportName(), a.ReportName());
    EXPECT_EQ(b.Orientation(), DataPrinterSettings::Landscape);
    EXPECT_FALSE(b.Lines());
    ASSERT_EQ(b.columnCount(), 3);
    EXPECT_EQ(b.Columns(1).Header(), QStringLiteral("Nimi"));
    EXPECT_EQ(b.Columns(2).fieldName(), QStringLiteral("jrPuhelin"));
    EXPECT_EQ(b.Columns(3).Width(), 22.5);
    EXPECT_EQ(b.ToText(), a.ToText());
    EXPECT_EQ(DataPrinterSettings().ToText(),
              QStringLiteral("{\"columns\":[],\"lines\":true,\"name\":\"\",\"orientation\":1,\"v\":1}"));
    // Columns count from 1.
    EXPECT_THROW(b.Columns(0), std::out_of_range);
    EXPECT_THROW(b.Columns(4), std::out_of_range);
}

TEST(TemplateSettings, UnreadableTextGivesTheDefaultsAndFalse)
{
    for (const QString& text :
         {QString(), QStringLiteral("not json"), QStringLiteral("[1,2]"), QStringLiteral("{\"v\":2,\"name\":\"later\"}")}) {
        DataPrinterSettings s;
        fill(s);
        EXPECT_FALSE(s.FromText(text)) << text.toStdString();
        EXPECT_EQ(s.ReportName(), QString());
        EXPECT_EQ(s.Orientation(), DataPrinterSettings::Portrait);
        EXPECT_TRUE(s.Lines());
        EXPECT_EQ(s.columnCount(), 0);
    }
}

TEST(TemplateSettings, SignalsOnlyOnARealChange)
{
    DataPrinterSettings s;
    fill(s);
    QSignalSpy spy(&s, &DataPrinterSettings::SettingsChanged);
    // The same values again: nothing changes.
    s.setReportName(s.ReportName());
    s.setOrientation(DataPrinterSettings::Landscape);
    s.setLines(false);
    s.Columns(1).setHeader(QStringLiteral("Nimi"));
    s.Columns(1).setFieldName(QStringLiteral("jrSukunimi"));
    s.Columns(1).setWidth(40);
    s.FromText(s.ToText());
    EXPECT_EQ(spy.count(), 0);
    // Each real change once, a width alone included.
    s.Columns(2).setWidth(12);
    s.Columns(2).setHeader(QStringLiteral("Puh."));
    s.Columns(2).setFieldName(QStringLiteral("jrMatkapuhelin"));
    s.setOrientation(DataPrinterSettings::Portrait);
    s.RemoveColumn(s.Columns(3));
    EXPECT_EQ(spy.count(), 5);
    DataPrinterSettings other;
    other.AddColumn({}, {}, 0);
    EXPECT_FALSE(s.RemoveColumn(other.Columns(1)));
}

TEST(TemplateSettings, FieldListNamesOnlyTheKnownFieldsOnce)
{
    DataPrinterSettings s;
    EXPECT_EQ(TemplateFieldList(s), QString());
    s.AddColumn({}, QStringLiteral("jrSukunimi"), 0);
    s.AddColumn({}, QStringLiteral("jrSukunimi; DROP TABLE jr"), 0);
    s.AddColumn({}, QString(), 0);
    s.AddColumn({}, QStringLiteral("piNimi"), 0);
    s.AddColumn({}, QStringLiteral("jrSukunimi"), 0);
    EXPECT_EQ(TemplateFieldList(s), QStringLiteral("jrSukunimi, piNimi"));
    EXPECT_EQ(TemplateFieldTable().size(), 21u);
    EXPECT_EQ(TemplateFieldIndex(QStringLiteral("ptValMemo")), 20);
    EXPECT_EQ(TemplateFieldIndex(QStringLiteral("jrsukunimi")), -1);
}

class TemplateRecordTest : public ::testing::Test {
protected:
    test::MemberTestDb club;
    void SetUp() override { club.db.execute(QStringLiteral("DELETE FROM rp")); }
    QString stored(qint64 id)
    {
        return club.db.scalar(QStringLiteral("SELECT rpDef FROM rp WHERE rpID = ?"), {Value(id)}).toString();
    }
    int rows() { return int(club.db.scalar(QStringLiteral("SELECT COUNT(*) FROM rp")).toInt64()); }
};

TEST_F(TemplateRecordTest, ForcedSaveAddsARowAndReleaseStoresAnEdit)
{
    cRapMaaritys r(club.db);
    EXPECT_TRUE(r.Save(false)); // clean: nothing written
    EXPECT_EQ(rows(), 0);
    EXPECT_TRUE(r.Save(true));
    ASSERT_NE(r.id(), 0);
    EXPECT_EQ(stored(r.id()), DataPrinterSettings().ToText());

    r.RepSettings().setReportName(QStringLiteral("Jäsenmaksut"));
    EXPECT_TRUE(r.isDirty());
    EXPECT_TRUE(r.Release());
    EXPECT_FALSE(r.isDirty());
    cRapMaaritys again(club.db);
    ASSERT_TRUE(again.Read(r.id()));
    EXPECT_EQ(again.RepSettings().ReportName(), QStringLiteral("Jäsenmaksut"));
    EXPECT_FALSE(again.isDirty());
    EXPECT_EQ(cRapMaaritys::List(club.db).size(), 1u);
    EXPECT_EQ(cRapMaaritys::List(club.db).front().name, QStringLiteral("Jäsenmaksut"));
}

TEST_F(TemplateRecordTest, MissingIdResetsToAnEmptyTemplate)
{
    cRapMaaritys r(club.db);
    fill(r.RepSettings());
    EXPECT_FALSE(r.Read(4711));
    EXPECT_EQ(r.id(), 0);
    EXPECT_EQ(r.RepSettings().columnCount(), 0);
    EXPECT_FALSE(r.isDirty());
}

TEST_F(TemplateRecordTest, AnEmptyRecordIsInert)
{
    cRapMaaritys r(club.db);
    ASSERT_TRUE(r.Save(true));
    const qint64 id = r.id();
    r.setIsEmpty(true);
    EXPECT_EQ(r.id(), 0);
    EXPECT_EQ(r.RapDef(), QString());
    r.RepSettings().setReportName(QStringLiteral("ei talleteta"));
    EXPECT_EQ(r.RepSettings().ReportName(), QString()); // a fresh template on every read
    EXPECT_FALSE(r.Read(id));
    EXPECT_FALSE(r.Save(true));
    EXPECT_FALSE(r.Release());
    EXPECT_FALSE(r.Delete());
    EXPECT_EQ(rows(), 1);
}

TEST_F(TemplateRecordTest, UndoShowsTheTemplateAsReadInTheSameObject)
{
    cRapMaaritys r(club.db);
    fill(r.RepSettings());
    ASSERT_TRUE(r.Save(false));
    const QString before = r.RapDef();
    DataPrinterSettings& held = r.RepSettings();
    held.Columns(1).setHeader(QStringLiteral("Muutettu"));
    held.AddColumn(QStringLiteral("Uusi"), QStringLiteral("jrEmail"), 0);
    r.Undo();
    EXPECT_EQ(&held, &r.RepSettings());
    EXPECT_EQ(held.ToText(), before);
    EXPECT_EQ(held.Columns(1).Header(), QStringLiteral("Nimi"));
}

TEST_F(TemplateRecordTest, RapDefAssignmentMarksDirtyOnlyWhenTheTextDiffers)
{
    cRapMaaritys r(club.db);
    fill(r.RepSettings());
    r.Save(false);
    r.setRapDef(stored(r.id()));
    EXPECT_FALSE(r.isDirty());
    DataPrinterSettings other;
    other.setReportName(QStringLiteral("Toinen"));
    r.setRapDef(other.ToText());
    EXPECT_TRUE(r.isDirty());
    EXPECT_EQ(r.RepSettings().ReportName(), QStringLiteral("Toinen"));
}

TEST_F(TemplateRecordTest, DeleteLeavesAFreshRecordAndASaveOfADeletedRowFails)
{
    cRapMaaritys r(club.db);
    r.Save(true);
    const qint64 id = r.id();
    EXPECT_TRUE(r.Delete());
    EXPECT_EQ(rows(), 0);
    EXPECT_EQ(r.id(), 0);
    EXPECT_FALSE(r.isDirty());
    EXPECT_FALSE(r.IsEmpty());

    // Another window deletes the row under an edited template: the save says so and the edit stays.
    cRapMaaritys a(club.db);
    a.Save(true);
    club.db.execute(QStringLiteral("DELETE FROM rp WHERE rpID = ?"), {Value(a.id())});
    a.RepSettings().setReportName(QStringLiteral("Kadonnut"));
    try {
        a.Save(false);
        ADD_FAILURE() << "the save of a deleted row succeeded";
    } catch (const DbException& e) {
        EXPECT_EQ(e.number(), DbErr::NoCurrentRecord);
    }
    EXPECT_TRUE(a.isDirty());
    EXPECT_EQ(a.RepSettings().ReportName(), QStringLiteral("Kadonnut"));
    EXPECT_EQ(rows(), 0);
    EXPECT_NE(id, 0);
}

} // namespace
