#pragma once

#include "platform/field.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QTextDocument;

namespace host {

class ReportRunner;
class TMessages;
class TParams;

// The folder that holds the report files (report_definition.h describes
// them). By default "relatorios" beside the application; the host or a test
// sets another (an empty path restores the default).
QString defaultReportFolder();
void setDefaultReportFolder(const QString &folder);

// Unattended printing: while a path is set, the report designers write
// every report they print to that PDF file instead of showing the print
// preview.
QString reportPdfOutput();
void setReportPdfOutput(const QString &path);

// The report designer dialog component of the report parameter forms: it
// knows the reports of one report code and prints them.
//
// Printing a report:
//   1. reads the code's report file; when there is none, the form's message
//      "Arq_Rel_Err" is shown and the printing aborts;
//   2. makes the parameter list (TParams) from the query's ":NAME"
//      parameters, values null;
//   3. raises BeforeGetQueryParams(params, proceed), where the form checks
//      its choices and fills the parameters. `proceed` starts true; a
//      handler that sets it false ends the printing without a word, as does
//      one that aborts (MensErro, platform::abortSilently). Any failure goes
//      on to the caller;
//   4. hands the definition and the filled parameters to the runner, which
//      makes the document (by default LocalDatabaseReportRunner);
//   5. shows the document in the print preview (QPrintPreviewDialog), from
//      which the user prints it or exports it to PDF (report_printing.h);
//      with reportPdfOutput() set, writes that PDF instead.
class TReportDesignerDialog : public QObject
{
    Q_OBJECT

public:
    using QueryParamsHandler = std::function<void(TParams &params, bool &proceed)>;
    using Preview = std::function<void(QTextDocument &document, const QString &title)>;
    // The text the user typed, nullopt when cancelled.
    using TitlePrompt =
        std::function<std::optional<QString>(const QString &caption, const QString &prompt)>;

    explicit TReportDesignerDialog(QObject *parent = nullptr);
    ~TReportDesignerDialog() override;

    // Empty: defaultReportFolder().
    void setReportFolder(const QString &folder) { m_folder = folder; }
    QString reportFolder() const;
    void setReportCode(const QString &code) { m_code = code; }
    // The table holding "Arq_Rel_Err", "NovoCaption" and "NovoPrompt".
    void setMessages(const TMessages *messages) { m_messages = messages; }

    // The titles of the code's reports; empty when it has no file. Throws
    // platform::Error for a file that cannot be read or is malformed.
    QStringList reportNames() const;

    void setBeforeGetQueryParams(QueryParamsHandler handler);
    // The text that the rows' field of that name shows on paper instead of
    // its stored value (the form's own rule, the one its screen follows).
    void setFieldText(const QString &fieldName, platform::Field::GetTextHandler handler);
    void setRunner(std::shared_ptr<ReportRunner> runner);
    ReportRunner &runner() const { return *m_runner; }
    // Replaces the print preview (tests; a host that prints straight away).
    void setPreview(Preview preview);
    // Replaces the title prompt of newReport() (tests).
    void setTitlePrompt(TitlePrompt prompt);

    // Prints the report with that title (steps above). Throws; run it inside
    // platform::guarded, as the form's print button does.
    void execute(const QString &title);

    // Adds a report to the code's file: a copy of the report `from` under a
    // title the user gives ("NovoCaption", "NovoPrompt"), for the user to
    // change in the file. Returns the new title; empty when the user
    // cancelled or gave none. Throws as execute() does; a title already in
    // use is refused.
    QString newReport(const QString &from);

private:
    QString messageText(const QString &key) const;
    QString reportFileOrAbort() const;

    QString m_folder;
    QString m_code;
    const TMessages *m_messages = nullptr;
    QueryParamsHandler m_beforeGetQueryParams;
    QHash<QString, platform::Field::GetTextHandler> m_fieldTexts;
    std::shared_ptr<ReportRunner> m_runner;
    Preview m_preview;
    TitlePrompt m_titlePrompt;
};

} // namespace host
