#pragma once

#include "base/Prompter.h"

#include <deque>
#include <functional>
#include <vector>

namespace tikkeli {

// A prompter for tests: records everything shown and answers from a script.
// Plain OK boxes need no scripted answer. A question, input or file dialog with nothing scripted
// is recorded as unexpected and answered with its safe default (No/Cancel).
// A save dialog acts as the real one does: a scripted name is taken in the dialog's folder and
// gets the default suffix when it has none; an existing file then brings the overwrite question
// (a message answered from the script) unless the caller asks its own, and "No" to it shows the
// dialog again, answered by the next scripted name. A save dialog without a default suffix counts
// as unexpected.
class ScriptedPrompter : public Prompter {
public:
    enum class Kind { Message, Input, OpenFile, SaveFile, Folder, Beep };
    struct Shown {
        Kind kind;
        QString text; // message text or prompt; dialog title for file dialogs
        MsgIcon icon = MsgIcon::None;
        MsgButtons buttons = MsgButtons::Ok;
        QString title;
        FileDialogRequest request; // file dialogs
    };

    ScriptedPrompter();           // installs itself
    ~ScriptedPrompter() override; // uninstalls itself

    // Answers, consumed in order by questions (buttons other than Ok) ...
    void answer(MsgResult r);
    void answerYes() { answer(MsgResult::Yes); }
    void answerNo() { answer(MsgResult::No); }
    // The user presses Escape or closes the box: the question gets what a real box gives then
    // (ClosedAnswer of its buttons).
    void answerClosed();
    // ... by input boxes and file dialogs (nullopt = cancel).
    void answerText(std::optional<QString> text);
    // Called for every message as it is shown, e.g. to act while a box is "open".
    void onMessage(std::function<void(const Shown&)> hook) { m_hook = std::move(hook); }

    const std::vector<Shown>& shown() const { return m_shown; }
    QStringList messageTexts() const;
    bool anyMessageContains(const QString& part) const;
    int unexpected() const { return m_unexpected; }
    bool scriptExhausted() const { return m_answers.empty() && m_texts.empty(); }
    void clear();

    MsgResult message(const QString& text, MsgIcon icon, MsgButtons buttons, const QString& title = {}) override;
    std::optional<QString> input(const QString& prompt, const QString& title = {}, const QString& defaultText = {}) override;
    std::optional<QString> openFile(const FileDialogRequest& request) override;
    std::optional<QString> saveFile(const FileDialogRequest& request) override;
    std::optional<QString> chooseFolder(const FileDialogRequest& request) override;
    void beep() override;

private:
    std::optional<QString> nextText(Kind kind, const QString& text, const FileDialogRequest& request);

    std::deque<std::optional<MsgResult>> m_answers; // nullopt: closed
    struct TextAnswer {
        bool given;
        QString text;
    };
    std::deque<TextAnswer> m_texts;
    std::vector<Shown> m_shown;
    std::function<void(const Shown&)> m_hook;
    int m_unexpected = 0;
    Prompter* m_previous = nullptr;
};

} // namespace tikkeli
