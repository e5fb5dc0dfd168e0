#pragma once

#include <QString>
#include <Qt>

namespace platform {

class Field;
class GridModel;

// One column of a data-aware grid: the field it shows, found by name, and
// how its title looks. Re-binding the field at run time updates the title
// and the cells at once.
class GridColumn
{
public:
    GridColumn(const GridColumn &) = delete;
    GridColumn &operator=(const GridColumn &) = delete;

    int index() const { return m_index; }

    const QString &fieldName() const { return m_fieldName; }
    void setFieldName(const QString &fieldName);
    Field *field() const { return m_field; } // nullptr while the set lacks it

    // The title set, or the field's display label when none is set.
    QString title() const;
    void setTitle(const QString &title);
    // The width in pixels as the grid shows it (the user may resize it).
    int width() const { return m_width; }
    void setWidth(int width);
    Qt::Alignment titleAlignment() const { return m_titleAlignment; }
    // Shown as the title's tooltip (rich text allowed): what the column's
    // codes and colours mean.
    const QString &hint() const { return m_hint; }
    void setHint(const QString &hint) { m_hint = hint; }

private:
    friend class GridModel;
    GridColumn(GridModel *model, int index, const QString &fieldName, const QString &title,
               int width, Qt::Alignment titleAlignment);

    GridModel *m_model;
    int m_index;
    QString m_fieldName;
    QString m_title;
    int m_width;
    Qt::Alignment m_titleAlignment;
    QString m_hint;
    Field *m_field = nullptr;
};

} // namespace platform
