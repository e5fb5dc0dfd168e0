#include "platform/field.h"

#include <QCoreApplication>

#include "platform/abort.h"
#include "platform/client_data_set.h"

#include <cmath>

namespace platform {
namespace {

QString defaultDateTimeText(const QDateTime &value)
{
    const QTime time = value.time();
    return value.toString(time == QTime(0, 0) ? QStringLiteral("dd/MM/yyyy")
                                              : QStringLiteral("dd/MM/yyyy hh:mm:ss"));
}

// Date-times held as day counts since the zero date-time.
QDateTime dateTimeFromDays(double days)
{
    return zeroDateTime().addMSecs(qint64(std::llround(days * 86400000.0)));
}

} // namespace

QString fieldTypeName(FieldType type)
{
    switch (type) {
    case FieldType::String:
        return QStringLiteral("String");
    case FieldType::FixedString:
        return QStringLiteral("FixedString");
    case FieldType::Float:
        return QStringLiteral("Float");
    case FieldType::DateTime:
        return QStringLiteral("DateTime");
    case FieldType::Integer:
        return QStringLiteral("Integer");
    }
    return QStringLiteral("?");
}

Field::Field(ClientDataSet *dataSet, const QString &name, FieldType type, int size, int index)
    : m_dataSet(dataSet)
    , m_name(name)
    , m_type(type)
    , m_size(size)
    , m_index(index)
    , m_alignment(isNumeric() ? Qt::AlignRight | Qt::AlignVCenter
                              : Qt::AlignLeft | Qt::AlignVCenter)
{
}

const PacketColumn *Field::cell(int row) const
{
    if (row < 0 || row >= m_dataSet->recordCount())
        return nullptr;
    const PacketColumn &column = m_dataSet->column(m_index);
    return column.isNull(row) ? nullptr : &column;
}

int Field::activeRow() const
{
    return m_dataSet->activeRow();
}

bool Field::isNullAt(int row) const
{
    return cell(row) == nullptr;
}

QVariant Field::valueAt(int row) const
{
    const PacketColumn *column = cell(row);
    return column ? column->value(row) : QVariant();
}

QString Field::asStringAt(int row) const
{
    const PacketColumn *column = cell(row);
    if (!column)
        return {};
    switch (m_type) {
    case FieldType::String:
    case FieldType::FixedString:
        return column->text(row);
    case FieldType::Float:
        return generalFloatText(column->number(row));
    case FieldType::DateTime:
        return defaultDateTimeText(column->dateTime(row));
    case FieldType::Integer:
        return QString::number(column->integer(row));
    }
    return {};
}

double Field::asFloatAt(int row) const
{
    const PacketColumn *column = cell(row);
    if (!column)
        return 0.0;
    switch (m_type) {
    case FieldType::Float:
    case FieldType::Integer:
        return column->number(row);
    case FieldType::DateTime:
        return double(column->integer(row)) / 86400000.0;
    case FieldType::String:
    case FieldType::FixedString:
        break;
    }
    // A number held as text came from a database, a packet or a file, never
    // from the keyboard: it is written the C way ("8.13") whatever the
    // user's locale, where "8,13" is the Brazilian way of showing it.
    bool ok = false;
    const QString text = column->text(row).trimmed();
    const double number = text.isEmpty() ? 0.0 : QLocale::c().toDouble(text, &ok);
    if (!ok && !text.isEmpty())
        throw Error(
            QCoreApplication::translate("ClientDataSet", "'%1' não é um valor numérico válido.")
                .arg(text));
    return number;
}

QDateTime Field::asDateTimeAt(int row) const
{
    const PacketColumn *column = cell(row);
    if (!column)
        return zeroDateTime();
    switch (m_type) {
    case FieldType::DateTime:
        return column->dateTime(row);
    case FieldType::Float:
    case FieldType::Integer:
        return dateTimeFromDays(column->number(row));
    case FieldType::String:
    case FieldType::FixedString:
        break;
    }
    throw Error(QCoreApplication::translate("ClientDataSet", "'%1' não é uma data válida.")
                    .arg(column->text(row)));
}

QString Field::formattedText(int row, bool displayText) const
{
    const PacketColumn *column = cell(row);
    if (!column)
        return {};
    switch (m_type) {
    case FieldType::Float: {
        const FloatFormat &format =
            displayText || m_editFormat.isEmpty() ? m_displayFormat : m_editFormat;
        return format.format(column->number(row));
    }
    case FieldType::DateTime:
        if (displayText && !m_displayFormat.isEmpty())
            return column->dateTime(row).toString(m_displayFormat.pattern());
        return defaultDateTimeText(column->dateTime(row));
    case FieldType::String:
    case FieldType::FixedString:
    case FieldType::Integer:
        break;
    }
    return asStringAt(row);
}

QString Field::getText(int row, bool displayText) const
{
    if (!m_onGetText)
        return formattedText(row, displayText);
    // The handler reads the field (and its neighbours) as the active row.
    ClientDataSet::RowScope scope(*m_dataSet, row);
    QString text;
    m_onGetText(const_cast<Field &>(*this), text, displayText);
    return text;
}

QString Field::textAt(int row) const
{
    return getText(row, false);
}

QString Field::displayTextAt(int row) const
{
    return getText(row, true);
}

bool Field::isNull() const
{
    return isNullAt(activeRow());
}

QVariant Field::value() const
{
    return valueAt(activeRow());
}

QString Field::asString() const
{
    return asStringAt(activeRow());
}

double Field::asFloat() const
{
    return asFloatAt(activeRow());
}

qint64 Field::asInteger() const
{
    if (m_type == FieldType::Integer) {
        const int row = activeRow();
        const PacketColumn *column = cell(row);
        return column ? column->integer(row) : 0;
    }
    return qint64(std::llround(asFloat()));
}

QDateTime Field::asDateTime() const
{
    return asDateTimeAt(activeRow());
}

QString Field::text() const
{
    return textAt(activeRow());
}

QString Field::displayText() const
{
    return displayTextAt(activeRow());
}

} // namespace platform
