#include "host/lookup_dialog.h"

#include "host/picker_parts.h"
#include "host/record_set_model.h"
#include "platform/client_data_set.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>

namespace host {

LookupDialog::LookupDialog(const LookupRequest &request, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("dlgPesquisa"));
    setWindowTitle(request.title);
    setWindowModality(Qt::ApplicationModal);

    m_model = new RecordSetModel(request.dataSet, false, this);
    m_filter = new QSortFilterProxyModel(this);
    m_filter->setSourceModel(m_model);
    m_filter->setFilterKeyColumn(-1);
    m_filter->setFilterCaseSensitivity(Qt::CaseInsensitive);

    auto *label = new QLabel(QCoreApplication::translate("LookupDialog", "Pesquisar:"), this);
    label->setObjectName(QStringLiteral("lblPesquisa"));
    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("edtPesquisa"));
    label->setBuddy(m_search);
    m_search->installEventFilter(this);

    m_view = makePickerView(this, QStringLiteral("tbvPesquisa"), m_filter);

    QDialogButtonBox *buttons = makeOkCancel(this, &m_ok);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (pickedRow() >= 0)
            accept();
    });
    connect(m_view, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        m_view->setCurrentIndex(index);
        if (pickedRow() >= 0)
            accept();
    });
    connect(m_view->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { m_ok->setEnabled(pickedRow() >= 0); });
    connect(m_search, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_filter->setFilterFixedString(text.trimmed());
        selectFirstVisibleRow();
    });

    // Start on the record set's current row.
    const int current =
        request.dataSet && request.dataSet->isActive() ? request.dataSet->recNo() : -1;
    if (current >= 0 && current < m_model->rowCount())
        m_view->setCurrentIndex(m_filter->mapFromSource(m_model->index(current, 0)));
    else
        selectFirstVisibleRow();
    m_ok->setEnabled(pickedRow() >= 0);

    auto *searchRow = new QHBoxLayout;
    searchRow->addWidget(label);
    searchRow->addWidget(m_search, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(searchRow);
    layout->addWidget(m_view);
    layout->addWidget(buttons);
    resize(qMax(360, m_view->horizontalHeader()->length() + 40), 320);
    // Settle the size now: changing it once the window exists is refused by
    // some platforms.
    layout->activate();
    m_search->setFocus();
}

void LookupDialog::selectFirstVisibleRow()
{
    if (m_filter->rowCount() > 0)
        m_view->setCurrentIndex(m_filter->index(0, 0));
    else
        m_view->setCurrentIndex({});
}

int LookupDialog::pickedRow() const
{
    const QModelIndex current = m_view->currentIndex();
    if (!current.isValid())
        return -1;
    return m_filter->mapToSource(current).row();
}

bool LookupDialog::eventFilter(QObject *watched, QEvent *event)
{
    // Arrow and page keys in the search box move in the list, so the user
    // can type and pick without leaving the keyboard's home.
    if (watched == m_search && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        switch (key->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown: {
            QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text());
            QApplication::sendEvent(m_view, &copy);
            return true;
        }
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace host
