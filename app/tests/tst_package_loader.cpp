#include "app/package_loader.h"
#include "app/tests/error_message.h"
#include "platform/abort.h"

#include <QFile>
#include <QLibrary>
#include <QTemporaryDir>
#include <QTest>

using app::PackageLoader;

class PackageLoaderTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void folderLoadSkipsWhatIsNoPackage();
    void initializeAfterLoadFinalizeBeforeUnload();
    void samePackageTwiceIsRefused();

private:
    QTemporaryDir m_dir;
    QString m_package;
};

void PackageLoaderTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_package = m_dir.filePath("PKG_ATE25400.so");
    QVERIFY(QFile::copy(QStringLiteral(ATE_PACKAGE_FILE), m_package));
    QVERIFY(QFile::copy(QStringLiteral(ATE_NO_ENTRY_FILE), m_dir.filePath("PKG_NOENTRY.so")));
    QFile broken(m_dir.filePath("PKG_BROKEN.so"));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("not a library");
    broken.close();
    QFile other(m_dir.filePath("libother.so"));
    QVERIFY(other.open(QIODevice::WriteOnly));
    other.close();
}

// One bad file in the plug-in folder must neither stop the host nor go
// unreported, and must not stay loaded half-checked.
void PackageLoaderTest::folderLoadSkipsWhatIsNoPackage()
{
    PackageLoader loader;
    const QStringList failures = loader.loadFolder(m_dir.path());
    QCOMPARE(failures.size(), 2);
    QVERIFY2(failures.at(0).startsWith("Não foi possível carregar o pacote PKG_BROKEN: "),
             qPrintable(failures.at(0)));
    QCOMPARE(failures.at(1), QStringLiteral("O pacote PKG_NOENTRY não exporta Initialize."));
    QVERIFY(!QLibrary(m_dir.filePath("PKG_NOENTRY.so")).isLoaded());

    QCOMPARE(int(loader.packages().size()), 1);
    QCOMPARE(loader.findScreen("ate25400"), loader.packages().front().get());
    QCOMPARE(loader.packages().front()->caption,
             QStringLiteral("Posição do Fechamento Diário do Plano de Vôo"));
    QVERIFY(!loader.findScreen("ATE25401"));

    QCOMPARE(app::testing::errorMessage([&] { loader.loadFolder(m_dir.filePath("none")); }),
             "Pasta de pacotes não encontrada: " + m_dir.filePath("none"));
}

// Without Initialize the screen unit's state is unset; without Finalize
// before the unload the package's forms would outlive its code.
void PackageLoaderTest::initializeAfterLoadFinalizeBeforeUnload()
{
    // A handle of the test's own keeps the state readable across the
    // loader's unload.
    QLibrary watcher(m_package);
    QVERIFY(watcher.load());
    auto *stLista = reinterpret_cast<QString *>(watcher.resolve("_ZN12Cli_ate254007stListaE"));
    QVERIFY(stLista);

    *stLista = QStringLiteral("before");
    PackageLoader loader;
    loader.load(m_package);
    QCOMPARE(*stLista, QString());

    *stLista = QStringLiteral("G3");
    loader.unloadAll();
    QVERIFY(loader.packages().empty());
    QCOMPARE(*stLista, QString());
    watcher.unload();
}

// Loading one file twice would run its start work for a second owner that
// never finalizes it.
void PackageLoaderTest::samePackageTwiceIsRefused()
{
    PackageLoader loader;
    loader.load(m_package);
    QCOMPARE(app::testing::errorMessage([&] { loader.load(m_package); }),
             QStringLiteral("O pacote PKG_ATE25400 já está carregado."));
    QCOMPARE(int(loader.packages().size()), 1);
}

QTEST_MAIN(PackageLoaderTest)
#include "tst_package_loader.moc"
