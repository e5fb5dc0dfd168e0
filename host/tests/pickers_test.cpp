#include "host/btn_pesquisa.h"
#include "host/list_picker_dialog.h"
#include "host/pesquisa_lista.h"
#include "host/record_set_model.h"
#include "platform/abort.h"
#include "platform/client_data_set.h"
#include "platform/data_source.h"
#include "testing/host/fake_dialogs.h"
#include "testing/host/modal_driver.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QVBoxLayout>

using host::testing::FakeDialogs;
using host::testing::ModalDriver;

namespace {

platform::DataPacket packetOf(const QList<platform::PacketField> &fields,
                              const QList<QStringList> &rows)
{
    platform::DataPacket packet;
    packet.fields = fields;
    for (const QStringList &row : rows)
        packet.appendRow(QVariantList(row.begin(), row.end()));
    return packet;
}

// The airlines as the filter dialog declares them: the mark column, the
// hidden key, abbreviation and name.
void declareAirlines(platform::ClientDataSet &set)
{
    set.addField(QStringLiteral("IDMARCADO"), platform::FieldType::FixedString, 1)
        ->setReadOnly(true);
    platform::Field *code = set.addField(QStringLiteral("CDCIA"), platform::FieldType::String, 4);
    code->setDisplayLabel(QStringLiteral("Código"));
    code->setVisible(false);
    set.addField(QStringLiteral("SGCIA"), platform::FieldType::String, 5)
        ->setDisplayLabel(QStringLiteral("Sigla"));
    set.addField(QStringLiteral("NMCIA"), platform::FieldType::String, 50)
        ->setDisplayLabel(QStringLiteral("Nome"));
}

void loadAirlines(platform::ClientDataSet &set, const QList<QStringList> &rows)
{
    set.loadPacket(packetOf({{QStringLiteral("IDMARCADO"), platform::FieldType::FixedString, 1},
                             {QStringLiteral("CDCIA"), platform::FieldType::String, 4},
                             {QStringLiteral("SGCIA"), platform::FieldType::String, 5},
                             {QStringLiteral("NMCIA"), platform::FieldType::String, 50}},
                            rows));
}

const QList<QStringList> Airlines = {
    {QStringLiteral("N"), QStringLiteral("AD"), QStringLiteral("AZU"), QStringLiteral("Azul")},
    {QStringLiteral("N"), QStringLiteral("G3"), QStringLiteral("GOL"), QStringLiteral("Gol")},
    {QStringLiteral("N"), QStringLiteral("JJ"), QStringLiteral("TAM"), QStringLiteral("Latam")},
    {QStringLiteral("N"), QStringLiteral("TP "), QStringLiteral("TAP"),
     QStringLiteral("TAP Air Portugal")},
};

// The branches as the branch query declares them.
void declareBranches(platform::ClientDataSet &set)
{
    set.addField(QStringLiteral("CDFILIAL"), platform::FieldType::String, 4)
        ->setDisplayLabel(QStringLiteral("Código"));
    set.addField(QStringLiteral("NMFILIAL"), platform::FieldType::String, 30)
        ->setDisplayLabel(QStringLiteral("Nome"));
    set.addField(QStringLiteral("IDCNTRRESC"), platform::FieldType::String, 1)->setVisible(false);
}

void loadBranches(platform::ClientDataSet &set)
{
    set.loadPacket(
        packetOf({{QStringLiteral("CDFILIAL"), platform::FieldType::String, 4},
                  {QStringLiteral("NMFILIAL"), platform::FieldType::String, 30},
                  {QStringLiteral("IDCNTRRESC"), platform::FieldType::String, 1}},
                 {{QStringLiteral("CGH"), QStringLiteral("Congonhas"), QStringLiteral("N")},
                  {QStringLiteral("GIG"), QStringLiteral("Rio de Janeiro"), QStringLiteral("S")},
                  {QStringLiteral("GRU"), QStringLiteral("Guarulhos"), QStringLiteral("N")}}));
}

void clickCell(QTableView *view, int row, int column)
{
    const QRect cell = view->visualRect(view->model()->index(row, column));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
}

QPushButton *button(QWidget *dialog, const char *name)
{
    return dialog->findChild<QPushButton *>(QLatin1String(name));
}

} // namespace

class PickersTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void recordSetModelIsAWellBehavedModel();
    void listPickerMarksWithMouseAndSpace();
    void listPickerCancelKeepsTheList();
    void listPickerWithNoRowsShowsTheEmptyText();
    void listPickerThroughTheScript();
    void lookupPicksBySearchAndPositionsTheSet();
    void lookupCancelLeavesTheSetAlone();
    void lookupOfAnEmptySetShowsEmptyError();
    void lookupBeforeAndClickHandlers();

