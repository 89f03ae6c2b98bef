#include "ui/SuggestionList.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStringListModel>

namespace tikkeli {

SuggestionList::SuggestionList(QComboBox* box)
    : QObject(box), m_box(box), m_items(new QStringListModel(box)), m_completer(new QCompleter(m_items, this))
{
    box->setModel(m_items);
    // The box's own completer writes the rest of an item into the box while the user types (Tab
    // keeps it) and gives a typed text an item's spelling when the box is left.
    box->setCompleter(nullptr);
    m_completer->setCaseSensitivity(Qt::CaseInsensitive);
    m_completer->setCompletionMode(QCompleter::PopupCompletion);
    m_completer->setWidget(box->lineEdit());
    // The list follows the text as the handlers connected before it leave it (a window may empty
    // the box when there is nothing to type in).
    connect(box->lineEdit(), &QLineEdit::textEdited, this, &SuggestionList::follow);
    connect(m_completer, qOverload<const QString&>(&QCompleter::activated), this, &SuggestionList::take);
    // The focus is the box's own, its line edit only stands in it: the box sees it go.
    box->installEventFilter(this);
    // The list's own filter passes Tab to the box before it looks at the item highlighted; this
    // one, installed after it, sees the key first.
    m_completer->popup()->installEventFilter(this);
}

void SuggestionList::take(const QString& item)
{
    m_box->setEditText(item);
    emit chosen(item);
}

void SuggestionList::setItems(const QStringList& items)
{
    close();
    m_items->setStringList(items);
    m_box->setCurrentIndex(-1);
    m_box->setEditText(QString());
}

bool SuggestionList::isOpen() const
{
    return m_completer->popup()->isVisible();
}

void SuggestionList::close()
{
    m_completer->popup()->hide();
}

void SuggestionList::follow()
{
    const QString text = m_box->lineEdit()->text();
    m_completer->setCompletionPrefix(text);
    if (text.isEmpty() || !m_box->hasFocus())
        close();
    else
        m_completer->complete();
}

bool SuggestionList::eventFilter(QObject* watched, QEvent* event)
{
    // Tab or Shift+Tab with an item highlighted takes it, as Enter does, and goes on from the box;
    // with none highlighted the typed text stays.
    QAbstractItemView* popup = m_completer->popup();
    const auto isTab = [event] {
        const int key = static_cast<QKeyEvent*>(event)->key();
        return key == Qt::Key_Tab || key == Qt::Key_Backtab;
    };
    if (watched == popup && event->type() == QEvent::KeyPress && popup->isVisible() && isTab()
        && popup->currentIndex().isValid()) {
        const QString item = popup->currentIndex().data(m_completer->completionRole()).toString();
        close();
        take(item);
        QCoreApplication::sendEvent(m_box->lineEdit(), event);
        return true;
    }
    // The list opening takes the focus for a moment (PopupFocusReason); any other loss is the box's.
    if (watched == m_box && event->type() == QEvent::FocusOut
        && static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
        close();
    return QObject::eventFilter(watched, event);
}

void CloseSuggestionLists(QWidget* window)
{
    for (SuggestionList* list : window->findChildren<SuggestionList*>())
        list->close();
}

} // namespace tikkeli
