#pragma once

#include "host/dialogs.h"

#include <QDialog>

class QTableView;

namespace host {

class RecordSetModel;

// The list picker: the record set's rows with a mark column. A click in
// the mark cell or Space on a row marks or unmarks it; OK answers the key
// codes of the marked rows in row order.
class ListPickerDialog : public QDialog
{
    Q_OBJECT

public:
    ListPickerDialog(const ListPickRequest &request, QWidget *parent = nullptr);

    QStringList markedKeys() const;
    RecordSetModel *model() const { return m_model; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    ListPickRequest m_request;
    RecordSetModel *m_model;
    QTableView *m_view;
};

} // namespace host
