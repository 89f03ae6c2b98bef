#pragma once

#include <QObject>
#include <QStringList>

class QComboBox;
class QCompleter;
class QStringListModel;
class QWidget;

namespace tikkeli {

// The suggestions of an editable list box whose typed text is the value: while the user types,
// the items that begin with the text, whatever the case of its letters, show in a list under the
// box. The text stays as typed (no rest of an item written into the box, no item's spelling given
// to it on leaving); an item is taken only when it is chosen in the list with Down and Enter (or
// Tab or Shift+Tab, which then go on) or the mouse, and chosen() then follows.
//
// An open list takes every key typed and hands it to its box, so it must never outlive the box's
// focus or the value it was opened for: it closes when the box loses the focus, and a window
// closes its lists (CloseSuggestionLists) before it shows another record in the box.
class SuggestionList : public QObject {
    Q_OBJECT
public:
    // Becomes the box's child; the box's items are its own from now on (setItems).
    explicit SuggestionList(QComboBox* box);

    // The box's items in one call (a list can hold every member); the box's text is left empty.
    void setItems(const QStringList& items);
    bool isOpen() const;
    void close();

signals:
    // The box's text is now the item chosen in the list.
    void chosen(const QString& item);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void follow();
    void take(const QString& item);

    QComboBox* m_box;
    QStringListModel* m_items;
    QCompleter* m_completer;
};

// Closes the suggestion list of every box of the window.
void CloseSuggestionLists(QWidget* window);

} // namespace tikkeli
