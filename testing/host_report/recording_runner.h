#pragma once

#include "host/report/report_runner.h"

#include <QStringList>
#include <QVariantList>

namespace host::testing {

// A report runner for tests: notes what the report designer hands it and
// gives a document whose only text is "documento".
class RecordingRunner : public ReportRunner
{
public:
    int runs = 0;
    QString title;
    QStringList names;
    QVariantList values;

    std::unique_ptr<QTextDocument> run(const ReportDefinition &report,
                                       const TParams &params) override;

    // The value a parameter of the last run had; invalid when it was not there.
    QVariant value(const QString &name) const;
};

} // namespace host::testing
