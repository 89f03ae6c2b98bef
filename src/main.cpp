#include "base/CNumericLocale.h"
#include "base/DesktopDialogs.h"
#include "base/Prompter.h"
#include "ui/WidgetPrompter.h"
#include "ProgramWindows.h"
#include "app/ui/ProgramIcon.h"
#include "app/ui/StartCheck.h"
#include "app/ui/frmMain.h"
#include "ui/FullGlyphStyle.h"
#include "ui/FullGlyphTextBoxes.h"
#include "ui/KeyboardRules.h"
#include "ui/ScreenFit.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QStyle>
#include <QTranslator>

int main(int argc, char** argv)
{
    // The desktop's own file dialogs (GNOME's, KDE's) where the desktop offers them.
    tikkeli::PreferDesktopFileDialogs();
    QApplication app(argc, argv);
    // Qt took the desktop's locale for the C library too; the files written for other programs
    // keep the C library's numbers with a decimal point.
    tikkeli::UseCNumericLocale();
    QApplication::setApplicationName(QStringLiteral("Tikkeli"));
    // The desktop matches the windows to the installed menu entry and its icon.
    QApplication::setDesktopFileName(QStringLiteral("fi.tikkeli.Tikkeli"));
    QApplication::setWindowIcon(tikkeli::ProgramIcon());
    // Rows and multi-line boxes show Å and Ö whole in the desktop's fonts, in the style Qt chose
    // (the desktop's, or the one the user named with -style).
    QApplication::setStyle(new tikkeli::FullGlyphStyle(QApplication::style()->name()));
    tikkeli::FullGlyphTextBoxes::install();
    // The keyboard reaches every choice as the mouse does, in every window and dialog.
    tikkeli::InstallKeyboardRules();
    // The club's numbers and dates are Finnish whatever the desktop's language.
    QLocale::setDefault(QLocale(QLocale::Finnish, QLocale::Finland));
    // Qt's own dialogs (file choosers, printer setup, standard buttons) in Finnish too.
    QTranslator qtTranslations;
    if (qtTranslations.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslations);
    QApplication::setQuitOnLastWindowClosed(false);
    // Qt's own dialogs too open whole on a small screen, title bar included.
    tikkeli::KeepDialogsOnScreen();

    tikkeli::WidgetPrompter prompter;
    tikkeli::Prompter::setInstance(&prompter);
    tikkeli::RegisterWindowOpeners();

    int rc = 0;
    if (QApplication::arguments().contains(QStringLiteral("--start-check"))) {
        rc = tikkeli::RunStartCheck();
    } else {
        tikkeli::frmMain mainWindow;
        if (mainWindow.Load()) {
            mainWindow.show();
            rc = app.exec();
        }
    }
    tikkeli::Prompter::setInstance(nullptr);
    return rc;
}
