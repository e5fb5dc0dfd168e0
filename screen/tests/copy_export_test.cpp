// Copying the screen's grids into a mail or a spreadsheet: the texts as the
// supervisor sees them, never another call to the server.

#include "screen/tests/paint_recorder.h"
#include "testing/screen/open_screen_test.h"

#include "platform/db_grid.h"
#include "platform/grid_export.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

using namespace screen::testing;

namespace {

// RFC 4180 fields of one CSV text.
QList<QStringList> parseCsv(const QString &text, QChar separator)
{
    QList<QStringList> lines;
    QStringList fields;
    QString field;
    bool quoted = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < text.size()
                && text.at(i + 1) == QLatin1Char('"')) {
                field += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == separator) {
            fields.append(field);
            field.clear();
        } else if (c == QLatin1Char('\r')) {
        } else if (c == QLatin1Char('\n')) {
            fields.append(field);
            lines.append(fields);
            fields.clear();
            field.clear();
        } else {
            field += c;
        }
    }
    return lines;
}

} // namespace

class CopyExportTest : public OpenScreenTest
{
    Q_OBJECT

private slots:
    void copiedServicesAreWhatIsPainted_data();
    void copiedServicesAreWhatIsPainted();
    void oneCellCopiesItsRow();
    void csvReadsBackAsTheGrid();
    void failedExportSaysSoAndLeavesNoFile();
    void situationTitlesExplainTheCodes();

private:
    QStringList paintedRow(platform::DBGrid *grid, int row) const;
};

QStringList CopyExportTest::paintedRow(platform::DBGrid *grid, int row) const
{
    PaintRecorder recorder(grid->viewport());
    QStringList texts;
    for (int column = 0; column < grid->columnCount(); ++column) {
        const QRect cell = grid->visualRect(grid->model()->index(row, column));
        const auto text = recorder.lastTextIn(cell);
        texts.append(text ? text->text : QString());
    }
    return texts;
}

void CopyExportTest::copiedServicesAreWhatIsPainted_data()
{
    QTest::addColumn<QString>("locale");
    QTest::newRow("C") << "C";
    QTest::newRow("pt_BR") << "pt_BR";
}

// Catches a copy that gives the stored codes and raw numbers instead of
// "Pe", "1234.50" and "R$ 12.50", fills empty cells, or calls the server.
void CopyExportTest::copiedServicesAreWhatIsPainted()
{
    QFETCH(QString, locale);
    QLocale::setDefault(QLocale(locale));
    m_form->setFormWindowState(Qt::WindowMaximized);
    // Down and back up, so that the price column shows the amounts.
    clickCell(m_form->dbgPlanoVoo, 1, 0);
    clickCell(m_form->dbgPlanoVoo, 0, 0);
    platform::DBGrid *grid = m_form->dbgServPlano;
    clickCell(grid, 0, 1);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                      grid->visualRect(grid->model()->index(4, grid->columnCount() - 1)).center());
    m_fixture->server.clearCalls();
    QApplication::clipboard()->clear();
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
    const QStringList lines =
        QApplication::clipboard()->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 6);
    QStringList titles;
    for (int column = 1; column < grid->columnCount(); ++column)
        titles.append(grid->column(column).title());
    QCOMPARE(lines.at(0), titles.join(QLatin1Char('\t')));
    for (int row = 0; row < 5; ++row)
        QCOMPARE(lines.at(row + 1), paintedRow(grid, row).mid(1).join(QLatin1Char('\t')));
    QLocale::setDefault(QLocale::c());
    const QString decimals =
        locale == QLatin1String("C") ? QStringLiteral("1234.50") : QStringLiteral("1234,50");
    QVERIFY2(lines.at(1).contains(decimals), qPrintable(lines.at(1)));
    // The price column follows the services on display (the Brazilian
    // airline's): reais.
    QVERIFY2(
        lines.at(1).endsWith(QStringLiteral("R$ 12") + decimals.mid(4, 1) + QStringLiteral("50")),
        qPrintable(lines.at(1)));
    QVERIFY(lines.at(5).contains(QStringLiteral("\t\t"))); // "Gelo": empty quantities
    QCOMPARE(m_fixture->server.callCount(), 0);
}

