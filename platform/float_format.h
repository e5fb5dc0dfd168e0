#pragma once

#include <QLocale>
#include <QString>

namespace platform {

// A float format pattern as the form library knew it: '0' a digit always
// shown, '#' a digit shown when significant, '.' the decimal point (the
// locale's separator in the output), ',' anywhere in the integer part turns
// on digit grouping, text in quotes or outside the digits is copied, and up
// to three sections "positive;negative;zero". Rounds half away from zero on
// the value's 15 significant digits, so 0.125 shows as 0.13.
// Parsed once, so that a grid can format every cell without re-parsing.
class FloatFormat
{
public:
    FloatFormat() = default;
    explicit FloatFormat(const QString &pattern);

    const QString &pattern() const { return m_pattern; }
    bool isEmpty() const { return m_pattern.isEmpty(); }

    // An empty pattern gives the general format (up to 15 significant digits).
    QString format(double value, const QLocale &locale = QLocale()) const;

private:
    struct Section
    {
        QString prefix;
        QString suffix;
        int minIntDigits = 0;
        int minFracDigits = 0;
        int maxFracDigits = 0;
        bool grouping = false;
        bool hasDigits = false;

        bool isBlank() const { return !hasDigits && prefix.isEmpty() && suffix.isEmpty(); }
    };

    static Section parseSection(const QString &text);
    static QString formatSection(const Section &section, double magnitude, const QLocale &locale);

    QString m_pattern;
    Section m_sections[3];
    int m_sectionCount = 0;
};

QString formatFloat(const QString &pattern, double value, const QLocale &locale = QLocale());

// What a float field shows without a display format.
QString generalFloatText(double value, const QLocale &locale = QLocale());

} // namespace platform
