#pragma once

#include "contracts/cTila.h"

#include <QColor>
#include <QWidget>
#include <memory>

class QKeyEvent;

namespace Ui {
class tTilatiedot;
}

namespace tikkeli {

// One estate in a single row of boxes (house and estate number, estate name, area), for a host
// window that stacks one row per estate. Every edit goes straight into the estate record through
// its own properties; storing is the record's and the host's business. Typing into a box while no
// estate is held changes nothing.
class tTilatiedot : public QWidget {
    Q_OBJECT
public:
    explicit tTilatiedot(QWidget* parent = nullptr);
    ~tTilatiedot() override;

    QColor BackColor() const;
    void setBackColor(const QColor& color);
    bool Selected = false;

    // The estate shown and edited; shared with the caller. Showing it leaves a clean estate clean.
    std::shared_ptr<cTila> Tila() const { return m_tila; }
    void setTila(std::shared_ptr<cTila> tila);

signals:
    // Every key pressed in one of the boxes or in the row itself: the host may move between rows.
    void KeyDown(int keyCode, Qt::KeyboardModifiers shift);
    void backColorChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void taloChanged();
    void tilaChanged();
    void nameChanged();
    void areaChanged();

    std::unique_ptr<Ui::tTilatiedot> ui;
    std::shared_ptr<cTila> m_tila;
    const QKeyEvent* m_reported = nullptr;
};

} // namespace tikkeli
