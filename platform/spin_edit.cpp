#include "platform/spin_edit.h"

#include <QLineEdit>

namespace platform {

SpinEdit::SpinEdit(QWidget *parent)
    : QSpinBox(parent)
{
    setRange(0, 99);
}

void SpinEdit::setRange(int minimum, int maximum)
{
    const bool wasEmpty = isEmptyText();
    m_minimum = minimum;
    QSpinBox::setRange(minimum - 1, qMax(minimum, maximum));
    if (wasEmpty)
        QSpinBox::setValue(minimum - 1);
    else if (QSpinBox::value() < minimum)
        QSpinBox::setValue(minimum);
}

void SpinEdit::setMaxLength(int length)
{
    lineEdit()->setMaxLength(length);
}

void SpinEdit::setValue(int value)
{
    QSpinBox::setValue(qBound(m_minimum, value, maximum()));
}

void SpinEdit::clear()
{
    QSpinBox::setValue(emptyValue());
}

void SpinEdit::stepBy(int steps)
{
    // From an empty text either arrow starts at the lower bound.
    setValue(isEmptyText() ? m_minimum : QSpinBox::value() + steps * singleStep());
    selectAll();
}

QValidator::State SpinEdit::validate(QString &input, int &) const
{
    const QString text = input.trimmed();
    if (text.isEmpty())
        return QValidator::Acceptable;
    bool ok = false;
    const int number = text.toInt(&ok);
    if (!ok || text.startsWith(u'+'))
        return text == QLatin1String("-") && m_minimum < 0 ? QValidator::Intermediate
                                                           : QValidator::Invalid;
    if (number >= m_minimum && number <= maximum())
        return QValidator::Acceptable;
    return QValidator::Intermediate;
}

void SpinEdit::fixup(QString &input) const
{
    bool ok = false;
    const int number = input.trimmed().toInt(&ok);
    if (ok)
        input = QString::number(qBound(m_minimum, number, maximum()));
}

int SpinEdit::valueFromText(const QString &text) const
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return emptyValue();
    return qBound(m_minimum, trimmed.toInt(), maximum());
}

QString SpinEdit::textFromValue(int value) const
{
    return value < m_minimum ? QString() : QString::number(value);
}

QAbstractSpinBox::StepEnabled SpinEdit::stepEnabled() const
{
    if (isReadOnly())
        return StepNone;
    if (isEmptyText())
        return StepUpEnabled | StepDownEnabled;
    StepEnabled enabled = StepNone;
    if (QSpinBox::value() < maximum())
        enabled |= StepUpEnabled;
    if (QSpinBox::value() > m_minimum)
        enabled |= StepDownEnabled;
    return enabled;
}

} // namespace platform
