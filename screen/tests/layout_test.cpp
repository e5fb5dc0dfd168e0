// The screen as designed: the names the package's other forms reach, the
// controls' places and states, the grids' columns and the record sets'
// fields, the branch query and the message table.

#include "testing/screen/screen_fixture.h"

#include "host/adoib_query.h"
#include "host/forms/create_form.h"
#include "host/mask_edit.h"
#include "host/net/net_connection.h"
#include "platform/db_text.h"
#include "platform/field.h"
#include "platform/grid_column.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QTest>
#include <QTranslator>

using namespace screen::testing;
using Cli_ate25400::TfrmPosFecDiaPlaVoo;

namespace {

// Marks every text it is asked for under the screen's context.
class MarkingTranslator : public QTranslator
{
public:
    QString translate(const char *context, const char *source, const char *, int) const override
    {
        if (qstrcmp(context, "TfrmPosFecDiaPlaVoo") != 0)
            return {};
        return QStringLiteral("EN ") + QString::fromUtf8(source);
    }
    bool isEmpty() const override { return false; }
};

QString columnsOf(const platform::DBGrid *grid)
{
    QStringList columns;
    for (int i = 0; i < grid->columnCount(); ++i) {
        const platform::GridColumn &column = grid->column(i);
        columns.append(QStringLiteral("%1 \"%2\"%3")
                           .arg(column.fieldName(), column.title())
                           .arg(column.titleAlignment() & Qt::AlignRight ? " R" : ""));
    }
    return columns.join(QStringLiteral(", "));
}

// Whether the widgets stand left to right in this order, none over the next.
bool leftToRight(std::initializer_list<const QWidget *> widgets)
{
    const QWidget *previous = nullptr;
    for (const QWidget *widget : widgets) {
        if (previous && previous->geometry().right() >= widget->x())
            return false;
        previous = widget;
    }
    return true;
}

// Whether a label stands on its control's line, left of it.
bool labels(const QWidget *label, const QWidget *control)
{
    const QRect l = label->geometry();
    const QRect c = control->geometry();
    return l.right() < c.left() && l.top() < c.bottom() && c.top() < l.bottom();
}

QString fieldsOf(const platform::ClientDataSet *set)
{
    QStringList fields;
    for (const auto &field : set->fields()) {
        QString text =
            QStringLiteral("%1 %2").arg(field->name(), platform::fieldTypeName(field->type()));
        if (field->size())
            text += QStringLiteral("(%1)").arg(field->size());
        if (field->displayLabel() != field->name())
            text += QStringLiteral(" \"%1\"").arg(field->displayLabel());
        if (!field->isVisible())
            text += QStringLiteral(" hidden");
        if (!field->displayFormat().isEmpty())
            text += QStringLiteral(" %1/%2").arg(field->displayFormat(), field->editFormat());
        if (!field->editMask().isEmpty())
            text += QStringLiteral(" mask \"%1\"").arg(field->editMask());
        fields.append(text);
    }
    return fields.join(QStringLiteral(", "));
}

} // namespace

class LayoutTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_fixture = std::make_unique<ScreenFixture>();
        m_form = host::createForm<TfrmPosFecDiaPlaVoo>();
    }
    void cleanup()
    {
        delete m_form->subWindow();
        m_fixture.reset();
    }

    void componentsCarryTheirNames();
    void formToolbarAndMenuAsDesigned();
    void filterPanelControlsAsDesigned();
    void gridsShowTheirColumns();
    void recordSetsDeclareEveryField();
    void branchQueryAndMessageTableAsStored();
    void textsAreTranslatedUnderTheFormsName();

private:
    std::unique_ptr<ScreenFixture> m_fixture;
    TfrmPosFecDiaPlaVoo *m_form = nullptr;
};

