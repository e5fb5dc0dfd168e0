#include "app/command_line.h"
#include "app/host_session.h"
#include "app/main_window.h"
#include "app/package_loader.h"
#include "app/translations.h"
#include "testing/host/fake_dialogs.h"
#include "testing/server/demo_server.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QXmlStreamReader>

namespace {

// A visible text with its mnemonic and shortcut taken off.
QString plain(QString text)
{
    text = text.section(QLatin1Char('\t'), 0, 0);
    text.remove(QRegularExpression(QStringLiteral("&(?=\\S)")));
    return text.trimmed();
}

// The Portuguese sources of the host's and the package's translations whose
// English differs, as patterns ("Filial %1" matches "Filial GRU").
QList<QRegularExpression> portugueseSources()
{
    QList<QRegularExpression> patterns;
    for (const QString &path : QStringLiteral(ATE_TS_FILES).split(QLatin1Char('|'))) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            qFatal("cannot read %s", qPrintable(path));
        QXmlStreamReader xml(&file);
        QString source;
        while (!xml.atEnd()) {
            if (!xml.readNextStartElement())
                continue;
            if (xml.name() == QLatin1String("source")) {
                source = plain(xml.readElementText());
            } else if (xml.name() == QLatin1String("translation")) {
                if (plain(xml.readElementText()) == source || source.isEmpty())
                    continue;
                QString pattern = QRegularExpression::escape(source);
                pattern.replace(QRegularExpression(QStringLiteral("%\\d")), QStringLiteral(".*"));
                patterns.append(QRegularExpression(QLatin1Char('^') + pattern + QLatin1Char('$')));
            }
        }
    }
    return patterns;
}

// What the user reads on a window and everything in it.
QStringList visibleTexts(QWidget *window)
{
    QStringList texts{window->windowTitle()};
    QList<QWidget *> widgets = window->findChildren<QWidget *>();
    widgets.append(window);
    for (QWidget *widget : widgets) {
        texts << widget->toolTip() << widget->accessibleName();
        if (auto *label = qobject_cast<QLabel *>(widget))
            texts << label->text();
        if (auto *button = qobject_cast<QAbstractButton *>(widget))
            texts << button->text();
        if (auto *box = qobject_cast<QGroupBox *>(widget))
            texts << box->title();
        if (auto *menu = qobject_cast<QMenu *>(widget))
            texts << menu->title();
        if (auto *edit = qobject_cast<QLineEdit *>(widget))
            texts << edit->placeholderText();
        if (auto *sub = qobject_cast<QMdiSubWindow *>(widget))
            texts << sub->windowTitle();
        if (auto *view = qobject_cast<QAbstractItemView *>(widget); view && view->model()) {
            for (int column = 0; column < view->model()->columnCount(); ++column)
                texts << view->model()->headerData(column, Qt::Horizontal).toString()
                      << view->model()
                             ->headerData(column, Qt::Horizontal, Qt::ToolTipRole)
                             .toString();
        }
        for (QAction *action : widget->actions())
            texts << action->text() << action->toolTip() << action->iconText();
    }
    for (QAction *action : window->findChildren<QAction *>())
        texts << action->text() << action->toolTip();
    QStringList plainTexts;
    for (const QString &text : texts) {
        // Multi-line tooltips (the situation legend) line by line.
        for (const QString &line : text.split(QLatin1Char('\n'))) {
            const QString p = plain(line);
            if (!p.isEmpty())
                plainTexts << p;
        }
    }
    plainTexts.removeDuplicates();
    return plainTexts;
}

