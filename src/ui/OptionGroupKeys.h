#pragma once

#include <QList>

class QRadioButton;
class QWidget;

namespace tikkeli {

// The keyboard in option groups, the same in every window. An option group is the radio buttons
// of one exclusive QButtonGroup, or the auto-exclusive ones of one parent.
// - Tab and Shift+Tab reach each group once, on its chosen option (the first usable one while none
//   is), whether the user or the program chose it. Qt gives Tab to the option that last had the
//   focus, so after another record was shown Tab landed on an option not chosen.
// - All four arrows move the choice within the group whatever its layout: Right and Down to the
//   next option in tab order, Left and Up to the one before, round at the ends. Qt moves by
//   geometry, so Down did nothing where the options stand side by side.
// - A disabled option is passed over; a group without another usable option keeps its choice.
// Installed once on the application, so every window has it without asking.
void InstallOptionGroupKeys();

// The options of button's group in tab order; empty when it belongs to no group.
QList<QRadioButton*> OptionGroupOf(QRadioButton* button);
// Gives Tab to the chosen option of every group in window. Done before every Tab and whenever a
// window is shown; whoever looks for a window's first field calls it first.
void TabToChosenOptions(QWidget* window);

} // namespace tikkeli
