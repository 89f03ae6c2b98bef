#pragma once

#include "base/Prompter.h"

class QWidget;

namespace tikkeli {

// The prompter of the running program: Qt message boxes, input boxes and file dialogs, owned by
// the active window, with the program title as caption unless another is given.
class WidgetPrompter : public Prompter {
public:
    MsgResult message(const QString& text, MsgIcon icon, MsgButtons buttons, const QString& title = {}) override;
    std::optional<QString> input(const QString& prompt, const QString& title = {}, const QString& defaultText = {}) override;
    std::optional<QString> openFile(const FileDialogRequest& request) override;
    std::optional<QString> saveFile(const FileDialogRequest& request) override;
    std::optional<QString> chooseFolder(const FileDialogRequest& request) override;
    void beep() override;

private:
    // mode: a QFileDialog::FileMode.
    std::optional<QString> fileDialog(const FileDialogRequest& request, int mode);
    static QWidget* owner();
    static QString caption(const QString& title);
};

} // namespace tikkeli