private:
    QWidget *m_form = nullptr;
    QLineEdit *m_associate = nullptr;
    host::TBtnPesquisa *m_button = nullptr;
    platform::ClientDataSet *m_set = nullptr;
    platform::DataSource *m_source = nullptr;
};

void PickersTest::init()
{
    m_form = new QWidget;
    m_form->setObjectName(QStringLiteral("frmTeste"));
    auto *layout = new QVBoxLayout(m_form);
    m_associate = new QLineEdit(m_form);
    m_associate->setObjectName(QStringLiteral("medCdFilial"));
    auto *other = new QLineEdit(m_form);
    other->setObjectName(QStringLiteral("edtOutro"));
    m_button = new host::TBtnPesquisa(m_form);
    m_button->setObjectName(QStringLiteral("btnPesqFilial"));
    layout->addWidget(m_associate);
    layout->addWidget(other);
    layout->addWidget(m_button);
    m_set = new platform::ClientDataSet(m_form);
    m_source = new platform::DataSource(m_set, m_form);
    m_button->setDataSource(m_source);
    m_button->setTitle(QStringLiteral("Filial"));
    m_button->setEmptyError(QStringLiteral("Não há filial cadastrada."));
    m_button->setAssociate(m_associate);
    QVERIFY(host::testing::showActive(m_form));
    other->setFocus();
}

void PickersTest::cleanup()
{
    delete m_form;
    m_form = nullptr;
}

// Catches model faults (bad indexes, rows out of step with the record set)
// in the table both pickers show.
void PickersTest::recordSetModelIsAWellBehavedModel()
{
    declareAirlines(*m_set);
    loadAirlines(*m_set, Airlines);
    host::RecordSetModel model(m_set, true);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(model.rowCount(), 4);
    // Mark column, then the visible fields; IDMARCADO and the hidden key are not shown.
    QCOMPARE(model.columnCount(), 3);
    QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Sigla"));
    QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("Nome"));
    QCOMPARE(model.data(model.index(2, 2)).toString(), QStringLiteral("Latam"));
    model.toggle(1);
    QCOMPARE(model.data(model.index(1, 0), Qt::CheckStateRole).toInt(), int(Qt::Checked));
    QVERIFY(model.setData(model.index(1, 0), Qt::Unchecked, Qt::CheckStateRole));
    QCOMPARE(model.markedCount(), 0);
    delete m_set;
    m_set = nullptr;
    QCOMPARE(model.rowCount(), 0);
}

// Catches marks of the incoming list not shown again, a click or Space that
// does not toggle, and an answer in any other format than "AD,G3".
void PickersTest::listPickerMarksWithMouseAndSpace()
{
    declareAirlines(*m_set);
    loadAirlines(*m_set, Airlines);
    QString list = QStringLiteral("JJ,TP");
    QStringList startedMarked;
    QString title;
    ModalDriver driver(QStringLiteral("dlgPesquisaLista"), [&](QWidget *dialog) {
        title = dialog->windowTitle();
        auto *view = dialog->findChild<QTableView *>(QStringLiteral("tbvLista"));
        auto *model = static_cast<host::ListPickerDialog *>(dialog)->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            if (model->isMarked(row))
                startedMarked.append(model->data(model->index(row, 1)).toString());
        }
        clickCell(view, 0, 0);                // mark Azul
        clickCell(view, 2, 1);                // a click on data only moves
        QTest::keyClick(view, Qt::Key_Space); // unmark Latam
        QTest::keyClick(view, Qt::Key_Down);
        QTest::keyClick(view, Qt::Key_Space); // unmark TAP
        QTest::keyClick(view, Qt::Key_Up);
        QTest::keyClick(view, Qt::Key_Up);
        QTest::keyClick(view, Qt::Key_Space); // mark Gol
        QTest::mouseClick(button(dialog, "btnOk"), Qt::LeftButton);
    });
    const bool confirmed =
        host::PesquisaLista(m_source, QStringLiteral("CDCIA"),
                            QStringLiteral("Companhia|Não há companhia."), false, list);
    QVERIFY2(driver.failure().isEmpty(), qPrintable(driver.failure()));
    QVERIFY(confirmed);
    QCOMPARE(title, QStringLiteral("Companhia"));
    QCOMPARE(startedMarked, QStringList({QStringLiteral("TAM"), QStringLiteral("TAP")}));
    QCOMPARE(list, QStringLiteral("AD,G3"));
}

