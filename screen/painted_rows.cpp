#include "screen/painted_rows.h"

#include "platform/client_data_set.h"

namespace Cli_ate25400 {

PaintedRows::PaintedRows(std::initializer_list<const char *> fieldNames)
    : m_names(fieldNames)
    , m_named(fieldNames.size(), nullptr)
{
}

PaintedRows::Row &PaintedRows::row(const platform::ClientDataSet &set, int row)
{
    if (&set != m_set || set.fields().size() != m_fieldCount) {
        m_set = &set;
        m_fieldCount = set.fields().size();
        for (std::size_t i = 0; i < m_names.size(); ++i)
            m_named[i] = set.findField(QLatin1String(m_names[i]));
        m_rows.clear();
    }
    const QLocale locale;
    if (set.generation() != m_generation || locale != m_locale
        || m_rows.size() != std::size_t(set.recordCount())) {
        m_generation = set.generation();
        m_locale = locale;
        m_rows.assign(std::size_t(set.recordCount()), Row());
    }
    if (row < 0 || std::size_t(row) >= m_rows.size()) {
        m_outside = Row();
        return m_outside;
    }
    return m_rows[std::size_t(row)];
}

} // namespace Cli_ate25400
