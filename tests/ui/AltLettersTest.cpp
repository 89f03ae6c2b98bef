// What Alt leaves to others: a letter the window uses runs its command, a control that reads
// Alt with a key itself still gets the key, an open menu takes its entries' letters, and AltGr,
// however the system reports it, still types.
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

// A box that deletes its entry with Alt+D, as the invoice titles' box does.
class DeletesWithAltD : public QObject {
public:
    int seen = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        // The box also gets focus, paint and other events: only a key press is a key event.
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_D && key->modifiers() == Qt::AltModifier)
            ++seen;
        return false;
    }
};

} // namespace

TEST(AltLetters, AKeyWithAltIsACommandAndAltGrStillTypes)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* bar = new QMenuBar(&window);
    layout->setMenuBar(bar);
    QMenu* file = bar->addMenu(QStringLiteral("&Tiedosto"));
    QAction* create = file->addAction(QStringLiteral("&Uusi"));
    auto* box = new QLineEdit(&window);
    auto* choice = new QComboBox(&window);
    choice->addItems({QStringLiteral("Karhu"), QStringLiteral("Susi")});
    auto* save = new QPushButton(QStringLiteral("T&allenna"), &window);
    for (QWidget* w : {static_cast<QWidget*>(box), static_cast<QWidget*>(choice), static_cast<QWidget*>(save)})
        layout->addWidget(w);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    struct Case {
        const char* name;
        Qt::Key key;
        const char* text;
        Qt::KeyboardModifiers modifiers;
        const char* boxAfter;
    } cases[] = {
        {"Alt+R, a letter nothing uses", Qt::Key_R, "r", Qt::AltModifier, "Aho"},
        {"Alt+Shift+R", Qt::Key_R, "R", Qt::AltModifier | Qt::ShiftModifier, "Aho"},
        {"Alt+Ö", Qt::Key_Odiaeresis, "ö", Qt::AltModifier, "Aho"},
        {"Alt+1", Qt::Key_1, "1", Qt::AltModifier, "Aho"},
        {"Alt+A, the button's letter", Qt::Key_A, "a", Qt::AltModifier, "Aho"},
        {"AltGr+2 as X11 reports it", Qt::Key_At, "@", Qt::NoModifier, "@"},
        {"AltGr+2 as Ctrl+Alt", Qt::Key_At, "@", Qt::ControlModifier | Qt::AltModifier, "@"},
        {"AltGr+E with the group switch", Qt::Key_E, "€", Qt::AltModifier | Qt::GroupSwitchModifier, "€"},
        {"R alone", Qt::Key_R, "r", Qt::NoModifier, "r"},
    };
    const QSignalSpy saved(save, &QPushButton::clicked);
    for (const Case& c : cases) {
        box->setText(QStringLiteral("Aho"));
        box->setFocus();
        box->selectAll();
        QTest::sendKeyEvent(QTest::Click, box, c.key, QString::fromUtf8(c.text), c.modifiers);
        EXPECT_EQ(box->text().toStdString(), c.boxAfter) << c.name;
    }
    // A button pressed by its letter shows the press before it clicks.
    EXPECT_TRUE(QTest::qWaitFor([&] { return saved.count() == 1; })) << "Alt+A pressed the button";

    // Alt+S does not choose "Susi" in a closed combo box.
    choice->setFocus();
    QTest::keyClick(choice, Qt::Key_S, Qt::AltModifier);
    EXPECT_EQ(choice->currentIndex(), 0);

    DeletesWithAltD deleting;
    box->installEventFilter(&deleting);
    box->setFocus();
    QTest::keyClick(box, Qt::Key_D, Qt::AltModifier);
    EXPECT_EQ(deleting.seen, 1);
    EXPECT_EQ(box->text(), QStringLiteral("r"));

    // Alt+T opens the menu, and in it Alt+U takes "Uusi".
    QTest::keyClick(box, Qt::Key_T, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(file));
    const QSignalSpy created(create, &QAction::triggered);
    QTest::keyClick(file, Qt::Key_U, Qt::AltModifier);
    EXPECT_EQ(created.count(), 1);
}
