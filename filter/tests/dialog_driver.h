#pragma once

#include "testing/screen/open_screen_test.h"

#include "filter/cli_ate25401.h"
#include "filter/frm_filtro_cia.h"
#include "screen/closing_position.h"
#include "testing/host/modal_driver.h"

#include <QApplication>
#include <QTest>

#include <functional>

namespace screen::testing {

// Tests that open the airline filter dialog from an open screen, as the
// user does, and act on it while it is on screen.
class FilterDialogTestBase : public OpenScreenTest
{
protected:
    void linkForms() override
    {
        Cli_ate25400::OpenedForms forms;
        forms.filterDialog = Cli_ate25401::criaFiltroCia;
        forms.rememberedAirlines = Cli_ate25401::rememberedAirlines;
        Cli_ate25400::setOpenedForms(std::move(forms));
    }
    void unlinkForms() override
    {
        delete Cli_ate25401::frmFiltroCia;
        OpenScreenTest::unlinkForms();
    }

    using Steps = std::function<void(Cli_ate25401::TfrmFiltroCia &dialog)>;

    // Presses the screen's filter button and runs the steps once the dialog
    // is up; the steps must close it. False when it never showed or was
    // still open after them.
    bool runDialog(const Steps &steps)
    {
        host::testing::ModalDriver driver(QStringLiteral("frmFiltroCia"), [&](QWidget *dialog) {
            steps(*static_cast<Cli_ate25401::TfrmFiltroCia *>(dialog));
        });
        QTest::mouseClick(m_form->sbtFiltrar, Qt::LeftButton);
        // As the window system does once a modal dialog is gone.
        backToTheScreen();
        if (!driver.failure().isEmpty())
            qWarning("%s", qPrintable(driver.failure()));
        return driver.acted() && driver.failure().isEmpty();
    }

    void backToTheScreen()
    {
        m_fixture->window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&m_fixture->window));
        QTRY_VERIFY(QApplication::focusWidget()
                    && m_form->isAncestorOf(QApplication::focusWidget()));
    }

    static void pickAirlines(Cli_ate25401::TfrmFiltroCia &dialog)
    {
        QTest::mouseClick(dialog.rbtLista, Qt::LeftButton);
        QTest::mouseClick(dialog.btnCia, Qt::LeftButton);
    }
    static void confirm(Cli_ate25401::TfrmFiltroCia &dialog)
    {
        QTest::mouseClick(dialog.sbtConfirma, Qt::LeftButton);
    }
    static void close(Cli_ate25401::TfrmFiltroCia &dialog)
    {
        QTest::mouseClick(dialog.sbtFecha, Qt::LeftButton);
    }

    // GetPlanoVoo as the server records it, for the screen's date and branch.
    static QString planoVooCall(const QString &airlines)
    {
        return QStringLiteral("GetPlanoVoo(%1, %2 00:00, \"GRU\")")
            .arg(airlines, today().toString(QStringLiteral("yyyy-MM-dd")));
    }

    // The airlines of the flight plans on display, in grid order.
    QStringList shownAirlines() const
    {
        QStringList airlines;
        const QAbstractItemModel *model = m_form->dbgPlanoVoo->model();
        for (int row = 0; row < model->rowCount(); ++row)
            airlines.append(
                m_form->cdsPlanoVoo->fieldByName(QStringLiteral("CDCIA")).asStringAt(row));
        return airlines;
    }

    // F5 in the flight grid.
    void pressF5()
    {
        m_fixture->server.clearCalls();
        if (QApplication::focusWidget() != m_form->dbgPlanoVoo)
            m_form->dbgPlanoVoo->setFocus(Qt::OtherFocusReason);
        // The form previews keys only for its focused control.
        QTRY_VERIFY(QApplication::focusWidget() == m_form->dbgPlanoVoo);
        QTest::keyClick(m_form->dbgPlanoVoo, Qt::Key_F5);
    }
};

} // namespace screen::testing
