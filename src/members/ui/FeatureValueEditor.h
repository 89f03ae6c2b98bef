#pragma once

#include "members/FeatureValueText.h"

#include <QWidget>
#include <memory>
#include <optional>

class QCheckBox;

namespace Ui {
class FeatureValueEditor;
}

namespace tikkeli {

// The four value boxes of a feature (date, whole number, amount, memo) with their captions, as the
// catalogue, the attach window and the member's features tab show them. Captions are labels where a
// definition decides which kinds are offered, or check boxes where the user turns kinds on (the
// catalogue). Each box is as long as its field allows; leaving a box with a text its field refuses
// tells the user the field's message and keeps the text for correcting.
// Boxes keep the object names tDate, tLong, tCurrency, tMemo (captions lblX / chkX).
class FeatureValueEditor : public QWidget {
    Q_OBJECT
public:
    using Kind = FeatureValueText::Kind;
    enum class Captions { Labels, CheckBoxes };

    explicit FeatureValueEditor(QWidget* parent = nullptr);
    ~FeatureValueEditor() override;

    void setCaptions(Captions captions);
    Captions captions() const { return m_captions; }

    // Labels: an offered kind shows its label and an enabled box; another has its label hidden and
    // its box disabled. CheckBoxes: the check box is ticked and the box enabled, or neither.
    void setOffered(Kind kind, bool on);
    bool isOffered(Kind kind) const;
    // Every kind not offered, every box empty.
    void reset();

    QString text(Kind kind) const;
    void setText(Kind kind, const QString& text);

    // The field's message for the first offered box whose text cannot be stored; nullopt when all can.
    std::optional<QString> refusal() const;

    QWidget* valueBox(Kind kind) const;
    QCheckBox* kindBox(Kind kind) const;

signals:
    // The user ticked or cleared a kind's check box (CheckBoxes captions); an emptied kind's box is
    // cleared and disabled already.
    void kindToggled(tikkeli::FeatureValueText::Kind kind, bool on);
    // A box's text changed, by typing or by code.
    void valueChanged(tikkeli::FeatureValueText::Kind kind);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void boxLeft(Kind kind);
    static std::size_t index(Kind kind) { return std::size_t(kind); }

    std::unique_ptr<Ui::FeatureValueEditor> ui;
    Captions m_captions = Captions::Labels;
    bool m_checking = false;
};

} // namespace tikkeli