// Catches a single selected cell copied alone, without its row's context.
void CopyExportTest::oneCellCopiesItsRow()
{
    clickCell(m_form->dbgPlanoVoo, 1, 3);
    QTest::keyClick(m_form->dbgPlanoVoo, Qt::Key_C, Qt::ControlModifier);
    const QStringList lines =
        QApplication::clipboard()->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines.at(1).split(QLatin1Char('\t')),
             (QStringList{"Cc", "14:05", "AAL", "0950", "GRU", "GIG", "Gerado"}));
}

// Catches fields that break the table in a spreadsheet (a separator or a
// quote inside a text), lost accents, and an export that calls the server.
void CopyExportTest::csvReadsBackAsTheGrid()
{
    DemoDay day = m_fixture->day;
    day.services[day.flights.at(0).nrvoo][0].description =
        QStringLiteral("Kit \"premium\"; frio, açaí");
    m_fixture->serve(day);
    QVERIFY(pressIn(m_form->dbgPlanoVoo, Qt::Key_F5));
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("servicos.csv"));
    platform::DBGrid::setExportPathPrompt([&](QWidget *, const QString &) { return path; });
    m_fixture->server.clearCalls();
    m_form->dbgServPlano->exportAction()->trigger();
    platform::DBGrid::setExportPathPrompt({});
    QCOMPARE(m_fixture->server.callCount(), 0);

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    const QList<QStringList> lines =
        parseCsv(QString::fromUtf8(bytes.mid(3)), platform::localeListSeparator());
    platform::DBGrid *grid = m_form->dbgServPlano;
    QCOMPARE(lines.size(), grid->rowCount() + 1);
    QCOMPARE(lines.at(0).size(), grid->columnCount());
    for (int row = 0; row < grid->rowCount(); ++row) {
        for (int column = 0; column < grid->columnCount(); ++column)
            QCOMPARE(lines.at(row + 1).at(column), grid->cellText(row, column));
    }
    QCOMPARE(lines.at(1).at(1), QStringLiteral("Kit \"premium\"; frio, açaí"));
}

// Catches a failed write reported as done, or a half file left behind.
void CopyExportTest::failedExportSaysSoAndLeavesNoFile()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("nao-existe/planos.csv"));
    platform::DBGrid::setExportPathPrompt([&](QWidget *, const QString &) { return path; });
    m_form->dbgPlanoVoo->exportAction()->trigger();
    platform::DBGrid::setExportPathPrompt({});
    QCOMPARE(m_fixture->dialogs->texts().size(), 1);
    QVERIFY(
        m_fixture->dialogs->texts().first().startsWith(QStringLiteral("Não foi possível gravar")));
    QVERIFY(!QFile::exists(path));
}

// Catches situation codes left unexplained, or a legend whose colours are
// not the painted ones.
void CopyExportTest::situationTitlesExplainTheCodes()
{
    const QString flights =
        m_form->dbgPlanoVoo->model()->headerData(0, Qt::Horizontal, Qt::ToolTipRole).toString();
    for (const char *text : {"Pendente", "Atendido", "Cancelado", "Cancelado com cobrança",
                             "Faturado", "#0000ff", "#00ffff", "#800000", ">Ft<"})
        QVERIFY2(flights.contains(QString::fromUtf8(text)), text);
    const QString services =
        m_form->dbgServPlano->model()->headerData(0, Qt::Horizontal, Qt::ToolTipRole).toString();
    QVERIFY(services.contains(QStringLiteral("Cancelado com cobrança")));
    QVERIFY(services.contains(QStringLiteral("#800000")));
    QVERIFY(!services.contains(QStringLiteral(">Ft<")));
    // The legend as its tooltip shows it, for the README.
    QLabel tip;
    tip.setTextFormat(Qt::RichText);
    tip.setText(flights);
    tip.setMargin(6);
    tip.setAutoFillBackground(true);
    tip.setPalette(QToolTip::palette());
    tip.adjustSize();
    QVERIFY(tip.grab().save(QStringLiteral(SCREEN_PNG_DIR "/ate25400_legend.png")));
    const QString breakdown =
        m_form->dbgPlanoVoo->model()->headerData(6, Qt::Horizontal, Qt::ToolTipRole).toString();
    QVERIFY(breakdown.contains(QStringLiteral("Não gerado")));
}

QTEST_MAIN(CopyExportTest)
#include "copy_export_test.moc"
