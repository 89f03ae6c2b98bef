#include "lists/ListsTestDb.h"

#include "base/ScriptedPrompter.h"
#include "lists/MemberSelection.h"
#include "members/MemberCriteria.h"
#include "members/ui/frmHakuehdotJ.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

namespace tikkeli::test {
namespace {

// What a criteria box lets through on leaving it is what the selection then uses: a text either
// is emptied with a beep, or selects the members it means.
TEST(CriteriaAgreement, WhatTheDialogLetsThroughTheSelectionUses)
{
    struct Case {
        const char* box;
        const char* typed;
        bool withFeature; // the feature "Ampuma-koe" chosen
        bool beep;
        QStringList selected;
    };
    const QStringList holders = {"Aho", "Björk", "Ö'Brien", "Fager"};
    const std::vector<Case> cases = {
        {"tCurrency", "12.50", true, false, {"Aho"}},
        {"tCurrency", "12,50 €", true, false, {"Aho"}},
        {"tCurrency", "1e3", true, true, holders},
        {"tLong", "9,6", true, false, {"Björk"}},
        {"tLong", "1e3", true, true, holders},
        {"tDate", "198?", true, false, {"Björk"}},
        {"tDate", "1.1.*", true, true, holders},
        {"tSyntAika", "19?5", false, false, {"Coll'", "Eerola"}},
        {"tSyntAika", "1.13.1990", false, true, {"Aho", "Björk", "Coll'", "Ö'Brien", "Eerola", "Fager"}},
    };
    ListsTestDb club;
    for (const Case& t : cases) {
        SCOPED_TRACE(std::string(t.box) + " " + t.typed);
        Criteria() = MemberCriteria{};
        ScriptedPrompter prompter;
        frmHakuehdotJ form;
        form.show();
        form.activateWindow();
        QApplication::setActiveWindow(&form);
        auto* features = form.findChild<QListWidget*>(QStringLiteral("lstOminaisuudet"));
        auto* box = form.findChild<QLineEdit*>(QString::fromLatin1(t.box));
        auto* other = form.findChild<QLineEdit*>(QStringLiteral("tPostiNumeroAlku"));
        ASSERT_TRUE(features && box && other);
        if (t.withFeature)
            features->findItems(QStringLiteral("Ampuma-koe"), Qt::MatchExactly).value(0)->setSelected(true);
        box->setFocus();
        box->setText(QString::fromUtf8(t.typed));
        other->setFocus();
        EXPECT_EQ(box->text().isEmpty(), t.beep);
        EXPECT_EQ(prompter.shown().size(), t.beep ? 1u : 0u);
        form.findChild<QPushButton*>(QStringLiteral("cSeuraava"))->click();
        MemberCriteria c = Criteria();
        c.JasenmaksuValinta = 2;
        c.OmistajaValinta = 2;
        MemberSelection::Mark(club.db, c);
        EXPECT_EQ(club.selected(), t.selected);
    }
    Criteria() = MemberCriteria{};
}

} // namespace
} // namespace tikkeli::test
