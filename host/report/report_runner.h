#pragma once

#include "platform/field.h"

#include <QHash>
#include <QString>

#include <memory>

class QTextDocument;

namespace platform {
class ClientDataSet;
}

namespace host {

struct ReportDefinition;
class TParams;

// Makes the document of a report from its definition and its filled query
// parameters. The report designer hands every report to one; a report that
// reads its rows elsewhere (from the application server) brings its own.
class ReportRunner
{
public:
    // The text a field of the report's rows shows instead of its stored
    // value, by field name (ignoring case): a form's own rule for a code.
    using FieldTexts = QHash<QString, platform::Field::GetTextHandler>;

    virtual ~ReportRunner();

    // Throws platform::Error (Portuguese, for the user) when it cannot.
    virtual std::unique_ptr<QTextDocument> run(const ReportDefinition &report,
                                               const TParams &params) = 0;

    // The report designer hands its field texts over before each run.
    void setFieldTexts(FieldTexts texts) { m_fieldTexts = std::move(texts); }

protected:
    // Puts the field texts on the rows' fields of those names.
    void applyFieldTexts(platform::ClientDataSet &rows) const;

private:
    FieldTexts m_fieldTexts;
};

// Runs the report's query on the host's local database, every parameter
// bound by name (never spliced into the text), and lays the rows out with
// buildReportDocument().
class LocalDatabaseReportRunner : public ReportRunner
{
public:
    // Another QSqlDatabase connection than the host's local database.
    void setConnectionName(const QString &name) { m_connectionName = name; }

    std::unique_ptr<QTextDocument> run(const ReportDefinition &report,
                                       const TParams &params) override;

private:
    QString m_connectionName;
};

// The report's document: a table of the report's columns with one row per
// record of `rows` (its title row repeated on every printed page), or with
// a group, one table per group with its header line, its rows and its
// totals, then the report's totals; at the end the number of records. The
// title, the heading lines (formatted with the first row and `params`) and
// the date of issue go with the document for the top of every page (see
// report_printing.h). Columns are found in the record set by name without
// regard to case; throws platform::Error naming a column the rows do not
// have.
std::unique_ptr<QTextDocument> buildReportDocument(const ReportDefinition &report,
                                                   const platform::ClientDataSet &rows,
                                                   const TParams *params = nullptr);

} // namespace host
