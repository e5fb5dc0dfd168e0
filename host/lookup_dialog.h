#pragma once

#include "host/dialogs.h"

#include <QDialog>

class QLineEdit;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;

namespace host {

class RecordSetModel;

// The lookup: the record set's visible fields under their display labels,
// narrowed by a search box that matches any column. Enter, a double click
// or OK picks the current row.
class LookupDialog : public QDialog
{
    Q_OBJECT

public:
    LookupDialog(const LookupRequest &request, QWidget *parent = nullptr);

    // The record set's row of the current line, -1 when no line is current.
    int pickedRow() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void selectFirstVisibleRow();

    RecordSetModel *m_model;
    QSortFilterProxyModel *m_filter;
    QLineEdit *m_search;
    QTableView *m_view;
    QPushButton *m_ok;
};

} // namespace host
