#include "host/report/report_runner.h"

#include "host/adoib_query.h"
#include "host/report/report_definition.h"
#include "platform/abort.h"
#include "platform/client_data_set.h"
#include "platform/field.h"

#include <QTextDocument>

namespace host {

ReportRunner::~ReportRunner() = default;

void ReportRunner::applyFieldTexts(platform::ClientDataSet &rows) const
{
    for (auto it = m_fieldTexts.cbegin(); it != m_fieldTexts.cend(); ++it) {
        if (platform::Field *field = rows.findField(it.key()))
            field->setOnGetText(it.value());
    }
}

std::unique_ptr<QTextDocument> LocalDatabaseReportRunner::run(const ReportDefinition &report,
                                                              const TParams &params)
{
    TADOIBQuery query;
    if (!m_connectionName.isEmpty())
        query.setConnectionName(m_connectionName);
    query.setSQL(report.query.split(u'\n'));
    for (int i = 0; i < params.count(); ++i) {
        const TParam &param = params.at(i);
        if (TParam *target = query.Params().findParam(param.name())) {
            target->setDataType(param.dataType());
            target->setValue(param.value());
        }
    }
    query.Open();
    applyFieldTexts(*query.Query());
    return buildReportDocument(report, *query.Query(), &params);
}

} // namespace host
