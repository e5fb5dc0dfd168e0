#include "platform/float_format.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace platform {
namespace {

bool isPlaceholder(QChar c)
{
    return c == u'0' || c == u'#';
}

bool isNumberChar(QChar c)
{
    return isPlaceholder(c) || c == u'.' || c == u',';
}

// Splits on ';' outside quotes.
QStringList splitSections(const QString &pattern)
{
    QStringList sections;
    QString current;
    QChar quote;
    for (const QChar c : pattern) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u';') {
            sections << current;
            current.clear();
            continue;
        }
        current += c;
    }
    sections << current;
    return sections;
}

// Adds one to a string of decimal digits.
void incrementDigits(QString &digits)
{
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        if (digits[i] == u'9') {
            digits[i] = u'0';
        } else {
            digits[i] = QChar(digits[i].unicode() + 1);
            return;
        }
    }
    digits.prepend(u'1');
}

// round(magnitude * 10^decimals) as a string of digits, rounding half away
// from zero on the value's 15 significant digits.
QString scaledDigits(double magnitude, int decimals)
{
    if (magnitude == 0.0)
        return QStringLiteral("0");
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14e", magnitude);
    QString significant;
    significant.reserve(15);
    significant += QLatin1Char(buffer[0]);
    for (int i = 2; i < 16; ++i)
        significant += QLatin1Char(buffer[i]);
    const int exponent = std::atoi(buffer + 17);
    const int kept = exponent + 1 + decimals;
    if (kept < 0)
        return QStringLiteral("0");
    if (kept == 0)
        return significant[0] >= u'5' ? QStringLiteral("1") : QStringLiteral("0");
    QString digits = significant.left(kept);
    if (kept < significant.size()) {
        if (significant[kept] >= u'5')
            incrementDigits(digits);
    } else {
        digits += QString(kept - significant.size(), u'0');
    }
    return digits;
}

} // namespace

FloatFormat::FloatFormat(const QString &pattern)
    : m_pattern(pattern)
{
    if (pattern.isEmpty())
        return;
    const QStringList sections = splitSections(pattern);
    m_sectionCount = int(qMin<qsizetype>(sections.size(), 3));
    for (int i = 0; i < m_sectionCount; ++i)
        m_sections[i] = parseSection(sections[i]);
}

FloatFormat::Section FloatFormat::parseSection(const QString &text)
{
    Section section;
    enum { Prefix, Number, Suffix } zone = Prefix;
    bool afterPoint = false;
    int intPlaceholders = 0;
    int firstZeroInt = -1;
    int fracPlaceholders = 0;
    QChar quote;
    for (const QChar c : text) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else
                (zone == Prefix ? section.prefix : section.suffix) += c;
            continue;
        }
        if (c == u'"' || c == u'\'') {
            if (zone == Number)
                zone = Suffix;
            quote = c;
            continue;
        }
        if (zone == Prefix && (isPlaceholder(c) || c == u'.'))
            zone = Number;
        else if (zone == Number && !isNumberChar(c))
            zone = Suffix;
        if (zone != Number) {
            (zone == Prefix ? section.prefix : section.suffix) += c;
            continue;
        }
        if (c == u'.') {
            afterPoint = true;
        } else if (c == u',') {
            if (!afterPoint)
                section.grouping = true;
        } else if (afterPoint) {
            ++fracPlaceholders;
            if (c == u'0')
                section.minFracDigits = fracPlaceholders;
        } else {
            if (c == u'0' && firstZeroInt < 0)
                firstZeroInt = intPlaceholders;
            ++intPlaceholders;
        }
    }
    section.hasDigits = intPlaceholders + fracPlaceholders > 0;
    section.maxFracDigits = fracPlaceholders;
    section.minIntDigits = firstZeroInt < 0 ? 0 : intPlaceholders - firstZeroInt;
    return section;
}

QString FloatFormat::formatSection(const Section &section, double magnitude, const QLocale &locale)
{
    if (!section.hasDigits)
        return section.prefix + section.suffix;
    QString digits = scaledDigits(magnitude, section.maxFracDigits);
    if (digits.size() <= section.maxFracDigits)
        digits.prepend(QString(section.maxFracDigits + 1 - digits.size(), u'0'));
    QString integer = digits.left(digits.size() - section.maxFracDigits);
    QString fraction = digits.right(section.maxFracDigits);

    qsizetype leading = 0;
    while (leading < integer.size() && integer[leading] == u'0')
        ++leading;
    integer.remove(0, leading);
    if (integer.size() < section.minIntDigits)
        integer.prepend(QString(section.minIntDigits - integer.size(), u'0'));
    if (section.grouping) {
        const QString separator = locale.groupSeparator();
        for (qsizetype i = integer.size() - 3; i > 0; i -= 3)
            integer.insert(i, separator);
    }
    qsizetype fractionLength = fraction.size();
    while (fractionLength > section.minFracDigits && fraction[fractionLength - 1] == u'0')
        --fractionLength;
    fraction.truncate(fractionLength);

    QString result = section.prefix + integer;
    if (!fraction.isEmpty())
        result += locale.decimalPoint() + fraction;
    return result + section.suffix;
}

QString FloatFormat::format(double value, const QLocale &locale) const
{
    if (m_sectionCount == 0 || !std::isfinite(value))
        return generalFloatText(value, locale);
    if (value == 0.0 && m_sectionCount == 3 && !m_sections[2].isBlank())
        return formatSection(m_sections[2], 0.0, locale);
    if (value < 0.0) {
        if (m_sectionCount >= 2 && !m_sections[1].isBlank())
            return formatSection(m_sections[1], -value, locale);
        // No minus sign on an amount that rounds to zero.
        const QString digits = scaledDigits(-value, m_sections[0].maxFracDigits);
        if (digits.count(u'0') == digits.size())
            return formatSection(m_sections[0], 0.0, locale);
        return u'-' + formatSection(m_sections[0], -value, locale);
    }
    return formatSection(m_sections[0], value, locale);
}

QString formatFloat(const QString &pattern, double value, const QLocale &locale)
{
    return FloatFormat(pattern).format(value, locale);
}

QString generalFloatText(double value, const QLocale &locale)
{
    QString text = QString::number(value, 'g', 15);
    if (locale.decimalPoint() != QLatin1String("."))
        text.replace(u'.', locale.decimalPoint());
    return text;
}

} // namespace platform
