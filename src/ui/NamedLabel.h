#pragma once

#include <QLabel>

namespace tikkeli {

// A word-wrapping label carrying its control name, as the windows' fixed texts are built.
inline QLabel* NamedLabel(QWidget* parent, const QString& name, const QString& text)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setWordWrap(true);
    return l;
}

} // namespace tikkeli