// Catches a component the filter dialog or report form cannot find by name.
void LayoutTest::componentsCarryTheirNames()
{
    QCOMPARE(m_form->objectName(), QStringLiteral("frmPosFecDiaPlaVoo"));
    for (const char *name :
         {"panMenu",     "sbtFiltrar",     "sbtImprimir", "panFiltro",  "lblFilial",
          "medCdFilial", "btnPesqFilial",  "edtNmFilial", "lblPlaVoo",  "depVoo",
          "lblAtualiza", "speAtualiza",    "panPosicao",  "panClasCia", "dbgPlanoVoo",
          "splCl",       "dbgPrevisaoPax", "splServ",     "panServ",    "dbgServPlano",
          "dbtNome",     "lblCodTela"})
        QVERIFY2(m_form->findChild<QWidget *>(QLatin1String(name)), name);
    for (const char *name : {"cdsPlanoVoo", "cdsPrevPax", "cdsServPlano", "dtsPlanoVoo",
                             "dtsPrevPax", "dtsServPlano", "dtsFilial", "qryFilial",
                             "netPosFDiPlav", "timAtualizacaoPv", "msgPadrao", "N1", "mnuFiltrar"})
        QVERIFY2(m_form->findChild<QObject *>(QLatin1String(name)), name);
    for (const auto *grid : {m_form->dbgPlanoVoo, m_form->dbgPrevisaoPax, m_form->dbgServPlano})
        QAbstractItemModelTester tester(grid->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
}

// Catches record commands left on, the filter command on before the first
// load, and the toolbar buttons or the new menu item out of place.
void LayoutTest::formToolbarAndMenuAsDesigned()
{
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Posição do Fechamento Diário do Plano de Vôo"));
    QCOMPARE(m_form->lblCodTela->text(), QStringLiteral("ATE25400"));
    QCOMPARE(m_form->helpFile(), QStringLiteral("Atehelp.hlp"));
    QCOMPARE(m_form->helpContext(), 10125400);
    for (QWidget *off :
         {static_cast<QWidget *>(m_form->sbtConfirmar), static_cast<QWidget *>(m_form->sbtCancelar),
          static_cast<QWidget *>(m_form->sbtIncluir), static_cast<QWidget *>(m_form->sbtAlterar),
          static_cast<QWidget *>(m_form->sbtExcluir), static_cast<QWidget *>(m_form->sbtProcurar),
          static_cast<QWidget *>(m_form->sbtOrdenar), static_cast<QWidget *>(m_form->sbtFiltrar)})
        QVERIFY2(!off->isEnabled(), qPrintable(off->objectName()));
    for (QAction *off :
         {m_form->mnuConfigImpressora, m_form->mnuIncluir, m_form->mnuAlterar, m_form->mnuExcluir,
          m_form->mnuProcurar, m_form->mnuCancelar, m_form->mnuConfirmar, m_form->mnuFiltrar})
        QVERIFY2(!off->isEnabled(), qPrintable(off->objectName()));
    QVERIFY(m_form->sbtImprimir->isEnabled());
    QCOMPARE(m_form->sbtFiltrar->hint(), QStringLiteral("Filtrar Companhia"));
    QVERIFY(leftToRight({m_form->sbtCancelar, m_form->sbtFiltrar, m_form->sbtImprimir,
                         m_form->sbtAjuda, m_form->sbtFechar}));
    QCOMPARE(m_form->sbtFiltrar->y(), m_form->sbtImprimir->y());
    const QList<QAction *> items = m_form->mnuManutencao->actions();
    QCOMPARE(items.size() >= 2 ? items.mid(items.size() - 2) : items,
             (QList<QAction *>{m_form->N1, m_form->mnuFiltrar}));
    QVERIFY(m_form->N1->isSeparator());
    QCOMPARE(m_form->mnuFiltrar->text(), QStringLiteral("Filtrar"));
    QCOMPARE(m_form->mnuFiltrar->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_L));
    QVERIFY(m_form->dbtNome->isHidden());
    QCOMPARE(m_form->dbtNome->dataField(), QStringLiteral("NRVOO"));
    QCOMPARE(m_form->dbtNome->dataSource(), m_form->dtsPlanoVoo);
}

