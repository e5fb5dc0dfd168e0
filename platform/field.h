#pragma once

#include "platform/data_packet.h"
#include "platform/float_format.h"

#include <QDateTime>
#include <QString>
#include <QVariant>

#include <functional>

namespace platform {

class ClientDataSet;

// A persistent field of a client record set. The set owns it; the pointer
// stays valid for the set's whole life.
//
// The current-row accessors read the set's active row: normally its current
// row, and while a grid paints a cell (or code holds a RowScope) the row
// being painted, so that text handlers and painters read the row on screen.
// A field of an empty or closed set reads as "", 0.0, zeroDateTime() and null.
class Field
{
public:
    using GetTextHandler = std::function<void(Field &field, QString &text, bool displayText)>;

    Field(const Field &) = delete;
    Field &operator=(const Field &) = delete;

    ClientDataSet &dataSet() const { return *m_dataSet; }
    const QString &name() const { return m_name; }
    FieldType type() const { return m_type; }
    int size() const { return m_size; }
    int index() const { return m_index; } // position among the set's fields
    bool isNumeric() const { return m_type == FieldType::Float || m_type == FieldType::Integer; }

    QString displayLabel() const { return m_displayLabel.isEmpty() ? m_name : m_displayLabel; }
    void setDisplayLabel(const QString &label) { m_displayLabel = label; }
    bool isVisible() const { return m_visible; }
    void setVisible(bool visible) { m_visible = visible; }
    bool isRequired() const { return m_required; }
    void setRequired(bool required) { m_required = required; }
    bool isReadOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    // Numbers are right-aligned unless set otherwise.
    Qt::Alignment alignment() const { return m_alignment; }
    void setAlignment(Qt::Alignment alignment) { m_alignment = alignment; }

    // Float fields: a FloatFormat pattern. Date-time fields: a QDateTime
    // format string; without one they show dd/MM/yyyy and the time when it
    // is not midnight.
    QString displayFormat() const { return m_displayFormat.pattern(); }
    void setDisplayFormat(const QString &format) { m_displayFormat = FloatFormat(format); }
    QString editFormat() const { return m_editFormat.pattern(); }
    void setEditFormat(const QString &format) { m_editFormat = FloatFormat(format); }
    // Kept for the edit controls bound to the field; reading ignores it.
    QString editMask() const { return m_editMask; }
    void setEditMask(const QString &mask) { m_editMask = mask; }

    // Replaces the field's text: the handler gets the text empty and fills
    // it; displayText says whether the display or the edit text is asked for.
    void setOnGetText(GetTextHandler handler) { m_onGetText = std::move(handler); }

    // Active row.
    bool isNull() const;
    QVariant value() const;
    QString asString() const;
    double asFloat() const;
    qint64 asInteger() const;
    QDateTime asDateTime() const;
    QString text() const;        // edit text
    QString displayText() const; // display text

    // Any row; out of range reads as null.
    bool isNullAt(int row) const;
    QVariant valueAt(int row) const;
    QString asStringAt(int row) const;
    double asFloatAt(int row) const;
    QDateTime asDateTimeAt(int row) const;
    QString textAt(int row) const;
    QString displayTextAt(int row) const;

private:
    friend class ClientDataSet;
    Field(ClientDataSet *dataSet, const QString &name, FieldType type, int size, int index);

    // The column holding the field's values when `row` is one of its rows
    // and not null; nullptr otherwise.
    const PacketColumn *cell(int row) const;
    int activeRow() const;
    QString formattedText(int row, bool displayText) const;
    QString getText(int row, bool displayText) const;

    ClientDataSet *m_dataSet;
    QString m_name;
    FieldType m_type;
    int m_size;
    int m_index;
    QString m_displayLabel;
    bool m_visible = true;
    bool m_required = false;
    bool m_readOnly = false;
    Qt::Alignment m_alignment;
    FloatFormat m_displayFormat;
    FloatFormat m_editFormat;
    QString m_editMask;
    GetTextHandler m_onGetText;
};

QString fieldTypeName(FieldType type);

} // namespace platform
