#pragma once

#include <QLabel>

namespace platform {

class DataLink;
class DataSource;
class Field;

// A label showing one field of its data source's current row.
class DBText : public QLabel
{
    Q_OBJECT

public:
    explicit DBText(QWidget *parent = nullptr);

    void setDataSource(DataSource *source);
    DataSource *dataSource() const;
    void setDataField(const QString &fieldName);
    const QString &dataField() const { return m_dataField; }
    Field *field() const;

private:
    void refresh();

    DataLink *m_link;
    QString m_dataField;
};

} // namespace platform
