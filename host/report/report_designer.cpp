#include "host/report/report_designer.h"

#include "host/application.h"
#include "host/format_text.h"
#include "host/functions.h"
#include "host/messages.h"
#include "host/params.h"
#include "host/report/report_definition.h"
#include "host/report/report_printing.h"
#include "host/report/report_runner.h"
#include "platform/abort.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLayout>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTextDocument>
#include <QToolBar>

namespace host {
namespace {

QString &folderSetting()
{
    static QString folder;
    return folder;
}

QString &pdfOutputSetting()
{
    static QString path;
    return path;
}

void restoreCursor()
{
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

// The preview's own command to write the report to a PDF file.
void addPdfExport(QPrintPreviewDialog &preview, const QTextDocument &document, const QString &title)
{
    QToolBar *toolbar = preview.findChild<QToolBar *>();
    if (!toolbar)
        return;
    toolbar->addSeparator();
    QAction *action =
        toolbar->addAction(QCoreApplication::translate("ReportDesigner", "Exportar PDF..."));
    action->setObjectName(QStringLiteral("actExportarPdf"));
    action->setToolTip(
        QCoreApplication::translate("ReportDesigner", "Exportar o relatório para um arquivo PDF"));
    QObject::connect(action, &QAction::triggered, &preview, [&preview, &document, title] {
        platform::guarded([&] {
            QString path = QFileDialog::getSaveFileName(
                &preview, QCoreApplication::translate("ReportDesigner", "Exportar PDF"),
                title + QStringLiteral(".pdf"), QStringLiteral("PDF (*.pdf)"));
            if (path.isEmpty())
                return;
            if (!path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
                path += QStringLiteral(".pdf");
            exportReportPdf(document, path);
        });
    });
}

void showPreview(QTextDocument &document, const QString &title)
{
    if (!reportPdfOutput().isEmpty()) {
        exportReportPdf(document, reportPdfOutput());
        return;
    }
    restoreCursor();
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(title);
    QPrintPreviewDialog preview(&printer, dialogParent());
    preview.setObjectName(QStringLiteral("dlgVisualizarRelatorio"));
    preview.setWindowTitle(title);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&document](QPrinter *target) {
                         platform::guarded([&] { printReport(document, *target); });
                     });
    addPdfExport(preview, document, title);
    // Size limits settled before the window exists; some platforms refuse
    // them, with a warning, once it is on screen.
    if (QLayout *layout = preview.layout())
        layout->activate();
    prepareReportPreview(preview);
    preview.exec();
}

std::optional<QString> askTitle(const QString &caption, const QString &prompt)
{
    restoreCursor();
    bool ok = false;
    const QString text =
        QInputDialog::getText(dialogParent(), caption, prompt, QLineEdit::Normal, {}, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

const ReportDefinition *findReport(const QList<ReportDefinition> &reports, const QString &title)
{
    for (const ReportDefinition &report : reports) {
        if (report.title.compare(title, Qt::CaseInsensitive) == 0)
            return &report;
    }
    return nullptr;
}

const ReportDefinition &reportOrAbort(const QList<ReportDefinition> &reports, const QString &title)
{
    // MensErro with its abort flag never returns.
    if (title.trimmed().isEmpty()) {
        MensErro(QCoreApplication::translate("ReportDesigner", "Escolha o relatório."), true);
        platform::abortSilently();
    }
    const ReportDefinition *report = findReport(reports, title);
    if (!report) {
        MensErro(QCoreApplication::translate(
                     "ReportDesigner", "O relatório \"%1\" não está mais no arquivo de definição.")
                     .arg(title),
                 true);
        platform::abortSilently();
    }
    return *report;
}

} // namespace

QString defaultReportFolder()
{
    if (!folderSetting().isEmpty())
        return folderSetting();
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("relatorios"));
}

void setDefaultReportFolder(const QString &folder)
{
    folderSetting() = folder;
}

QString reportPdfOutput()
{
    return pdfOutputSetting();
}

void setReportPdfOutput(const QString &path)
{
    pdfOutputSetting() = path;
}

TReportDesignerDialog::TReportDesignerDialog(QObject *parent)
    : QObject(parent)
    , m_runner(std::make_shared<LocalDatabaseReportRunner>())
    , m_preview(showPreview)
    , m_titlePrompt(askTitle)
{
}

TReportDesignerDialog::~TReportDesignerDialog() = default;

QString TReportDesignerDialog::reportFolder() const
{
    return m_folder.isEmpty() ? defaultReportFolder() : m_folder;
}

QStringList TReportDesignerDialog::reportNames() const
{
    const QString path = findReportFile(reportFolder(), m_code);
    if (path.isEmpty())
        return {};
    QStringList titles;
    for (const ReportDefinition &report : readReportFile(path))
        titles.append(report.title);
    return titles;
}

void TReportDesignerDialog::setBeforeGetQueryParams(QueryParamsHandler handler)
{
    m_beforeGetQueryParams = std::move(handler);
}

void TReportDesignerDialog::setFieldText(const QString &fieldName,
                                         platform::Field::GetTextHandler handler)
{
    m_fieldTexts.insert(fieldName, std::move(handler));
}

void TReportDesignerDialog::setRunner(std::shared_ptr<ReportRunner> runner)
{
    m_runner = runner ? std::move(runner) : std::make_shared<LocalDatabaseReportRunner>();
}

void TReportDesignerDialog::setPreview(Preview preview)
{
    m_preview = preview ? std::move(preview) : Preview(showPreview);
}

void TReportDesignerDialog::setTitlePrompt(TitlePrompt prompt)
{
    m_titlePrompt = prompt ? std::move(prompt) : TitlePrompt(askTitle);
}

QString TReportDesignerDialog::messageText(const QString &key) const
{
    return m_messages ? m_messages->Msg(key) : QString();
}

QString TReportDesignerDialog::reportFileOrAbort() const
{
    const QString path = findReportFile(reportFolder(), m_code);
    if (path.isEmpty()) {
        MensErro(formatText(messageText(QStringLiteral("Arq_Rel_Err")),
                            {m_code, QDir::toNativeSeparators(reportFolder())}),
                 true);
    }
    return path;
}

void TReportDesignerDialog::execute(const QString &title)
{
    const QList<ReportDefinition> reports = readReportFile(reportFileOrAbort());
    const ReportDefinition &report = reportOrAbort(reports, title);

    TParams params;
    for (const QString &name : report.parameterNames())
        params.addParam(name);
    bool proceed = true;
    if (m_beforeGetQueryParams)
        m_beforeGetQueryParams(params, proceed);
    if (!proceed)
        return;

    // The runner may be replaced while the preview's loop runs.
    const std::shared_ptr<ReportRunner> runner = m_runner;
    runner->setFieldTexts(m_fieldTexts);
    const ReportDefinition shown = shownReport(report);
    std::unique_ptr<QTextDocument> document = runner->run(shown, params);
    if (document)
        m_preview(*document, shown.title);
}

QString TReportDesignerDialog::newReport(const QString &from)
{
    const QString path = reportFileOrAbort();
    QList<ReportDefinition> reports = readReportFile(path);
    ReportDefinition copy = reportOrAbort(reports, from);

    const std::optional<QString> answer = m_titlePrompt(messageText(QStringLiteral("NovoCaption")),
                                                        messageText(QStringLiteral("NovoPrompt")));
    const QString title = answer ? answer->simplified() : QString();
    if (title.isEmpty())
        return {};
    if (findReport(reports, title))
        MensErro(QCoreApplication::translate("ReportDesigner",
                                             "Já existe um relatório com o título \"%1\".")
                     .arg(title),
                 true);
    copy.title = title;
    reports.append(copy);
    writeReportFile(path, reports);
    return title;
}

} // namespace host
