#pragma once

#include <QLabel>

namespace tikkeli {

// The guided backup windows show their status lines in red letters.
inline void setRedLetters(QLabel* label)
{
    QPalette p = label->palette();
    p.setColor(QPalette::Active, QPalette::WindowText, QColor(255, 0, 0));
    p.setColor(QPalette::Inactive, QPalette::WindowText, QColor(255, 0, 0));
    label->setPalette(p);
}

} // namespace tikkeli
