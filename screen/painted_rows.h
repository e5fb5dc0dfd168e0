#pragma once

#include <QColor>
#include <QLocale>
#include <QString>

#include <initializer_list>
#include <optional>
#include <vector>

namespace platform {
class ClientDataSet;
class Field;
} // namespace platform

namespace Cli_ate25400 {

// A cell's text as a painter writes it.
struct CellText
{
    QString text;
    bool rightAligned = false;
};

// What an owner-drawn grid shows of its record set's rows: each row's status
// colour and its cells' texts, worked out the first time the row is painted
// (or copied) after a load and kept until the set's rows change, so that a
// repaint neither looks messages up nor formats numbers again. The fields the
// painter tells columns by are looked up by name once per set, not per cell.
class PaintedRows
{
public:
    explicit PaintedRows(std::initializer_list<const char *> fieldNames);

    struct Row
    {
        bool colorKnown = false;
        std::optional<QColor> color;
        std::vector<std::optional<CellText>> cells; // by field index
    };

    // The row's entry, blank when the set's rows (or the user's locale,
    // which the number formats follow) changed since it was filled.
    Row &row(const platform::ClientDataSet &set, int row);

    // The set's field of the i-th name given; null when the set lacks it.
    const platform::Field *named(int i) const { return m_named[std::size_t(i)]; }

private:
    std::vector<const char *> m_names;
    std::vector<const platform::Field *> m_named;
    const platform::ClientDataSet *m_set = nullptr;
    std::size_t m_fieldCount = 0;
    quint64 m_generation = 0;
    QLocale m_locale;
    std::vector<Row> m_rows;
    Row m_outside; // handed out for a row the set does not have
};

} // namespace Cli_ate25400
