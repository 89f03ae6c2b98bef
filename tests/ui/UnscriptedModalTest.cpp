#include "support/ModalWatchdog.h"
#include "support/WhenModalShown.h"

#include <QCloseEvent>
#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <functional>

using namespace tikkeli;

namespace {

class ModalWindow : public QWidget {
public:
    QEventLoop loop;

protected:
    void closeEvent(QCloseEvent* e) override
    {
        QWidget::closeEvent(e);
        loop.quit();
    }
};

// Every kind of modal wait the program has: a dialog no test scripted fails the test within the
// watchdog's grace and is closed, so the code under test returns instead of waiting for a user.
TEST(UnscriptedModal, FailsTheTestAtOnceAndIsClosed)
{
    struct Case {
        const char* kind;
        std::function<void()> wait;
    };
    const Case cases[] = {
        {"message box",
         [] {
             QMessageBox(QMessageBox::Question, QStringLiteral("T"), QStringLiteral("Jatketaanko?"),
                         QMessageBox::Yes | QMessageBox::No)
                 .exec();
         }},
        {"message box with one button",
         [] { QMessageBox(QMessageBox::Information, QStringLiteral("T"), QStringLiteral("Valmis")).exec(); }},
        {"dialog",
         [] {
             QDialog d;
             d.setObjectName(QStringLiteral("frmKokeilu"));
             d.exec();
         }},
        {"file dialog",
         [] {
             QFileDialog d(nullptr, QStringLiteral("Avaa"));
             d.setOption(QFileDialog::DontUseNativeDialog);
             d.exec();
         }},
        // A modal window that is no QDialog, waited for in an event loop of its own.
        {"window with its own event loop",
         [] {
             ModalWindow w;
             w.setWindowModality(Qt::ApplicationModal);
             w.show();
             w.loop.exec();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        QElapsedTimer took;
        took.start();
        EXPECT_NONFATAL_FAILURE(c.wait(), "did not script");
        EXPECT_LT(took.elapsed(), test::UnscriptedModalGraceMs + 3000);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
}

// A dialog the test answers, and a modal window the test shows and drives itself, are no fault.
TEST(UnscriptedModal, AScriptedDialogOrAShownWindowIsNoFault)
{
    test::WhenModalShown<QMessageBox>([](QMessageBox& box) { box.button(QMessageBox::Yes)->click(); });
    QMessageBox box(QMessageBox::Question, QStringLiteral("T"), QStringLiteral("Jatketaanko?"),
                    QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.exec(), QMessageBox::Yes);

    QProgressDialog progress(QStringLiteral("Odota"), QString(), 0, 10);
    progress.setWindowModality(Qt::ApplicationModal);
    progress.show();
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < test::UnscriptedModalGraceMs + 500)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_TRUE(progress.isVisible());
}

} // namespace
