// Enter goes on in every dialog that has a default button, whichever option, list or box has the
// focus: under the GNOME theme an option button or a closed combo box takes Enter as its own press
// (in the member criteria it picked an option instead of going on). A control that swallows
// Enter stands in for that theme here.
#include "base/ScriptedPrompter.h"
#include "catch/ui/frmSaalisilmTulostus.h"
#include "contracts/ui/frmElainehdot.h"
#include "contracts/ui/frmHakuehdot.h"
#include "contracts/ui/frmHakuehdotVoimassaolo.h"
#include "contracts/ui/frmSopimushaku.h"
#include "contracts/ui/frmValitseElaimet.h"
#include "invoicing/ui/frmLaskujenRajaus.h"
#include "invoicing/ui/frmLaskumalli.h"
#include "maps/ui/frmKartanTulostus.h"
#include "maps/ui/frmMittakaava.h"
#include "maps/ui/frmPiirrettavatTilat.h"
#include "maps/ui/frmValitseTila.h"
#include "members/ui/frmHakuehdotJ.h"
#include "members/ui/frmSeparators.h"
#include "printing/ui/frmTulJarjValinta.h"
#include "printing/ui/frmTulostus.h"
#include "printing/ui/frmTulostusmuodonValinta.h"
#include "printing/ui/frmTulostusrajoitukset.h"
#include "../contracts/ContractTestDb.h"
#include "support/SourceClasses.h"
#include "support/ThemeTakesEnter.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <set>

using namespace tikkeli;

namespace {

using test::ThemeTakesEnter;

using Factory = std::function<QDialog*(Database&)>;

template <class Dialog>
Factory plain()
{
    return [](Database&) -> QDialog* { return new Dialog; };
}
template <class Dialog>
Factory onDatabase()
{
    return [](Database& db) -> QDialog* { return new Dialog(db); };
}
template <class Dialog>
Factory loaded()
{
    return [](Database& db) -> QDialog* {
        auto* d = new Dialog(db);
        d->load();
        return d;
    };
}

// The dialogs with a default button.
const std::vector<std::pair<QString, Factory>>& withDefault()
{
    static const std::vector<std::pair<QString, Factory>> dialogs = {
        {"frmHakuehdotJ", plain<frmHakuehdotJ>()},
        {"frmLaskumalli", plain<frmLaskumalli>()},
        {"frmLaskujenRajaus", plain<frmLaskujenRajaus>()},
        {"frmTulJarjValinta", plain<frmTulJarjValinta>()},
        {"frmTulostus", plain<frmTulostus>()},
        {"frmTulostusmuodonValinta", plain<frmTulostusmuodonValinta>()},
        {"frmTulostusrajoitukset", [](Database&) -> QDialog* { return frmTulostusrajoitukset::Instance(); }},
        {"frmSaalisilmTulostus", plain<frmSaalisilmTulostus>()},
        {"frmSeparators", plain<frmSeparators>()},
        {"frmKartanTulostus", plain<frmKartanTulostus>()},
        {"frmMittakaava", plain<frmMittakaava>()},
        {"frmValitseTila", loaded<frmValitseTila>()},
        {"frmPiirrettavatTilat", loaded<frmPiirrettavatTilat>()},
        {"frmSopimushaku", onDatabase<frmSopimushaku>()},
        {"frmHakuehdot", loaded<frmHakuehdot>()},
        {"frmHakuehdotVoimassaolo", loaded<frmHakuehdotVoimassaolo>()},
        {"frmElainehdot", loaded<frmElainehdot>()},
        {"frmValitseElaimet", plain<frmValitseElaimet>()},
    };
    return dialogs;
}

// Dialogs without one: a lone button that has the focus, searches whose Enter runs the search of
// its own frame, editors whose commands have their own keys.
const std::set<QString> withoutDefault = {"frmAbout",        "frmDemoVersion",      "frmEmailPreview", "frmAsetukset",
                                          "frmSaalisPoisto", "frmRaportinMuokkaus", "frmSingleEmail",  "frmHaku",
                                          "frmNimiHaku",     "frmService",          "frmElaimet"};

// The control Enter is pressed on: an option, else a combo box, a list or a text box.
QWidget* enterTarget(QDialog& d)
{
    for (const auto& pick : std::initializer_list<std::function<QWidget*()>>{
             [&]() -> QWidget* { return d.findChild<QRadioButton*>(); },
             [&]() -> QWidget* { return d.findChild<QComboBox*>(); },
             [&]() -> QWidget* { return d.findChild<QListWidget*>(); },
             [&]() -> QWidget* { return d.findChild<QLineEdit*>(); },
         }) {
        if (QWidget* w = pick(); w && w->isVisibleTo(&d) && w->isEnabled())
            return w;
    }
    return nullptr;
}

} // namespace

TEST(EveryDialog, EnterOnAnOptionComboOrBoxClicksTheDefaultButton)
{
    test::ContractTestDb t(test::ContractTestDb::Source::Sample);
    ScriptedPrompter prompter;
    for (const auto& [name, make] : withDefault()) {
        SCOPED_TRACE(name.toStdString());
        std::unique_ptr<QDialog> d(make(t.db));
        QPushButton* button = nullptr;
        for (QPushButton* b : d->findChildren<QPushButton*>())
            if (b->isDefault())
                button = b;
        if (!button) {
            ADD_FAILURE() << "no default button";
            continue;
        }
        // Only the press is counted: what the button does is its dialog's own test.
        QObject::disconnect(button, &QAbstractButton::clicked, nullptr, nullptr);
        int pressed = 0;
        QObject::connect(button, &QAbstractButton::clicked, [&pressed] { ++pressed; });
        d->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(d.get()));
        QWidget* control = enterTarget(*d);
        ASSERT_NE(control, nullptr);
        control->installEventFilter(new ThemeTakesEnter(control));
        control->setFocus();
        QTest::keyClick(control, Qt::Key_Return);
        EXPECT_EQ(pressed, 1) << control->objectName().toStdString();
        EXPECT_FALSE(button->text().isEmpty());
        if (button->text().contains(QStringLiteral("Seuraava"))) {
            EXPECT_TRUE(button->text().startsWith(u'&')) << "\"Seuraava\" goes on with Alt+S too";
        }
    }
    EXPECT_EQ(prompter.unexpected(), 0);
}

// Every dialog of the program is in one of the two lists above, so a new one is not forgotten.
TEST(EveryDialog, EveryDialogIsListed)
{
    std::set<QString> listed = withoutDefault;
    for (const auto& entry : withDefault())
        listed.insert(entry.first);
    const std::set<QString> found = test::ClassesInSources(
        QRegularExpression(QStringLiteral(R"(class (\w+) : public QDialog\b)")));
    ASSERT_FALSE(found.empty());
    for (const QString& name : found)
        EXPECT_TRUE(listed.count(name)) << name.toStdString() << " is in neither list";
}
