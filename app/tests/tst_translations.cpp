#include "app/translations.h"

#include <QCoreApplication>
#include <QTest>

// The translations a Portuguese-speaking user gets.
class TranslationsTest : public QObject
{
    Q_OBJECT

private slots:
    void portugueseUserGetsQtsOwnTexts();
};

// Catches a Portuguese client whose standard buttons and file dialogs speak
// English (Qt's own texts are English unless its translation is loaded),
// and a host that loads an English translation for a Portuguese user.
void TranslationsTest::portugueseUserGetsQtsOwnTexts()
{
    const QStringList installed =
        app::installTranslations(QLocale(QLocale::Portuguese, QLocale::Brazil));
    QCOMPARE(installed.size(), 1);
    QVERIFY2(installed.first().endsWith(QStringLiteral("/qtbase_pt_BR.qm")),
             qPrintable(installed.first()));
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancelar"));
    // The host's own texts stay the Portuguese they are written in.
    QCOMPARE(QCoreApplication::translate("app::MainWindow", "&Arquivo"),
             QStringLiteral("&Arquivo"));
}

QTEST_MAIN(TranslationsTest)
#include "tst_translations.moc"
