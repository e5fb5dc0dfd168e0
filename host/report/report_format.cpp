#include "host/report/report_format.h"

#include "host/params.h"
#include "platform/abort.h"
#include "platform/client_data_set.h"
#include "platform/field.h"

#include <QCoreApplication>
#include <QLocale>
#include <QRegularExpression>

namespace host {
namespace {

const QRegularExpression &placeholder()
{
    static const QRegularExpression pattern(
        QStringLiteral("\\{(:?)([A-Za-z_][A-Za-z0-9_]*)(?::([^}]*))?\\}"));
    return pattern;
}

} // namespace

QString formatReportNumber(double value, const QString &numberFormat)
{
    const qsizetype point = numberFormat.indexOf(u'.');
    const int decimals = point < 0 ? 0 : int(numberFormat.size() - point - 1);
    // Amounts as the user reads them, as on the screen.
    QLocale locale;
    if (!numberFormat.contains(u','))
        locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'f', decimals);
}

ReportFormatter::ReportFormatter(const platform::ClientDataSet &rows, const TParams *params,
                                 const QString &reportTitle)
    : m_rows(rows)
    , m_params(params)
    , m_title(reportTitle)
{
}

bool ReportFormatter::isNumberFormat(const QString &format)
{
    static const QRegularExpression number(QStringLiteral("^[#,]*0(\\.0+)?$"));
    return number.match(format).hasMatch();
}

QString ReportFormatter::fieldText(const QString &name, const QString &numberFormat, int row,
                                   bool &nullNumber) const
{
    const platform::Field *field = m_rows.findField(name);
    if (!field) {
        throw platform::Error(
            QCoreApplication::translate(
                "ReportDesigner",
                "A coluna \"%1\" do relatório \"%2\" não está no resultado da consulta.")
                .arg(name, m_title));
    }
    if (row < 0)
        return {};
    if (numberFormat.isEmpty())
        return field->textAt(row);
    if (field->isNullAt(row)) {
        nullNumber = true;
        return {};
    }
    return formatReportNumber(field->asFloatAt(row), numberFormat);
}

QString ReportFormatter::paramText(const QString &name) const
{
    const TParam *param = m_params ? m_params->findParam(name) : nullptr;
    if (!param) {
        throw platform::Error(
            QCoreApplication::translate(
                "ReportDesigner", "O parâmetro \"%1\" do relatório \"%2\" não está na consulta.")
                .arg(name, m_title));
    }
    return param->asString();
}

QString ReportFormatter::format(const QString &format, const QString &field, int row) const
{
    bool nullNumber = false;
    if (format.isEmpty())
        return fieldText(field, {}, row, nullNumber);
    if (isNumberFormat(format))
        return fieldText(field, format, row, nullNumber);

    QString text;
    qsizetype from = 0;
    for (auto it = placeholder().globalMatch(format); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        text += format.mid(from, match.capturedStart() - from);
        from = match.capturedEnd();
        if (!match.captured(1).isEmpty())
            text += paramText(match.captured(2));
        else
            text += fieldText(match.captured(2), match.captured(3), row, nullNumber);
    }
    text += format.mid(from);
    // "R$ " with no price says nothing.
    return nullNumber ? QString() : text;
}

QString ReportFormatter::formatTotal(const QString &format, double total) const
{
    if (isNumberFormat(format))
        return formatReportNumber(total, format);
    for (auto it = placeholder().globalMatch(format); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        if (!match.captured(3).isEmpty())
            return formatReportNumber(total, match.captured(3));
    }
    return QLocale().toString(total);
}

} // namespace host