// Catches a cancelled picker that changes the list.
void PickersTest::listPickerCancelKeepsTheList()
{
    declareAirlines(*m_set);
    loadAirlines(*m_set, Airlines);
    QString list = QStringLiteral("G3");
    ModalDriver driver(QStringLiteral("dlgPesquisaLista"), [](QWidget *dialog) {
        auto *view = dialog->findChild<QTableView *>(QStringLiteral("tbvLista"));
        clickCell(view, 0, 0);
        QTest::mouseClick(button(dialog, "btnMarcarTodos"), Qt::LeftButton);
        QTest::mouseClick(button(dialog, "btnCancelar"), Qt::LeftButton);
    });
    QVERIFY(!host::PesquisaLista(m_source, QStringLiteral("CDCIA"), QStringLiteral("Companhia|x"),
                                 false, list));
    QVERIFY2(driver.failure().isEmpty(), qPrintable(driver.failure()));
    QCOMPARE(list, QStringLiteral("G3"));
}

// Catches an empty record set shown as an empty picker instead of the
// caption's text after "|".
void PickersTest::listPickerWithNoRowsShowsTheEmptyText()
{
    FakeDialogs fake;
    declareAirlines(*m_set);
    loadAirlines(*m_set, {});
    QString list = QStringLiteral("AD");
    QVERIFY(!host::PesquisaLista(
        m_source, QStringLiteral("CDCIA"),
        QStringLiteral("Companhia|Não há companhia cadastrada para a filial informada."), false,
        list));
    QCOMPARE(fake.texts(),
             QStringList{QStringLiteral("Não há companhia cadastrada para a filial informada.")});
    QVERIFY(fake.pickers().isEmpty());
    QCOMPARE(list, QStringLiteral("AD"));

    // A key field the set lacks is a programming fault, reported as such.
    loadAirlines(*m_set, Airlines);
    QVERIFY_THROWS_EXCEPTION(
        platform::Error,
        host::PesquisaLista(m_source, QStringLiteral("CDXXX"), QStringLiteral("a|b"), false, list));
}

// Catches the scripted picker seeing a different request than the real one
// would, and answers not brought to the fixed format.
void PickersTest::listPickerThroughTheScript()
{
    FakeDialogs fake;
    declareAirlines(*m_set);
    loadAirlines(*m_set, Airlines);
    fake.pickRows({3, 0});
    fake.pickCodes({QStringLiteral(" G3"), QStringLiteral("JJ "), QStringLiteral("G3"), QString()});
    fake.cancel();

    QString list = QStringLiteral("G3, JJ");
    QVERIFY(host::PesquisaLista(m_source, QStringLiteral("CDCIA"), QStringLiteral("Companhia|x"),
                                false, list));
    QCOMPARE(fake.pickers().first().title, QStringLiteral("Companhia"));
    QCOMPARE(fake.pickers().first().marked,
             QStringList({QStringLiteral("G3"), QStringLiteral("JJ")}));
    QCOMPARE(fake.pickers().first().rowCount, 4);
    QCOMPARE(fake.pickers().first().columns,
             QStringList({QStringLiteral("Sigla"), QStringLiteral("Nome")}));
    QCOMPARE(list, QStringLiteral("TP,AD"));

    QVERIFY(host::PesquisaLista(m_source, QStringLiteral("CDCIA"), QStringLiteral("Companhia|x"),
                                false, list));
    QCOMPARE(list, QStringLiteral("G3,JJ"));

    QVERIFY(!host::PesquisaLista(m_source, QStringLiteral("CDCIA"), QStringLiteral("Companhia|x"),
                                 true, list));
    QCOMPARE(fake.pickers().last().marked.size(), 4);
    QCOMPARE(list, QStringLiteral("G3,JJ"));
    QVERIFY(fake.scriptErrors().isEmpty());
}

// Catches a pick that leaves the record set elsewhere, OnAfterPesq not run,
// hidden fields listed, and the focus not back on the associated control.
void PickersTest::lookupPicksBySearchAndPositionsTheSet()
{
    declareBranches(*m_set);
    loadBranches(*m_set);
    int after = 0;
    QString pickedInHandler;
    m_button->setOnAfterPesq([&](QObject *sender) {
        QCOMPARE(sender, m_button);
        ++after;
        pickedInHandler = m_set->fieldByName(QStringLiteral("CDFILIAL")).asString();
    });
    QStringList headers;
    ModalDriver driver(QStringLiteral("dlgPesquisa"), [&](QWidget *dialog) {
        auto *view = dialog->findChild<QTableView *>(QStringLiteral("tbvPesquisa"));
        for (int c = 0; c < view->model()->columnCount(); ++c)
            headers.append(view->model()->headerData(c, Qt::Horizontal).toString());
        auto *search = dialog->findChild<QLineEdit *>(QStringLiteral("edtPesquisa"));
        QTest::keyClicks(search, QStringLiteral("rio"));
        QCOMPARE(view->model()->rowCount(), 1);
        QTest::keyClick(search, Qt::Key_Return);
    });
    QTest::mouseClick(m_button, Qt::LeftButton);
    QVERIFY2(driver.failure().isEmpty(), qPrintable(driver.failure()));
    QCOMPARE(headers, QStringList({QStringLiteral("Código"), QStringLiteral("Nome")}));
    QCOMPARE(m_set->recNo(), 1);
    QCOMPARE(after, 1);
    QCOMPARE(pickedInHandler, QStringLiteral("GIG"));
    QCOMPARE(m_form->focusWidget(), m_associate);

    // A double click on a row picks it too.
    ModalDriver second(QStringLiteral("dlgPesquisa"), [](QWidget *dialog) {
        auto *view = dialog->findChild<QTableView *>(QStringLiteral("tbvPesquisa"));
        const QRect cell = view->visualRect(view->model()->index(2, 1));
        // A double click as the platform delivers it: press, release,
        // double-click, release.
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, cell.center());
    });
    QTest::mouseClick(m_button, Qt::LeftButton);
    QVERIFY2(second.failure().isEmpty(), qPrintable(second.failure()));
    QCOMPARE(m_set->recNo(), 2);
    QCOMPARE(after, 2);
}

