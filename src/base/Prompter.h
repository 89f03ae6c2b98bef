#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace tikkeli {

enum class MsgIcon { None, Information, Warning, Critical, Question };
// YesNoDefaultNo: a question whose Yes loses something (typed work); Enter answers No.
// YesNoCancelDefaultCancel: a question put in the way of a command (a close), which Enter calls off.
// YesNoCloseCancels: Yes and No, Yes the default, for a question whose No drops the user's work:
// Escape and the title bar's close answer Cancel, "go back", never No.
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, YesNoDefaultNo, YesNoCancelDefaultCancel, YesNoCloseCancels };
enum class MsgResult { Ok, Cancel, Yes, No };

// What a message box answers when the user presses Escape or closes it with the title bar's close:
// Cancel where the box can call a command off, else its safe answer (No, or OK for a plain box).
MsgResult ClosedAnswer(MsgButtons buttons);

struct FileDialogRequest {
    QString title;
    QString folder;               // initial folder
    QString fileName;             // proposed file name
    QString filter;               // Qt filter text, e.g. "Tietokannat (*.mdb);;Kaikki tiedostot (*)"
    bool confirmOverwrite = true; // save dialog: false when the caller asks its own question
    // Save dialog: the extension ("pdf") the dialog itself adds to a name typed without one, so
    // that its overwrite question (or the caller's) is about the file that will be written.
    QString defaultSuffix;
    // Save dialog: why the chosen file may not be written, shown as a warning before any question
    // about replacing it; the dialog then asks again at that name. Nullopt lets the name through.
    std::function<std::optional<QString>(const QString& file)> refuse;
};

// Every message box, input box and file dialog of the program goes through the current prompter,
// so the whole program can run headless under a scripted one in tests.
class Prompter {
public:
    virtual ~Prompter() = default;

    // title empty → the program title.
    virtual MsgResult message(const QString& text, MsgIcon icon, MsgButtons buttons, const QString& title = {}) = 0;
    // nullopt when the user cancels.
    virtual std::optional<QString> input(const QString& prompt, const QString& title = {},
                                         const QString& defaultText = {}) = 0;
    virtual std::optional<QString> openFile(const FileDialogRequest& request) = 0;
    // The name as the dialog gives it, the default suffix added: the caller writes exactly that file.
    virtual std::optional<QString> saveFile(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> chooseFolder(const FileDialogRequest& request) = 0;
    virtual void beep() = 0;

    static Prompter& instance();
    // Installs p (not owned) as the current prompter; nullptr restores the default, which answers
    // every question with its safe default (Cancel/No) and shows nothing.
    static void setInstance(Prompter* p);

protected:
    using SaveDialog = std::function<std::optional<QString>(const FileDialogRequest&)>;
    // The rounds of a save dialog. dialog shows it once and gives the name with the default suffix
    // added, having asked nothing itself: a desktop's own dialog asks about the name as typed and
    // the suffix comes only after it. A name the request refuses is told and the dialog shown
    // again; an existing file is asked about here (unless the caller asks its own question), and
    // "Ei" shows the dialog again at that name.
    std::optional<QString> confirmedSave(FileDialogRequest request, const SaveDialog& dialog);
};

// The question before a file is replaced, naming it whole.
QString ReplaceFileQuestion(const QString& path);

// The two standard message boxes: program title, information resp. exclamation icon, one OK button.
void ShowInfo(const QString& text);
void ShowWarning(const QString& text);
// Yes/No question with the question icon and the program title; true for Yes.
bool AskYesNo(const QString& text, MsgIcon icon = MsgIcon::Question, const QString& title = {});

// A delete question that names the record it deletes as the window shows it, after an empty line:
// the parts of the record that are not empty, joined by commas. With no part, the question alone.
QString NamingRecord(const QString& question, const QStringList& record);

} // namespace tikkeli
