#include "base/Prompter.h"

#include <QDir>
#include <QFileInfo>

namespace tikkeli {

namespace {

class SilentPrompter : public Prompter {
public:
    MsgResult message(const QString&, MsgIcon, MsgButtons buttons, const QString&) override { return ClosedAnswer(buttons); }
    std::optional<QString> input(const QString&, const QString&, const QString&) override { return std::nullopt; }
    std::optional<QString> openFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> saveFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> chooseFolder(const FileDialogRequest&) override { return std::nullopt; }
    void beep() override {}
};

SilentPrompter g_silent;
Prompter* g_current = nullptr;

} // namespace

MsgResult ClosedAnswer(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::Ok: return MsgResult::Ok;
    case MsgButtons::OkCancel:
    case MsgButtons::YesNoCancel:
    case MsgButtons::YesNoCancelDefaultCancel:
    case MsgButtons::YesNoCloseCancels: return MsgResult::Cancel;
    case MsgButtons::YesNo:
    case MsgButtons::YesNoDefaultNo: return MsgResult::No;
    }
    return MsgResult::Cancel;
}

Prompter& Prompter::instance()
{
    return g_current ? *g_current : g_silent;
}

void Prompter::setInstance(Prompter* p)
{
    g_current = p;
}

std::optional<QString> Prompter::confirmedSave(FileDialogRequest request, const SaveDialog& dialog)
{
    for (;;) {
        const std::optional<QString> chosen = dialog(request);
        if (!chosen || chosen->isEmpty())
            return chosen;
        if (const std::optional<QString> refused = request.refuse ? request.refuse(*chosen) : std::nullopt)
            message(*refused, MsgIcon::Warning, MsgButtons::Ok, request.title);
        else if (!request.confirmOverwrite || !QFileInfo::exists(*chosen))
            return chosen;
        else if (message(ReplaceFileQuestion(*chosen), MsgIcon::Warning, MsgButtons::YesNoDefaultNo, request.title)
                 == MsgResult::Yes)
            return chosen;
        const QFileInfo file(*chosen);
        request.folder = file.absolutePath();
        request.fileName = file.fileName();
    }
}

QString ReplaceFileQuestion(const QString& path)
{
    return QStringLiteral("Tiedosto on jo olemassa:\n%1\n\nKorvataanko se?").arg(QDir::toNativeSeparators(path));
}

void ShowInfo(const QString& text)
{
    Prompter::instance().message(text, MsgIcon::Information, MsgButtons::Ok);
}

void ShowWarning(const QString& text)
{
    Prompter::instance().message(text, MsgIcon::Warning, MsgButtons::Ok);
}

bool AskYesNo(const QString& text, MsgIcon icon, const QString& title)
{
    return Prompter::instance().message(text, icon, MsgButtons::YesNo, title) == MsgResult::Yes;
}

QString NamingRecord(const QString& question, const QStringList& record)
{
    QStringList parts;
    for (const QString& part : record) {
        if (!part.trimmed().isEmpty())
            parts << part.trimmed();
    }
    if (parts.isEmpty())
        return question;
    return question + QStringLiteral("\r\n\r\n") + parts.join(QStringLiteral(", "));
}

} // namespace tikkeli
