#pragma once

#include "host/params.h"
#include "report/frm_rel_pos_fec_dia_pv.h"
#include "testing/host_report/recording_runner.h"
#include "testing/screen/screen_fixture.h"

#include <memory>

namespace report::testing {

using host::testing::RecordingRunner;

// The closing position screen open over the scripted server's demo day,
// and the report parameter form made over it as its creator makes it,
// shown without a nested loop so that the test can drive it, with the
// shipped report definitions, a recording runner and no print preview.
class ReportFixture
{
public:
    ReportFixture();
    ~ReportFixture();

    Cli_ate25402::TfrmRelPosFecDiaPV *form() const { return m_form; }
    // Clicks the form's print button.
    void print();
    // Types a date over depVoo ("ddMMyyyy"; empty clears it).
    void typeDate(const QString &digits);
    // Chooses a report of the chooser by its title.
    void chooseReport(const QString &title);

    screen::testing::ScreenFixture screen;
    Cli_ate25400::TfrmPosFecDiaPlaVoo *closingScreen = nullptr;
    std::shared_ptr<RecordingRunner> runner = std::make_shared<RecordingRunner>();

private:
    Cli_ate25402::TfrmRelPosFecDiaPV *m_form = nullptr;
};

// Clicks a check box as the user does.
void tick(QCheckBox *box);

// The shipped report definitions' folder.
QString shippedReportFolder();

} // namespace report::testing