// Why a text reads as Portuguese; empty when it does not.
QString portugueseIn(const QString &text, const QList<QRegularExpression> &sources)
{
    static const QRegularExpression accents(QStringLiteral("[áàâãéêíóôõúçÁÀÂÃÉÊÍÓÔÕÚÇ]"));
    static const QRegularExpression words(
        QStringLiteral(
            "\\b(de|do|da|dos|das|em|para|com|sem|não|Filial|Companhia|Plano|Serviços?|Previsão|"
            "Atualizar|"
            "Fechar|Imprimir|Sair|Janela|Arquivo|Telas|Ajuda|Copiar|Exportar|Pesquisar|Confirmar|"
            "Cancelar|Incluir|Alterar|Excluir|Procurar|Ordenar|Verificar|Filtrar|Todas|Servidor|"
            "Nenhuma|leitura|Gerado)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    if (text.contains(accents))
        return QStringLiteral("accented letters");
    if (const QRegularExpressionMatch word = words.match(text); word.hasMatch())
        return QStringLiteral("the word \"%1\"").arg(word.captured());
    for (const QRegularExpression &source : sources) {
        if (source.match(text).hasMatch())
            return QStringLiteral("the untranslated text /%1/").arg(source.pattern());
    }
    return {};
}

} // namespace

// An English-speaking user: the host with the real plug-in against the real
// server, every text of the main window and of the open screen in English.
class EnglishTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void menusAndScreenSpeakEnglish();

private:
    host::testing::DemoServer m_server;
};

void EnglishTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    // As a user whose locale is en_US: the host's translations first, the
    // package's when it loads.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const QStringList installed = app::installTranslations();
    const QString files = installed.join(QLatin1Char(' '));
    QVERIFY2(files.contains(QStringLiteral("/qtbase_en.qm")), qPrintable(files));
    QVERIFY2(files.contains(QStringLiteral("/ate_framework_en.qm")), qPrintable(files));
    QVERIFY2(files.contains(QStringLiteral("/ate_app_en.qm")), qPrintable(files));
    const QString failure = m_server.start(QDate::currentDate(), 7);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

void EnglishTest::cleanupTestCase()
{
    m_server.stop();
}

// Catches a menu, title, column or button left in Portuguese for an English
// user: a text without tr(), a translation missing from a .ts, or a .qm the
// host does not find.
void EnglishTest::menusAndScreenSpeakEnglish()
{
    host::testing::FakeDialogs dialogs;
    app::HostSession session(app::parseHostOptions(
        {"--branch", "GRU", "--server", "127.0.0.1", "--port", QString::number(m_server.port()),
         "--local-db", m_server.localDatabase(), "--plugins", QStringLiteral(ATE_PLUGIN_DIR)}));
    session.start();
    auto *menuItem = session.mainWindow()->findChild<QAction *>(QStringLiteral("mnuTelaATE25400"));
    QVERIFY(menuItem);
    menuItem->trigger();
    app::LoadedPackage *package = session.packages().findScreen(QStringLiteral("ATE25400"));
    QVERIFY(package);
    QTRY_VERIFY_WITH_TIMEOUT(package->mainScreenReady(), 20000);
    QCOMPARE(dialogs.texts(), QStringList());

    QCOMPARE(session.mainWindow()->windowTitle(),
             QStringLiteral("Catering — Branch GRU Guarulhos"));
    auto *screen = session.mainWindow()->findChild<QWidget *>(QStringLiteral("frmPosFecDiaPlaVoo"));
    QVERIFY(screen);
    QCOMPARE(screen->windowTitle(), QStringLiteral("Daily Flight Plan Closing Position"));

    const QList<QRegularExpression> sources = portugueseSources();
    QVERIFY(sources.size() > 100);
    const QStringList texts = visibleTexts(session.mainWindow());
    QVERIFY(texts.size() > 50);
    QStringList portuguese;
    for (const QString &text : texts) {
        const QString why = portugueseIn(text, sources);
        if (!why.isEmpty())
            portuguese << QStringLiteral("\"%1\" (%2)").arg(text, why);
    }
    QVERIFY2(portuguese.isEmpty(), qPrintable(portuguese.join(QLatin1Char('\n'))));
    session.stop();
}

QTEST_MAIN(EnglishTest)
#include "tst_english.moc"
