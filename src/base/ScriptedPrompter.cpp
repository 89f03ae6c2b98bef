#include "base/ScriptedPrompter.h"

#include "base/Folders.h"

#include <QDir>
#include <QFileInfo>

namespace tikkeli {

ScriptedPrompter::ScriptedPrompter() : m_previous(&Prompter::instance())
{
    Prompter::setInstance(this);
}

ScriptedPrompter::~ScriptedPrompter()
{
    if (&Prompter::instance() == this)
        Prompter::setInstance(nullptr);
}

void ScriptedPrompter::answer(MsgResult r)
{
    m_answers.push_back(r);
}

void ScriptedPrompter::answerClosed()
{
    m_answers.push_back(std::nullopt);
}

void ScriptedPrompter::answerText(std::optional<QString> text)
{
    m_texts.push_back(TextAnswer{text.has_value(), text.value_or(QString())});
}

QStringList ScriptedPrompter::messageTexts() const
{
    QStringList out;
    for (const auto& s : m_shown)
        if (s.kind == Kind::Message)
            out << s.text;
    return out;
}

bool ScriptedPrompter::anyMessageContains(const QString& part) const
{
    for (const auto& s : m_shown)
        if (s.kind == Kind::Message && s.text.contains(part))
            return true;
    return false;
}

void ScriptedPrompter::clear()
{
    m_answers.clear();
    m_texts.clear();
    m_shown.clear();
    m_unexpected = 0;
}

MsgResult ScriptedPrompter::message(const QString& text, MsgIcon icon, MsgButtons buttons, const QString& title)
{
    Shown s{Kind::Message, text, icon, buttons, title, {}};
    m_shown.push_back(s);
    if (m_hook)
        m_hook(s);
    if (buttons == MsgButtons::Ok)
        return MsgResult::Ok;
    if (m_answers.empty()) {
        ++m_unexpected;
        return ClosedAnswer(buttons);
    }
    const std::optional<MsgResult> r = m_answers.front();
    m_answers.pop_front();
    return r.value_or(ClosedAnswer(buttons));
}

std::optional<QString> ScriptedPrompter::nextText(Kind kind, const QString& text, const FileDialogRequest& request)
{
    Shown s{kind, text, MsgIcon::None, MsgButtons::OkCancel, request.title, request};
    m_shown.push_back(s);
    if (m_hook)
        m_hook(s);
    if (m_texts.empty()) {
        ++m_unexpected;
        return std::nullopt;
    }
    const TextAnswer t = m_texts.front();
    m_texts.pop_front();
    if (!t.given)
        return std::nullopt;
    return t.text;
}

std::optional<QString> ScriptedPrompter::input(const QString& prompt, const QString& title, const QString& defaultText)
{
    FileDialogRequest r;
    r.title = title;
    r.fileName = defaultText;
    return nextText(Kind::Input, prompt, r);
}

std::optional<QString> ScriptedPrompter::openFile(const FileDialogRequest& request)
{
    return nextText(Kind::OpenFile, request.title, request);
}

namespace {

// What a save dialog makes of a typed name: a relative one lies in the dialog's folder, and one
// whose file name has no dot gets the default suffix (as QFileDialog::setDefaultSuffix does).
QString chosenFile(const QString& typed, const FileDialogRequest& request)
{
    QString file = QDir::isRelativePath(typed) && !request.folder.isEmpty() ? JoinPath(request.folder, typed) : typed;
    if (!request.defaultSuffix.isEmpty() && !QFileInfo(file).fileName().contains(QLatin1Char('.')))
        file += QLatin1Char('.') + request.defaultSuffix;
    return file;
}

} // namespace

std::optional<QString> ScriptedPrompter::saveFile(const FileDialogRequest& request)
{
    // Each save dialog names its extension, or a question about the file misses the file written.
    if (request.defaultSuffix.isEmpty())
        ++m_unexpected;
    return confirmedSave(request, [this](const FileDialogRequest& shown) -> std::optional<QString> {
        const std::optional<QString> typed = nextText(Kind::SaveFile, shown.title, shown);
        if (!typed || typed->isEmpty())
            return typed;
        return chosenFile(*typed, shown);
    });
}

std::optional<QString> ScriptedPrompter::chooseFolder(const FileDialogRequest& request)
{
    return nextText(Kind::Folder, request.title, request);
}

void ScriptedPrompter::beep()
{
    m_shown.push_back(Shown{Kind::Beep, {}, MsgIcon::None, MsgButtons::Ok, {}, {}});
}

} // namespace tikkeli
