#include "ui/WidgetPrompter.h"

#include "base/Folders.h"
#include "base/SharedState.h"
#include "ui/ScreenFit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace tikkeli {

QWidget* WidgetPrompter::owner()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

QString WidgetPrompter::caption(const QString& title)
{
    return title.isEmpty() ? State().ProgramTitle : title;
}

MsgResult WidgetPrompter::message(const QString& text, MsgIcon icon, MsgButtons buttons, const QString& title)
{
    QMessageBox box(owner());
    box.setWindowTitle(caption(title));
    // Composed texts may break lines with CR LF; the box wants plain line feeds.
    box.setText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    switch (icon) {
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MsgIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    }
    QMessageBox::StandardButtons set = QMessageBox::Ok;
    QMessageBox::StandardButton defaultButton = QMessageBox::Ok;
    switch (buttons) {
    case MsgButtons::Ok: break;
    case MsgButtons::OkCancel: set = QMessageBox::Ok | QMessageBox::Cancel; break;
    case MsgButtons::YesNo:
        set = QMessageBox::Yes | QMessageBox::No;
        defaultButton = QMessageBox::Yes;
        break;
    case MsgButtons::YesNoDefaultNo:
        set = QMessageBox::Yes | QMessageBox::No;
        defaultButton = QMessageBox::No;
        break;
    case MsgButtons::YesNoCancel:
        set = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        defaultButton = QMessageBox::Yes;
        break;
    case MsgButtons::YesNoCancelDefaultCancel:
        set = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        defaultButton = QMessageBox::Cancel;
        break;
    case MsgButtons::YesNoCloseCancels:
        // A Cancel button unseen: the box takes it for Escape and its close, and No is only No.
        set = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        defaultButton = QMessageBox::Yes;
        break;
    }
    box.setStandardButtons(set);
    box.setDefaultButton(defaultButton);
    if (buttons == MsgButtons::YesNoCloseCancels)
        box.button(QMessageBox::Cancel)->hide();
    // Finnish captions whatever translations Qt finds on the machine.
    if (auto* b = box.button(QMessageBox::Yes))
        b->setText(QStringLiteral("&Kyllä"));
    if (auto* b = box.button(QMessageBox::No))
        b->setText(QStringLiteral("&Ei"));
    if (auto* b = box.button(QMessageBox::Cancel))
        b->setText(QStringLiteral("Peruuta"));
    if (auto* b = box.button(QMessageBox::Ok))
        b->setText(QStringLiteral("OK"));
    // Centred on a short owner at the top of the screen, the box would open with its title bar
    // above the screen.
    KeepOnScreen(&box);
    switch (box.exec()) {
    case QMessageBox::Yes: return MsgResult::Yes;
    case QMessageBox::No: return MsgResult::No;
    case QMessageBox::Ok: return MsgResult::Ok;
    default: return ClosedAnswer(buttons);
    }
}

std::optional<QString> WidgetPrompter::input(const QString& prompt, const QString& title, const QString& defaultText)
{
    QInputDialog dlg(owner());
    dlg.setWindowTitle(caption(title));
    dlg.setLabelText(prompt);
    dlg.setTextValue(defaultText);
    dlg.setOkButtonText(QStringLiteral("OK"));
    dlg.setCancelButtonText(QStringLiteral("Peruuta"));
    KeepOnScreen(&dlg);
    if (dlg.exec() != QDialog::Accepted)
        return std::nullopt;
    return dlg.textValue();
}

namespace {

QString startPath(const FileDialogRequest& r)
{
    if (r.fileName.isEmpty())
        return r.folder;
    return r.folder.isEmpty() ? r.fileName : JoinPath(r.folder, r.fileName);
}

} // namespace

// The dialog is made here rather than by QFileDialog's static functions, so that it gets the
// default suffix and is kept on the screen like every other window; a desktop's own dialog is used
// all the same where the desktop offers one.
std::optional<QString> WidgetPrompter::fileDialog(const FileDialogRequest& request, int mode)
{
    QFileDialog dialog(owner(), caption(request.title), request.folder, request.filter);
    dialog.setFileMode(QFileDialog::FileMode(mode));
    if (mode == QFileDialog::Directory) {
        dialog.setOption(QFileDialog::ShowDirsOnly);
    } else {
        if (!request.fileName.isEmpty())
            dialog.selectFile(startPath(request));
        if (mode == QFileDialog::AnyFile) {
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setDefaultSuffix(request.defaultSuffix);
            // The question is asked once the name is whole (confirmedSave).
            dialog.setOption(QFileDialog::DontConfirmOverwrite);
        }
    }
    KeepOnScreen(&dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString f = dialog.selectedFiles().constFirst();
    return f.isEmpty() ? std::nullopt : std::optional<QString>(f);
}

std::optional<QString> WidgetPrompter::openFile(const FileDialogRequest& request)
{
    return fileDialog(request, QFileDialog::ExistingFile);
}

std::optional<QString> WidgetPrompter::saveFile(const FileDialogRequest& request)
{
    return confirmedSave(request, [this](const FileDialogRequest& r) { return fileDialog(r, QFileDialog::AnyFile); });
}

std::optional<QString> WidgetPrompter::chooseFolder(const FileDialogRequest& request)
{
    return fileDialog(request, QFileDialog::Directory);
}

void WidgetPrompter::beep()
{
    QApplication::beep();
}

} // namespace tikkeli
