#pragma once

#include "../CatchTestDb.h"
#include "base/ScriptedPrompter.h"
#include "catch/ui/frmSaalisilmoitus.h"
#include "support/Controls.h"
#include "support/DialogScript.h"
#include "support/TreeTexts.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace tikkeli::test {

// The catch entry window over a club database, with its controls and the prompter's record.
class CatchWindowTest : public ::testing::Test {
protected:
    explicit CatchWindowTest(CatchTestDb::Source source = CatchTestDb::Source::Template) : t(source) {}

    std::unique_ptr<frmSaalisilmoitus> openWindow()
    {
        auto w = std::make_unique<frmSaalisilmoitus>();
        w->show();
        QApplication::processEvents();
        laji = Control<QComboBox>(*w, "cmbLaji");
        paikka = Control<QComboBox>(*w, "cmbPaikka");
        kaataja = Control<QComboBox>(*w, "cmbKaataja");
        pvm = Control<QLineEdit>(*w, "tPvm");
        sarviV = Control<QLineEdit>(*w, "tSarvipiikkiV");
        sarviO = Control<QLineEdit>(*w, "tSarvipiikkiO");
        aikuinen = Control<QRadioButton>(*w, "optAikuinen_0");
        vasa = Control<QRadioButton>(*w, "optAikuinen_1");
        uros = Control<QRadioButton>(*w, "optSukupuoli_0");
        naaras = Control<QRadioButton>(*w, "optSukupuoli_1");
        puolitoista = Control<QCheckBox>(*w, "chkPuolitoista");
        kelvoton = Control<QCheckBox>(*w, "chkKelvoton");
        tree = Control<QTreeWidget>(*w, "tvwSaaliit");
        return w;
    }
    // As typed: QTest cannot type "ä".
    static void type(QLineEdit* box, const QString& text)
    {
        box->setFocus();
        box->selectAll();
        box->insert(text);
    }
    static void type(QComboBox* box, const QString& text) { type(box->lineEdit(), text); }
    QStringList treeTexts() const { return TreeTexts(tree); }
    int beeps() const
    {
        int n = 0;
        for (const auto& s : prompter.shown())
            n += s.kind == ScriptedPrompter::Kind::Beep;
        return n;
    }
    QStringList messages() const
    {
        QStringList out;
        for (const auto& s : prompter.shown())
            if (s.kind == ScriptedPrompter::Kind::Message)
                out << s.text;
        return out;
    }
    QTreeWidgetItem* node(const QString& key) const
    {
        for (QTreeWidgetItemIterator it(tree); *it; ++it)
            if ((*it)->data(0, Qt::UserRole).toString() == key)
                return *it;
        return nullptr;
    }

    CatchTestDb t;
    ScriptedPrompter prompter;
    QComboBox *laji = nullptr, *paikka = nullptr, *kaataja = nullptr;
    QLineEdit *pvm = nullptr, *sarviV = nullptr, *sarviO = nullptr;
    QRadioButton *aikuinen = nullptr, *vasa = nullptr, *uros = nullptr, *naaras = nullptr;
    QCheckBox *puolitoista = nullptr, *kelvoton = nullptr;
    QTreeWidget* tree = nullptr;
};

} // namespace tikkeli::test
