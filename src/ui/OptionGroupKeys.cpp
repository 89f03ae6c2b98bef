#include "ui/OptionGroupKeys.h"

#include "ui/ApplicationFilter.h"

#include <QApplication>
#include <QButtonGroup>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QRadioButton>

#include <algorithm>
#include <utility>
#include <vector>

namespace tikkeli {

namespace {

const char* const kFilterName = "OptionGroupKeys";

// What binds button's group: its exclusive button group, or for an auto-exclusive option its
// parent (as Qt itself groups them); nullptr for an option of no group.
const QObject* groupKey(const QRadioButton* button)
{
    if (const QButtonGroup* group = button->group())
        return group->exclusive() ? group : nullptr;
    return button->autoExclusive() ? button->parentWidget() : nullptr;
}

// The groups of window's options (of one group only, when only is given), each in tab order.
std::vector<QList<QRadioButton*>> groupsIn(QWidget* window, const QObject* only = nullptr)
{
    std::vector<std::pair<const QObject*, QList<QRadioButton*>>> found;
    for (QWidget* w = window->nextInFocusChain(); w && w != window; w = w->nextInFocusChain()) {
        auto* option = qobject_cast<QRadioButton*>(w);
        const QObject* key = option && option->window() == window ? groupKey(option) : nullptr;
        if (!key || (only && key != only))
            continue;
        auto it = std::find_if(found.begin(), found.end(), [key](const auto& g) { return g.first == key; });
        if (it == found.end())
            found.push_back({key, {option}});
        else
            it->second << option;
    }
    std::vector<QList<QRadioButton*>> groups;
    for (auto& g : found)
        if (g.second.size() > 1)
            groups.push_back(std::move(g.second));
    return groups;
}

bool usable(const QRadioButton* option)
{
    return option->isEnabled() && option->isCheckable() && option->focusPolicy() != Qt::NoFocus
           && option->isVisibleTo(option->window());
}

QRadioButton* chosenIn(const QList<QRadioButton*>& group)
{
    for (QRadioButton* option : group)
        if (option->isChecked())
            return option;
    return nullptr;
}

void tabToChosen(const QList<QRadioButton*>& group)
{
    QRadioButton* target = chosenIn(group);
    if (!target || !usable(target)) {
        const auto first = std::find_if(group.begin(), group.end(), usable);
        if (first == group.end())
            return;
        target = *first;
    }
    for (QRadioButton* option : group) {
        const Qt::FocusPolicy policy = option->focusPolicy();
        if (policy != Qt::NoFocus)
            option->setFocusPolicy(Qt::FocusPolicy(option == target ? policy | Qt::TabFocus : policy & ~Qt::TabFocus));
    }
}

// +1 for the keys that go to the next option, -1 for those that go back, 0 for any other key.
int arrowStep(const QKeyEvent* key)
{
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return 0;
    switch (key->key()) {
    case Qt::Key_Right:
    case Qt::Key_Down: return 1;
    case Qt::Key_Left:
    case Qt::Key_Up: return -1;
    default: return 0;
    }
}

// Chooses the next usable option from the chosen one (from the focused one while none is
// chosen) and gives it the focus. True when the key was the group's.
bool moveChoice(QRadioButton* focused, int step)
{
    const QList<QRadioButton*> group = OptionGroupOf(focused);
    if (group.isEmpty())
        return false;
    QRadioButton* from = chosenIn(group);
    if (!from || !usable(from))
        from = focused;
    const qsizetype count = group.size();
    const qsizetype at = group.indexOf(from);
    QPointer<QRadioButton> next;
    for (qsizetype i = 1; i < count && !next; ++i) {
        QRadioButton* option = group[((at + step * i) % count + count) % count];
        if (usable(option))
            next = option;
    }
    QPointer<QRadioButton> stay = focused;
    // As a click does, so the window hears of the choice; it may refuse it.
    if (next)
        next->click();
    if (!stay)
        return true;
    QRadioButton* chosen = chosenIn(group);
    QRadioButton* target = chosen && usable(chosen) ? chosen : stay.data();
    target->setFocus(step > 0 ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    tabToChosen(group);
    return true;
}

// The group's usable chosen option when option is another one of its group; nullptr when the
// focus may stay on option (it is the choice, or the group has no usable one).
QRadioButton* choiceApartFrom(QRadioButton* option)
{
    if (option->isChecked())
        return nullptr;
    QRadioButton* chosen = chosenIn(OptionGroupOf(option));
    return chosen && chosen != option && usable(chosen) ? chosen : nullptr;
}

// The focus stayed on an option that the program then unchose while the window did not let the
// group hear of it: Tab goes on from the group's choice, so it leaves the group instead of
// landing on the choice.
bool tabFromTheChoice(QRadioButton* focused, const QKeyEvent* key)
{
    QRadioButton* chosen = choiceApartFrom(focused);
    if (!chosen)
        return false;
    chosen->setFocus(Qt::OtherFocusReason);
    QKeyEvent again(key->type(), key->key(), key->modifiers(), key->text(), key->isAutoRepeat(), key->count());
    QCoreApplication::sendEvent(chosen, &again);
    return true;
}

// The group's choice changed: Tab goes to the new choice, and a focus left on an option no longer
// chosen (another record shown, a choice the window refused) goes with the choice, so the ring
// the user sees stays on the dot.
void followChoice(QRadioButton* option)
{
    const QList<QRadioButton*> group = OptionGroupOf(option);
    tabToChosen(group);
    auto* focused = qobject_cast<QRadioButton*>(option->window()->focusWidget());
    if (!focused || !group.contains(focused))
        return;
    if (QRadioButton* chosen = choiceApartFrom(focused))
        chosen->setFocus(Qt::OtherFocusReason);
}

const char* const kFollows = "tikkeliFollowsChoice";

void followChoicesOf(QRadioButton* option)
{
    if (option->property(kFollows).toBool())
        return;
    option->setProperty(kFollows, true);
    QObject::connect(option, &QAbstractButton::toggled, option, [option] { followChoice(option); });
}

// Keys with which Qt may move the focus along the tab order: Tab and Shift+Tab anywhere, and an
// arrow on a button that belongs to no group (a check box steps to its neighbours with them).
bool movesAlongTabOrder(const QWidget* widget, const QKeyEvent* key)
{
    switch (key->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down: return qobject_cast<const QAbstractButton*>(widget) != nullptr;
    default: return false;
    }
}

class OptionGroupFilter : public QObject {
public:
    explicit OptionGroupFilter(QObject* parent) : QObject(parent) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress: {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (!widget)
                return false;
            const auto* key = static_cast<QKeyEvent*>(event);
            auto* option = qobject_cast<QRadioButton*>(widget);
            if (movesAlongTabOrder(widget, key)) {
                // Before the window looks for the next control that takes Tab. An open list
                // hands its keys to its box, whose window is the one to look in.
                TabToChosenOptions(widget->window());
                if (QWidget* focus = QApplication::focusWidget(); focus && focus->window() != widget->window())
                    TabToChosenOptions(focus->window());
                if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
                    return option && tabFromTheChoice(option, key);
            }
            const int step = option ? arrowStep(key) : 0;
            return step != 0 && moveChoice(option, step);
        }
        case QEvent::Polish:
            if (auto* option = qobject_cast<QRadioButton*>(watched))
                followChoicesOf(option);
            return false;
        case QEvent::FocusIn:
            // Whichever way the focus came into a group but a click (which chooses the option
            // it lands on), it comes to the group's choice.
            if (auto* option = qobject_cast<QRadioButton*>(watched);
                option && static_cast<QFocusEvent*>(event)->reason() != Qt::MouseFocusReason)
                if (QRadioButton* chosen = choiceApartFrom(option)) {
                    chosen->setFocus(static_cast<QFocusEvent*>(event)->reason());
                    return true;
                }
            return false;
        case QEvent::MouseButtonRelease:
            // A press on an option let go outside it chooses nothing: the focus it took goes back
            // to the choice once the button has had the release.
            if (auto* option = qobject_cast<QRadioButton*>(watched))
                QMetaObject::invokeMethod(
                    option,
                    [option] {
                        if (option->hasFocus())
                            if (QRadioButton* chosen = choiceApartFrom(option))
                                chosen->setFocus(Qt::OtherFocusReason);
                    },
                    Qt::QueuedConnection);
            return false;
        case QEvent::Show:
            // A window opening gives its first focus the way Tab goes.
            if (auto* widget = qobject_cast<QWidget*>(watched); widget && widget->isWindow())
                TabToChosenOptions(widget);
            return false;
        default: return false;
        }
    }
};

} // namespace

void InstallOptionGroupKeys()
{
    InstallApplicationFilterOnce<OptionGroupFilter>(kFilterName);
}

QList<QRadioButton*> OptionGroupOf(QRadioButton* button)
{
    const QObject* key = groupKey(button);
    if (!key)
        return {};
    auto groups = groupsIn(button->window(), key);
    return groups.empty() ? QList<QRadioButton*>{} : groups.front();
}

void TabToChosenOptions(QWidget* window)
{
    for (const QList<QRadioButton*>& group : groupsIn(window))
        tabToChosen(group);
}

} // namespace tikkeli
