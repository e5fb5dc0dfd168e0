#pragma once

#include "platform/db_grid.h"
#include "testing/screen/screen_fixture.h"

#include <QAbstractItemModelTester>
#include <QObject>
#include <QTest>

#include <memory>

namespace screen::testing {

// Base of the tests that start from an open screen after its first load,
// with the server's log emptied.
class OpenScreenTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_fixture = std::make_unique<ScreenFixture>();
        linkForms();
        m_form = m_fixture->open();
        QVERIFY(m_form);
        // Alive as long as the grids, so that every reload, tick and
        // scroll of a test is checked, not only the first picture.
        for (platform::DBGrid *grid :
             {m_form->dbgPlanoVoo, m_form->dbgPrevisaoPax, m_form->dbgServPlano})
            new QAbstractItemModelTester(
                grid->model(), QAbstractItemModelTester::FailureReportingMode::QtTest, grid);
        m_fixture->server.clearCalls();
    }
    void cleanup()
    {
        unlinkForms();
        m_form = nullptr;
        m_fixture.reset();
    }

protected:
    // The forms the screen opens, given and taken back as the package does.
    virtual void linkForms() { }
    virtual void unlinkForms() { Cli_ate25400::setOpenedForms({}); }

    std::unique_ptr<ScreenFixture> m_fixture;
    Cli_ate25400::TfrmPosFecDiaPlaVoo *m_form = nullptr;
};

} // namespace screen::testing