// Catches filter controls out of place, in the wrong tab order, with the
// wrong bounds, captions or colours.
void LayoutTest::filterPanelControlsAsDesigned()
{
    QVERIFY(leftToRight(
        {m_form->lblFilial, m_form->medCdFilial, m_form->btnPesqFilial, m_form->edtNmFilial}));
    QVERIFY(
        leftToRight({m_form->lblPlaVoo, m_form->depVoo, m_form->lblAtualiza, m_form->speAtualiza}));
    QVERIFY(labels(m_form->lblFilial, m_form->medCdFilial));
    QVERIFY(labels(m_form->lblPlaVoo, m_form->depVoo));
    QVERIFY(labels(m_form->lblAtualiza, m_form->speAtualiza));
    QVERIFY(m_form->medCdFilial->geometry().bottom() < m_form->depVoo->y());
    QCOMPARE(m_form->depVoo->x(), m_form->medCdFilial->x());
    QCOMPARE(m_form->lblFilial->text(), QStringLiteral("Filial"));
    QCOMPARE(m_form->lblPlaVoo->text(), QStringLiteral("Plano de Vôo"));
    QCOMPARE(m_form->lblAtualiza->text(), QStringLiteral("Atualizar (seg.)"));
    for (const QLabel *label : {m_form->lblFilial, m_form->lblPlaVoo, m_form->lblAtualiza})
        QVERIFY(label->font().bold());
    QCOMPARE(m_form->btnPesqFilial->hint(), QStringLiteral("Pesquisar"));
    QCOMPARE(m_form->btnPesqFilial->Title(), QStringLiteral("Filial"));
    QCOMPARE(m_form->btnPesqFilial->EmptyError(), QStringLiteral("Não há filial cadastrada."));
    QCOMPARE(m_form->btnPesqFilial->Associate(), m_form->medCdFilial);
    QVERIFY(!m_form->edtNmFilial->isEnabled());
    QCOMPARE(m_form->depVoo->validDateColor(), QColor(0, 0, 255));
    QCOMPARE(m_form->depVoo->NomeSemana(),
             (QStringList{"Domingo", "Segunda", "Terça", "Quarta", "Quinta", "Sexta", "Sábado"}));
    QVERIFY(!m_form->depVoo->SaveTime());
    QCOMPARE(m_form->speAtualiza->minimum(), 30);
    QCOMPARE(m_form->speAtualiza->maximum(), 999);
    QCOMPARE(m_form->speAtualiza->value(), 120);
    const QColor infoBk = m_form->palette().color(QPalette::ToolTipBase);
    for (const QWidget *yellow :
         {static_cast<QWidget *>(m_form->medCdFilial), static_cast<QWidget *>(m_form->depVoo),
          static_cast<QWidget *>(m_form->speAtualiza), static_cast<QWidget *>(m_form->dbgPlanoVoo)})
        QCOMPARE(yellow->palette().color(QPalette::Base), infoBk);

    m_form->showForm();
    QTRY_COMPARE(focusName(), QStringLiteral("dbgPlanoVoo"));
    for (const QWidget *control :
         m_form->panFiltro->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        QVERIFY2(m_form->panFiltro->rect().contains(control->geometry()),
                 qPrintable(control->objectName()));
    QWidget *next = m_form->medCdFilial;
    QStringList order;
    for (int i = 0; i < 5; ++i) {
        do
            next = next->nextInFocusChain();
        while (next->focusPolicy() == Qt::NoFocus || !next->isEnabled()
               || !m_form->isAncestorOf(next) || next->focusProxy());
        order.append(next->objectName());
    }
    QCOMPARE(order, (QStringList{"depVoo", "speAtualiza", "dbgPlanoVoo", "dbgPrevisaoPax",
                                 "dbgServPlano"}));
}

// Catches a column bound to the wrong field, titled or aligned otherwise
// than designed.
void LayoutTest::gridsShowTheirColumns()
{
    QCOMPARE(
        columnsOf(m_form->dbgPlanoVoo),
        QStringLiteral("IDSITABASPV \"Sit.\", HRDECOLVOO \"ETD\", SGCIA \"Sigla\", NRVOO \"Vôo\", "
                       "SGBASEO \"Base Origem\", SGBASED \"Base Destino\", "
                       "IDBREAKGERA \"Breakdown\""));
    QCOMPARE(columnsOf(m_form->dbgPrevisaoPax),
             QStringLiteral("SGCLASSE \"Classe\", QTTOTPAXAT \"Qtde Pax\" R, "
                            "QTPAXSBY \"Qtde Stand-by\" R"));
    QCOMPARE(columnsOf(m_form->dbgServPlano),
             QStringLiteral("IDSITSERSP \"Sit.\", DSSERVICO \"Serviço\", "
                            "QTSESBYPRSP \"Qtde Stand-by\" R, QTSESOLICSP \"Qtde Solic.\" R, "
                            "QTSERFATSP \"Qtde Fat.\" R, QTCORTSERVSP \"Qtde Cort.\" R, "
                            "QTSERVFIXSP \"Qtde Fixa\" R, IDNACCIA \"Preço\" R"));
    for (const auto *grid : {m_form->dbgPlanoVoo, m_form->dbgPrevisaoPax, m_form->dbgServPlano})
        for (int i = 0; i < grid->columnCount(); ++i)
            QCOMPARE(grid->horizontalHeader()->sectionSize(i), grid->column(i).width());
}

// Catches a field missing, out of order, of another type or size, or with
// the wrong label, visibility, format or mask.
void LayoutTest::recordSetsDeclareEveryField()
{
    QCOMPARE(fieldsOf(m_form->cdsPlanoVoo),
             QStringLiteral(
                 "CDCIA String(4), SGCIA String(5), CDTRECHO String(4), NRVOO String(5), "
                 "IDSITABASPV String(1) \"Sit.\", IDBREAKGERA String(1), CDBASEORI String(4), "
                 "CDBASEDES String(4), HRDECOLVOO String(4) mask \"!99:99;0; \", "
                 "SGBASEO String(5), SGBASED String(5), DTHRPLAVOOPV DateTime, "
                 "CDFILIAL String(4) hidden"));
    QCOMPARE(fieldsOf(m_form->cdsPrevPax),
             QStringLiteral(
                 "CDCIA String(4), NRVOO String(5), CDTRECHO String(4), CDCLASSE String(4), "
                 "SGCLASSE String(5), QTTOTPAXAT Float, QTPAXSBY Float, DTHRPLAVOOPV DateTime, "
                 "CDFILIAL String(4) hidden"));
    const QString f = QStringLiteral(" ##0.00/##0.00");
    QCOMPARE(fieldsOf(m_form->cdsServPlano),
             QStringLiteral(
                 "CDCIA String(4), NRVOO String(5), CDTRECHO String(4), CDSERVICO String(10), "
                 "NRDELIVERY Float, CDAGRDECO String(4), CDAGRDEDE String(4), "
                 "IDSITSERSP String(1), IDSEREXTSP String(1), IDSTKDTSP String(1), "
                 "CDUSRRESPSP String(10), QTANTAPRODSP Float%1, QTSESOLICSP Float%1, "
                 "QTSESBYPRSP Float%1, QTSESBYUTSP Float%1, QTCORTSERVSP Float%1, "
                 "QTATUAPRODSP Float%1, QTSERFATSP Float%1, VRPRUDOLSESP Float%1, "
                 "VRPRURESESP Float%1, DTHRFEPRODSP DateTime, DTHRINCSESP DateTime, "
                 "DTHRTRASESP DateTime, DTHRCANCSESP DateTime, QTSERVFIXSP Float%1, "
                 "VRPESOSESP Float%1, NRLANCTONF String(10), CDFILIAL String(4), "
                 "IDTIPSCBOSP String(1), VRLOADSESP Float%1, QTREALPROD Float%1, "
                 "NRITEMPLANSP Float, NRPROPAXSP Float, TXOBSUSRSP String(1), "
                 "IDNACCIA String(1), DSSERVICO String(50), DTHRPLAVOOPV DateTime")
                 .arg(f));
    QCOMPARE(m_form->timAtualizacaoPv->interval(), 120000);
    QVERIFY(!m_form->timAtualizacaoPv->isActive());
    QCOMPARE(m_form->netPosFDiPlav->serverName(), QStringLiteral("Ate25400.rdmPosFDiPlav"));
    QVERIFY(!m_form->netPosFDiPlav->throwException());
}

// Catches a branch query changed from the stored text or its parameters,
// and a message table missing, reordering or rewording a line.
void LayoutTest::branchQueryAndMessageTableAsStored()
{
    QCOMPARE(
        m_form->qryFilial->SQL(),
        (QStringList{"SELECT", "   CDFILIAL,", "   NMFILIAL,", "   IDCNTRRESC", "FROM", "   FILIAL",
                     "WHERE", "   ((CDFILIAL = :P_CDFILIAL) OR (:P_TCDFILIAL = 'T'))"}));
    QCOMPARE(m_form->qryFilial->Params().names(), (QStringList{"P_CDFILIAL", "P_TCDFILIAL"}));
    QVERIFY(!m_form->qryFilial->Active());
    QCOMPARE(fieldsOf(m_form->qryFilial->Query()),
             QStringLiteral("CDFILIAL String(4) \"Código\", NMFILIAL String(30) \"Nome\", "
                            "IDCNTRRESC String(1) hidden"));
    QVERIFY(m_form->qryFilial->FieldByName("CDFILIAL").isRequired());
    QCOMPARE(m_form->dtsFilial->dataSet(), m_form->qryFilial->Query());
    QCOMPARE(
        m_form->msgPadrao->lines(),
        (QStringList{"Companhia|Companhia", "SIT1|Pe", "SIT2|At", "SIT3|Ca", "SIT4|Cc",
                     "NAO_HA_COMP|Não há companhia cadastrada com plano de vôo gerado para a data "
                     "informada.",
                     "DT_VOO|Data do plano de vôo deve ser informada.",
                     "DT_VOO_INV|Data do plano de vôo inválida.", "N_GER|Não gerado", "GER|Gerado",
                     "Dt_Deve|Data do plano de vôo deve ser informada.",
                     "Atu_Deve|Atualizar (seg.) deve ser informado.",
                     "DTVOO_ncad|Não há plano de vôo cadastrado para a data informada.", "SIT5|Ft",
                     "FILI_DEVE|Filial deve ser informada.", "FILI_NAO_CAD|Filial não cadastrada.",
                     "FILI_RESC|Filial com contrato rescindido."}));
    QCOMPARE(m_form->msgPadrao->Msg("Sit1"), QStringLiteral("Pe"));
}

// Catches a user-visible text that the language module cannot translate:
// left out of translation, or under another context than the form's name.
void LayoutTest::textsAreTranslatedUnderTheFormsName()
{
    MarkingTranslator translator;
    QCoreApplication::installTranslator(&translator);
    TfrmPosFecDiaPlaVoo *form = host::createForm<TfrmPosFecDiaPlaVoo>();
    QCoreApplication::removeTranslator(&translator);
    QCOMPARE(form->windowTitle(),
             QStringLiteral("EN Posição do Fechamento Diário do Plano de Vôo"));
    QCOMPARE(form->lblAtualiza->text(), QStringLiteral("EN Atualizar (seg.)"));
    QCOMPARE(form->sbtFiltrar->hint(), QStringLiteral("EN Filtrar Companhia"));
    QCOMPARE(form->mnuFiltrar->text(), QStringLiteral("EN Filtrar"));
    QCOMPARE(form->dbgServPlano->column(7).title(), QStringLiteral("EN Preço"));
    QCOMPARE(form->msgPadrao->Msg("FILI_DEVE"), QStringLiteral("EN Filial deve ser informada."));
    QCOMPARE(form->msgPadrao->Msg("sit5"), QStringLiteral("EN Ft"));
    QCOMPARE(form->depVoo->NomeSemana().first(), QStringLiteral("EN Domingo"));
    delete form->subWindow();
}

QTEST_MAIN(LayoutTest)
#include "layout_test.moc"
