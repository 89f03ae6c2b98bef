// Alt with a letter is a command in every window of the program, never text: a letter no menu,
// button or label of the window uses leaves every text box as it was, and every menu title has an
// underlined letter of its own.
#include "base/ScriptedPrompter.h"
#include "../contracts/ContractTestDb.h"
#include "EveryWindow.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QDirIterator>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTabBar>
#include <QTest>
#include <QTextEdit>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <set>

using namespace tikkeli;

namespace {

using test::closeAndDelete;
using test::everyWindow;

// The letter Alt takes to text's underlined letter, or none.
QChar underlined(const QString& text)
{
    const QKeySequence mnemonic = QKeySequence::mnemonic(text);
    if (mnemonic.isEmpty())
        return {};
    return QChar(mnemonic[0].key()).toUpper();
}

// The letters the window's menu titles, buttons, labels, group boxes, tabs and commands use.
QString usedLetters(QWidget& w)
{
    QString used;
    const auto add = [&used](QChar c) {
        if (!c.isNull() && !used.contains(c))
            used += c;
    };
    for (QAbstractButton* b : w.findChildren<QAbstractButton*>())
        add(underlined(b->text()));
    for (QLabel* l : w.findChildren<QLabel*>())
        add(underlined(l->text()));
    for (QGroupBox* g : w.findChildren<QGroupBox*>())
        add(underlined(g->title()));
    for (QTabBar* t : w.findChildren<QTabBar*>())
        for (int i = 0; i < t->count(); ++i)
            add(underlined(t->tabText(i)));
    for (QMenuBar* bar : w.findChildren<QMenuBar*>())
        for (QAction* a : bar->actions())
            add(underlined(a->text()));
    for (QAction* a : w.findChildren<QAction*>())
        for (const QKeySequence& k : a->shortcuts())
            if (k.count() == 1 && k[0].keyboardModifiers() == Qt::AltModifier && k[0].key() <= 0xffff)
                add(QChar(k[0].key()).toUpper());
    return used;
}

// The part of w the user types into: w itself or the line edit of a spin box, a combo box or a
// cell editor; null when it takes no text.
QWidget* typingPart(QWidget* w)
{
    const auto takesText = [](QWidget* c) {
        if (auto* line = qobject_cast<QLineEdit*>(c))
            return !line->isReadOnly();
        if (auto* plain = qobject_cast<QPlainTextEdit*>(c))
            return !plain->isReadOnly();
        if (auto* rich = qobject_cast<QTextEdit*>(c))
            return !rich->isReadOnly();
        return false;
    };
    if (takesText(w))
        return w;
    for (QWidget* c : w->findChildren<QWidget*>())
        if (takesText(c))
            return c;
    return nullptr;
}

QString textOf(QWidget* box)
{
    if (auto* line = qobject_cast<QLineEdit*>(box))
        return line->text();
    if (auto* plain = qobject_cast<QPlainTextEdit*>(box))
        return plain->toPlainText();
    return static_cast<QTextEdit*>(box)->toPlainText();
}

void setTextOf(QWidget* box, const QString& text)
{
    if (auto* line = qobject_cast<QLineEdit*>(box))
        line->setText(text);
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(box))
        plain->setPlainText(text);
    else
        static_cast<QTextEdit*>(box)->setPlainText(text);
}

void selectAllOf(QWidget* box)
{
    if (auto* line = qobject_cast<QLineEdit*>(box))
        line->selectAll();
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(box))
        plain->selectAll();
    else
        static_cast<QTextEdit*>(box)->selectAll();
}

const QString kLetters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZÅÄÖ");

// In the focused box, filled and its text selected as a user tabbing into it finds it, Alt with
// each letter not in used; returns what changed the text. The box gets its own text back.
QStringList pressUnusedLetters(QWidget* box, const QString& used)
{
    QStringList changed;
    const QString original = textOf(box);
    if (original.isEmpty())
        setTextOf(box, QStringLiteral("12"));
    const QString filled = textOf(box);
    for (const QChar letter : kLetters) {
        QWidget* focus = QApplication::focusWidget();
        if (used.contains(letter) || !focus)
            continue;
        selectAllOf(box);
        // Qt's keys for A-Z, Å, Ä and Ö are the capital letters.
        QTest::sendKeyEvent(QTest::Click, focus, Qt::Key(letter.unicode()), QString(letter.toLower()), Qt::AltModifier);
        if (textOf(box) != filled) {
            const QString name = box->objectName().isEmpty() ? box->parentWidget()->objectName() : box->objectName();
            changed << name + QStringLiteral(" Alt+") + letter + QStringLiteral(" → ") + textOf(box);
            setTextOf(box, filled);
        }
    }
    setTextOf(box, original);
    return changed;
}

// Every box the window shows now that was not tried yet, and the first editable cell of each
// grid or tree that edits its cells.
QStringList sweep(QWidget& w, const QString& used, std::set<QWidget*>& tried)
{
    QStringList changed;
    for (QWidget* c : w.findChildren<QWidget*>()) {
        QWidget* box = c->isVisible() && c->isEnabled() && c->window() == &w ? typingPart(c) : nullptr;
        if (box != c || !tried.insert(box).second)
            continue;
        box->setFocus();
        changed += pressUnusedLetters(box, used);
    }
    for (QAbstractItemView* view : w.findChildren<QAbstractItemView*>()) {
        if (!view->isVisible() || !view->isEnabled() || view->editTriggers() == QAbstractItemView::NoEditTriggers
            || !tried.insert(view).second)
            continue;
        const QAbstractItemModel* model = view->model();
        for (int i = 0; model && i < model->rowCount() * model->columnCount(); ++i) {
            const QModelIndex cell = model->index(i / model->columnCount(), i % model->columnCount());
            if (!(model->flags(cell) & Qt::ItemIsEditable))
                continue;
            view->setFocus();
            view->setCurrentIndex(cell);
            view->edit(cell);
            if (QWidget* editor = view->indexWidget(cell); editor && typingPart(editor)) {
                editor->setFocus();
                changed += pressUnusedLetters(typingPart(editor), used);
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
                break;
            }
        }
    }
    return changed;
}

} // namespace

