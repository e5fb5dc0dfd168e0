#pragma once

#include <QString>

namespace platform {
class ClientDataSet;
}

namespace host {

class TParams;

// The formats of report files (report_definition.h, "Formats"), applied to
// one row of a report's rows.
class ReportFormatter
{
public:
    // `params` may be null: "{:PARAM}" then has no value to give.
    ReportFormatter(const platform::ClientDataSet &rows, const TParams *params,
                    const QString &reportTitle);

    // A format (a number format or a text with placeholders) for the row;
    // `field` is the column's own value, used by a bare number format. Row
    // -1 (no rows) leaves column placeholders empty. Throws platform::Error
    // naming a column or parameter that is not there.
    QString format(const QString &format, const QString &field, int row) const;
    // A total of a column under the column's format: its number format, or
    // the first number format of its text, or the shortest form.
    QString formatTotal(const QString &format, double total) const;

    static bool isNumberFormat(const QString &format);

private:
    QString fieldText(const QString &name, const QString &numberFormat, int row,
                      bool &nullNumber) const;
    QString paramText(const QString &name) const;

    const platform::ClientDataSet &m_rows;
    const TParams *m_params;
    QString m_title;
};

// A number as a number format writes it, in the user's style.
QString formatReportNumber(double value, const QString &numberFormat);

} // namespace host
