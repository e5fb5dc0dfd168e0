#include "testing/host_report/recording_runner.h"

#include "host/params.h"
#include "host/report/report_definition.h"

#include <QTextDocument>

namespace host::testing {

std::unique_ptr<QTextDocument> RecordingRunner::run(const ReportDefinition &report,
                                                    const TParams &params)
{
    ++runs;
    title = report.title;
    names = params.names();
    values.clear();
    for (int i = 0; i < params.count(); ++i)
        values.append(params.at(i).value());
    return std::make_unique<QTextDocument>(QStringLiteral("documento"));
}

QVariant RecordingRunner::value(const QString &name) const
{
    const qsizetype index = names.indexOf(name);
    return index < 0 ? QVariant() : values.at(index);
}

} // namespace host::testing