// In every box of every window, behind every tab and in a grid's cell editor: Alt with a letter
// the window does not use leaves the text as it was (Qt's line edit took it for the letter) and
// asks nothing.
TEST(EveryAltLetter, AnUnusedLetterWithAltTypesNothingInAnyBox)
{
    test::ContractTestDb t(test::ContractTestDb::Source::Sample);
    State().IniFileName = t.env.iniPath();
    ScriptedPrompter prompter;
    for (const auto& [name, window] : everyWindow()) {
        SCOPED_TRACE(name.toStdString());
        QWidget* w = window.make(t.db);
        ASSERT_NE(w, nullptr);
        w->show();
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
        const QString used = usedLetters(*w) + window.ownLetters;
        const int unexpected = prompter.unexpected();
        std::set<QWidget*> tried;
        QStringList changed = sweep(*w, used, tried);
        for (QTabBar* tabs : w->findChildren<QTabBar*>())
            for (int i = 0; i < tabs->count(); ++i) {
                tabs->setCurrentIndex(i);
                changed += sweep(*w, used, tried);
            }
        EXPECT_TRUE(changed.isEmpty()) << changed.join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(prompter.unexpected(), unexpected);
        // What the fill of the empty boxes left behind is no concern here: the window's own
        // questions at the close are answered with their defaults.
        closeAndDelete(w);
    }
}

// Every menu title of a window has an underlined letter, and no other menu title, button, label or
// tab of the window shows the same one: Alt with it opens that menu and nothing else.
TEST(EveryAltLetter, EveryMenuTitleHasAnUnderlinedLetterOfItsOwn)
{
    test::ContractTestDb t(test::ContractTestDb::Source::Sample);
    State().IniFileName = t.env.iniPath();
    ScriptedPrompter prompter;
    int menus = 0;
    for (const auto& [name, window] : everyWindow()) {
        SCOPED_TRACE(name.toStdString());
        QWidget* w = window.make(t.db);
        ASSERT_NE(w, nullptr);
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
        std::map<QChar, QString> taken;
        const auto take = [&taken](QChar letter, const QString& text) {
            if (letter.isNull())
                return;
            const auto [at, fresh] = taken.emplace(letter, text);
            EXPECT_TRUE(fresh) << text.toStdString() << " and " << at->second.toStdString() << " share Alt+"
                               << QString(letter).toStdString();
        };
        for (QMenuBar* bar : w->findChildren<QMenuBar*>())
            for (QAction* title : bar->actions()) {
                ++menus;
                EXPECT_FALSE(underlined(title->text()).isNull()) << title->text().toStdString() << " has no letter";
                take(underlined(title->text()), title->text());
            }
        for (QAbstractButton* b : w->findChildren<QAbstractButton*>())
            if (b->isVisibleTo(w))
                take(underlined(b->text()), b->text());
        for (QLabel* l : w->findChildren<QLabel*>())
            if (l->isVisibleTo(w) && l->buddy())
                take(underlined(l->text()), l->text());
        for (QGroupBox* g : w->findChildren<QGroupBox*>())
            if (g->isVisibleTo(w))
                take(underlined(g->title()), g->title());
        closeAndDelete(w);
    }
    EXPECT_GE(menus, 30);
}

// Every window of the program is in the table above, so a new one is swept too. The panels are
// parts of the windows that show them.
TEST(EveryAltLetter, EveryWindowIsListed)
{
    const std::set<QString> panels = {
        "FeatureAttachWindow", "FeatureValueEditor", "FeaturesPanel", "MemberFeaturesPanel", "MapView",
        "MemberInvoicesPanel", "StickCopiesForm",    "tTilatiedot"};
    const QRegularExpression derived(QStringLiteral(R"(class (\w+)(?: final)? : public (\w+))"));
    std::map<QString, QString> baseOf;
    QDirIterator it(QStringLiteral(TIKKELI_SOURCE_DIR "/src"), {QStringLiteral("*.h")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        for (auto m = derived.globalMatch(QString::fromUtf8(f.readAll())); m.hasNext();) {
            const auto match = m.next();
            baseOf[match.captured(1)] = match.captured(2);
        }
    }
    const std::set<QString> qtWindows = {"QWidget", "QDialog", "QMainWindow"};
    const std::function<bool(const QString&)> isWidget = [&](const QString& c) {
        return qtWindows.count(c) || (baseOf.count(c) && isWidget(baseOf[c]));
    };
    int found = 0;
    for (const auto& [name, base] : baseOf) {
        if (!isWidget(name))
            continue;
        ++found;
        EXPECT_TRUE(everyWindow().count(name) || panels.count(name)) << name.toStdString() << " is not listed";
    }
    EXPECT_EQ(found, int(everyWindow().size() + panels.size()));
}
