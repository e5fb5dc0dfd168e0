// Copying and exporting a data-aware grid as the user reads it.

#include "platform/db_grid.h"

#include "platform/abort.h"
#include "platform/client_data_set.h"
#include "platform/field.h"
#include "platform/grid_export.h"
#include "platform/grid_model.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QKeyEvent>

namespace platform {
namespace {

DBGrid::ExportPathPrompt &exportPathPrompt()
{
    static DBGrid::ExportPathPrompt prompt;
    return prompt;
}

} // namespace

void DBGrid::setExportPathPrompt(ExportPathPrompt prompt)
{
    exportPathPrompt() = std::move(prompt);
}

void DBGrid::addCopyAndExport()
{
    // The key is named in the menu but read by keyPressEvent, so that a
    // form's key preview sees it as it sees every other key.
    m_copy = new QAction(QCoreApplication::translate("DbGrid", "Copiar") + QLatin1Char('\t')
                             + QKeySequence(QKeySequence::Copy).toString(QKeySequence::NativeText),
                         this);
    m_copy->setObjectName(QStringLiteral("actCopiar"));
    connect(m_copy, &QAction::triggered, this, [this] { guarded([this] { copySelection(); }); });
    m_export = new QAction(QCoreApplication::translate("DbGrid", "Exportar para CSV…"), this);
    m_export->setObjectName(QStringLiteral("actExportarCsv"));
    connect(m_export, &QAction::triggered, this, [this] { guarded([this] { exportToCsv(); }); });
    addAction(m_copy);
    addAction(m_export);
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

int DBGrid::rowCount() const
{
    return m_model->rowCount();
}

QString DBGrid::cellText(int row, int column) const
{
    const GridColumn *gridColumn = m_model->columnAt(column);
    const ClientDataSet *set = dataSet();
    if (!gridColumn || !set || row < 0 || row >= set->recordCount() || row >= rowCount())
        return {};
    if (m_onCellText) {
        ClientDataSet::RowScope scope(*set, row);
        return m_onCellText(row, *gridColumn);
    }
    const Field *field = gridColumn->field();
    return field ? field->displayTextAt(row) : QString();
}

void DBGrid::copySelection()
{
    // The cursor's row stands for its current cell, the one painted selected.
    QModelIndexList cells = selectionModel() && !m_cursorSelection
                                ? selectionModel()->selectedIndexes()
                                : QModelIndexList();
    if (cells.isEmpty() && currentIndex().isValid())
        cells.append(currentIndex());
    const QString text = gridClipboardText(*this, cells);
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}

void DBGrid::exportToCsv()
{
    const QString suggested = QDir::home().filePath(
        (objectName().isEmpty() ? QStringLiteral("grade") : objectName()) + QStringLiteral(".csv"));
    const QString path = exportPathPrompt()
                             ? exportPathPrompt()(this, suggested)
                             : QFileDialog::getSaveFileName(
                                 this, QCoreApplication::translate("DbGrid", "Exportar para CSV"),
                                 suggested, QStringLiteral("CSV (*.csv)"));
    if (path.isEmpty())
        return;
    writeTextFileAtomically(path, gridCsv(*this, localeListSeparator()));
}

void DBGrid::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy)) {
        guarded([this] { copySelection(); });
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

} // namespace platform
