#pragma once

#include <QAbstractTableModel>
#include <QPointer>

#include <vector>

namespace platform {
class ClientDataSet;
class Field;
} // namespace platform

namespace host {

// The fields the pickers show: the visible ones, less IDMARCADO, which is
// the list picker's mark column.
std::vector<const platform::Field *> pickerFields(const platform::ClientDataSet *dataSet);

// A read-only table of a record set's visible fields for the host's pickers,
// optionally with a mark column first. Marks belong to the model, not to the
// record set. A field named IDMARCADO is the mark column's own and is not
// shown as data.
class RecordSetModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    RecordSetModel(platform::ClientDataSet *dataSet, bool markColumn, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    bool isMarked(int row) const;
    void setMarked(int row, bool marked);
    void toggle(int row);
    void setAllMarked(bool marked);
    int markedCount() const;

private:
    bool inRange(const QModelIndex &index) const;

    QPointer<platform::ClientDataSet> m_dataSet;
    std::vector<const platform::Field *> m_columns;
    bool m_markColumn;
    std::vector<char> m_marks;
};

} // namespace host
