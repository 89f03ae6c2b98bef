#include "lists/ui/GroupEmailParts.h"

#include "base/Folders.h"
#include "base/Prompter.h"
#include "base/SharedState.h"

#include <QFileInfo>
#include <QListWidget>

namespace tikkeli::EmailWindowParts {

void AddAttachment(QListWidget* list)
{
    FileDialogRequest request;
    request.title = QStringLiteral("Liitetiedosto");
    request.folder = ProgramFolder();
    request.filter = QStringLiteral("Kaikki tiedostot (*)");
    const auto file = Prompter::instance().openFile(request);
    if (file && !file->isEmpty())
        list->addItem(*file);
}

void RemoveAttachment(QListWidget* list)
{
    const int row = list->currentRow();
    if (row >= 0 && list->currentItem() && list->currentItem()->isSelected())
        delete list->takeItem(row);
}

EmailAttachments Attachments(const QListWidget* list)
{
    EmailAttachments attachments;
    for (int i = 0; i < list->count(); ++i) {
        const QString path = list->item(i)->text();
        if (!path.isEmpty())
            attachments.append({path});
    }
    return attachments;
}

QString CheckBeforeSend(const EmailAttachments& attachments)
{
    if (State().SmtpServer.trimmed().isEmpty())
        return QStringLiteral("Asetuksista puuttuu SMTP palvelimen nimi.");
    for (const EmailAttachment& a : attachments) {
        if (!QFileInfo(a.Path).isFile())
            return QStringLiteral("Liitetiedostoa ei löydy: %1").arg(a.Path);
    }
    return {};
}

bool MayDiscard(bool typed)
{
    if (!typed)
        return true;
    return Prompter::instance().message(QStringLiteral("Viestiä ei ole lähetetty. Hylätäänkö kirjoitettu viesti?"),
                                        MsgIcon::Question, MsgButtons::YesNoDefaultNo)
           == MsgResult::Yes;
}

} // namespace tikkeli::EmailWindowParts
