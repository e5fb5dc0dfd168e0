#pragma once

#include <QSpinBox>

namespace platform {

// A spin box whose text can be emptied and stays empty when the focus
// leaves it, so that the form can report the missing value. A number out
// of range is brought into the bounds when the focus leaves.
//
// The empty text is held as the value one below the lower bound, so
// valueChanged() fires on emptying as on every other change. Use
// setRange/setMinimum/setMaximum/minimum/setValue of this class: they
// speak of the real bounds.
class SpinEdit : public QSpinBox
{
    Q_OBJECT

public:
    explicit SpinEdit(QWidget *parent = nullptr);

    void setRange(int minimum, int maximum);
    void setMinimum(int minimum) { setRange(minimum, qMax(minimum, maximum())); }
    void setMaximum(int maximum) { setRange(qMin(m_minimum, maximum), maximum); }
    int minimum() const { return m_minimum; }
    void setMaxLength(int length);

    bool isEmptyText() const { return QSpinBox::value() < m_minimum; }
    // The value; an empty text reads as the lower bound.
    int value() const { return isEmptyText() ? m_minimum : QSpinBox::value(); }
    // Brought into the bounds.
    void setValue(int value);
    void clear() override;

    void stepBy(int steps) override;

protected:
    QValidator::State validate(QString &input, int &pos) const override;
    void fixup(QString &input) const override;
    int valueFromText(const QString &text) const override;
    QString textFromValue(int value) const override;
    StepEnabled stepEnabled() const override;

private:
    int emptyValue() const { return m_minimum - 1; }

    int m_minimum = 0;
};

} // namespace platform
