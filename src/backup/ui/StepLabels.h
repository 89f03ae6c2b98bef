#pragma once

#include <QLabel>

namespace tikkeli {

// The guided backup windows: numbered step labels that appear as the steps are reached and grey
// out when done, and status lines in red letters.
inline QLabel* makeStepLabel(QWidget* parent, const char* objectName, const QString& caption, bool visible)
{
    auto* l = new QLabel(caption, parent);
    l->setObjectName(QLatin1String(objectName));
    l->setWordWrap(true);
    l->setVisible(visible);
    return l;
}

inline void setRedLetters(QLabel* label)
{
    QPalette p = label->palette();
    p.setColor(QPalette::Active, QPalette::WindowText, QColor(255, 0, 0));
    p.setColor(QPalette::Inactive, QPalette::WindowText, QColor(255, 0, 0));
    label->setPalette(p);
}

} // namespace tikkeli