// Catches a cancelled lookup that moves the record set or runs OnAfterPesq.
void PickersTest::lookupCancelLeavesTheSetAlone()
{
    declareBranches(*m_set);
    loadBranches(*m_set);
    m_set->setRecNo(2);
    int after = 0;
    m_button->setOnAfterPesq([&](QObject *) { ++after; });
    ModalDriver driver(QStringLiteral("dlgPesquisa"), [](QWidget *dialog) {
        auto *view = dialog->findChild<QTableView *>(QStringLiteral("tbvPesquisa"));
        QCOMPARE(view->currentIndex().row(), 2); // starts on the current row
        QTest::keyClick(view, Qt::Key_Up);
        QTest::mouseClick(button(dialog, "btnCancelar"), Qt::LeftButton);
    });
    QTest::mouseClick(m_button, Qt::LeftButton);
    QVERIFY2(driver.failure().isEmpty(), qPrintable(driver.failure()));
    QCOMPARE(m_set->recNo(), 2);
    QCOMPARE(after, 0);
}

// Catches an empty list offered as a lookup instead of the EmptyError text.
void PickersTest::lookupOfAnEmptySetShowsEmptyError()
{
    FakeDialogs fake;
    declareBranches(*m_set);
    QTest::mouseClick(m_button, Qt::LeftButton); // closed set
    m_set->loadPacket(packetOf({{QStringLiteral("CDFILIAL"), platform::FieldType::String, 4},
                                {QStringLiteral("NMFILIAL"), platform::FieldType::String, 30},
                                {QStringLiteral("IDCNTRRESC"), platform::FieldType::String, 1}},
                               {}));
    QTest::mouseClick(m_button, Qt::LeftButton); // open, no rows
    QCOMPARE(fake.texts(), QStringList({QStringLiteral("Não há filial cadastrada."),
                                        QStringLiteral("Não há filial cadastrada.")}));
    QCOMPARE(fake.messages().first().kind, host::MessageKind::Error);
    QVERIFY(fake.pickers().isEmpty());
}

// Catches OnBeforePesq running after the emptiness test (it is what fills
// the set), a refusal in it that does not stop the lookup, a failing
// after-pick handler that escapes the click, and a button with an OnClick
// handler that still runs its own lookup.
void PickersTest::lookupBeforeAndClickHandlers()
{
    FakeDialogs fake;
    declareBranches(*m_set);
    bool proceed = true;
    m_button->setOnBeforePesq([&](QObject *sender, bool &go) {
        QCOMPARE(sender, m_button);
        QVERIFY(go);
        m_set->close();
        loadBranches(*m_set);
        go = proceed;
    });
    m_button->setOnAfterPesq(
        [](QObject *) { throw platform::Error(QStringLiteral("Falha depois da escolha.")); });
    fake.pickRow(2);
    QTest::mouseClick(m_button, Qt::LeftButton);
    QCOMPARE(m_set->recNo(), 2);
    QCOMPARE(fake.pickers().size(), 1);
    QCOMPARE(fake.pickers().first().title, QStringLiteral("Filial"));
    QCOMPARE(fake.texts(), QStringList{QStringLiteral("Falha depois da escolha.")});

    proceed = false;
    QTest::mouseClick(m_button, Qt::LeftButton);
    QCOMPARE(fake.pickers().size(), 1);

    int clicks = 0;
    m_button->setOnClick([&](QObject *) { ++clicks; });
    QTest::mouseClick(m_button, Qt::LeftButton);
    QCOMPARE(clicks, 1);
    QCOMPARE(fake.pickers().size(), 1);
    QVERIFY(fake.scriptErrors().isEmpty());
}

QTEST_MAIN(PickersTest)
#include "pickers_test.moc"
