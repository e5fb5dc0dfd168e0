#include "host/list_picker_dialog.h"

#include "host/picker_parts.h"
#include "host/record_set_model.h"
#include "platform/client_data_set.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace host {

ListPickerDialog::ListPickerDialog(const ListPickRequest &request, QWidget *parent)
    : QDialog(parent)
    , m_request(request)
{
    setObjectName(QStringLiteral("dlgPesquisaLista"));
    setWindowTitle(request.title);
    setWindowModality(Qt::ApplicationModal);

    m_model = new RecordSetModel(request.dataSet, true, this);
    const platform::Field *key =
        request.dataSet ? request.dataSet->findField(request.keyField) : nullptr;
    for (int row = 0; key && row < m_model->rowCount(); ++row) {
        if (request.marked.contains(key->asStringAt(row).trimmed()))
            m_model->setMarked(row, true);
    }

    m_view = makePickerView(this, QStringLiteral("tbvLista"), m_model);
    if (m_model->rowCount() > 0)
        m_view->setCurrentIndex(m_model->index(0, 0));
    connect(m_view, &QTableView::clicked, this, [this](const QModelIndex &index) {
        if (index.column() == 0)
            m_model->toggle(index.row());
    });

    auto *markAll =
        new QPushButton(QCoreApplication::translate("ListPickerDialog", "Marcar todos"), this);
    markAll->setObjectName(QStringLiteral("btnMarcarTodos"));
    markAll->setAutoDefault(false);
    connect(markAll, &QPushButton::clicked, this, [this] { m_model->setAllMarked(true); });
    auto *unmarkAll =
        new QPushButton(QCoreApplication::translate("ListPickerDialog", "Desmarcar todos"), this);
    unmarkAll->setObjectName(QStringLiteral("btnDesmarcarTodos"));
    unmarkAll->setAutoDefault(false);
    connect(unmarkAll, &QPushButton::clicked, this, [this] { m_model->setAllMarked(false); });

    QPushButton *ok = nullptr;
    QDialogButtonBox *buttons = makeOkCancel(this, &ok);
    buttons->addButton(markAll, QDialogButtonBox::ActionRole);
    buttons->addButton(unmarkAll, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_view);
    layout->addWidget(buttons);
    resize(qMax(360, m_view->horizontalHeader()->length() + 40), 320);
    // Settle the size now: changing it once the window exists is refused by
    // some platforms.
    layout->activate();
    m_view->setFocus();
}

bool ListPickerDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier) {
            if (m_view->currentIndex().isValid())
                m_model->toggle(m_view->currentIndex().row());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

QStringList ListPickerDialog::markedKeys() const
{
    QStringList keys;
    const platform::Field *key =
        m_request.dataSet ? m_request.dataSet->findField(m_request.keyField) : nullptr;
    for (int row = 0; key && row < m_model->rowCount(); ++row) {
        if (!m_model->isMarked(row))
            continue;
        const QString code = key->asStringAt(row).trimmed();
        if (!code.isEmpty() && !keys.contains(code))
            keys.append(code);
    }
    return keys;
}

} // namespace host
