#include "host/forms/frm_filtro_padrao.h"

#include "host/button_flat.h"
#include "host/dialogs.h"
#include "host/forms/toolbar.h"
#include "host/functions.h"
#include "host/messages.h"
#include "platform/abort.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace host {
namespace {

constexpr int ButtonColumnWidth = 55;

} // namespace

TfrmFiltroPadrao::TfrmFiltroPadrao(QWidget *parent)
    : FormDialog(parent)
{
    setObjectName(QStringLiteral("frmFiltroPadrao"));

    msgPadrao = new TMessages(this);
    msgPadrao->setObjectName(QStringLiteral("msgPadrao"));

    grbFiltroPadrao = new QGroupBox(this);
    grbFiltroPadrao->setObjectName(QStringLiteral("grbFiltroPadrao"));

    panMenu = new QFrame(this);
    panMenu->setObjectName(QStringLiteral("panMenu"));
    panMenu->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panMenu->setFixedWidth(ButtonColumnWidth);

    panBotoes = new QFrame(panMenu);
    panBotoes->setObjectName(QStringLiteral("panBotoes"));
    sbtConfirma =
        addToolButton(panBotoes, QStringLiteral("sbtConfirma"), Glyph::Confirm, tr("Confirmar"), 0);
    sbtFecha = addToolButton(panBotoes, QStringLiteral("sbtFecha"), Glyph::Close, tr("Fechar"), 0);
    btfSaveOpc = addToolButton(panBotoes, QStringLiteral("btfSaveOpc"), Glyph::SaveOptions,
                               tr("Salvar opções"), 0);
    btfLoadOpc = addToolButton(panBotoes, QStringLiteral("btfLoadOpc"), Glyph::LoadOptions,
                               tr("Carregar opções"), 0);
    auto *buttons = new QGridLayout(panBotoes);
    buttons->setContentsMargins(3, 3, 3, 3);
    buttons->setSpacing(3);
    buttons->addWidget(sbtConfirma, 0, 0);
    buttons->addWidget(sbtFecha, 0, 1);
    buttons->addWidget(btfSaveOpc, 1, 0);
    buttons->addWidget(btfLoadOpc, 1, 1);

    lblCodTela = new QLabel(panMenu);
    lblCodTela->setObjectName(QStringLiteral("lblCodTela"));
    lblCodTela->setAlignment(Qt::AlignCenter);
    QFont small = lblCodTela->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    lblCodTela->setFont(small);

    auto *column = new QVBoxLayout(panMenu);
    column->setContentsMargins(1, 1, 1, 3);
    column->setSpacing(0);
    column->addWidget(panBotoes, 0, Qt::AlignHCenter);
    column->addStretch(1);
    column->addWidget(lblCodTela);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(grbFiltroPadrao, 1);
    layout->addWidget(panMenu);

    sbtConfirma->setOnClick([this](QObject *sender) { sbtConfirmaClick(sender); });
    sbtFecha->setOnClick([this](QObject *sender) { sbtFechaClick(sender); });
    btfSaveOpc->setOnClick([this](QObject *sender) { btfSaveOpcClick(sender); });
    btfLoadOpc->setOnClick([this](QObject *sender) { btfLoadOpcClick(sender); });
}

TfrmFiltroPadrao::~TfrmFiltroPadrao() = default;

void TfrmFiltroPadrao::FormActivate(QObject *)
{
    QWidget *focused = focusWidget();
    if (focused && grbFiltroPadrao->isAncestorOf(focused))
        return;
    const QList<QWidget *> controls = grbFiltroPadrao->findChildren<QWidget *>();
    for (QWidget *control : controls) {
        if (control->focusPolicy() & Qt::TabFocus && control->isEnabled()
            && control->isVisibleTo(this)) {
            control->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

void TfrmFiltroPadrao::FormClose(QObject *, CloseAction &action)
{
    action = CloseAction::Hide;
}

void TfrmFiltroPadrao::sbtConfirmaClick(QObject *)
{
    accept();
}

void TfrmFiltroPadrao::sbtFechaClick(QObject *)
{
    reject();
}

void TfrmFiltroPadrao::btfSaveOpcClick(QObject *)
{
    saveOptions(optionsName(), m_savedOptions);
    dialogs().information(tr("Opções gravadas."));
}

void TfrmFiltroPadrao::btfLoadOpcClick(QObject *)
{
    const std::optional<TOptionList> loaded = loadOptions(optionsName());
    if (!loaded) {
        MensErro(tr("Não há opções gravadas para esta tela."), true);
        return;
    }
    m_savedOptions = *loaded;
}

QString TfrmFiltroPadrao::optionsName() const
{
    return objectName().isEmpty() ? QString::fromLatin1(metaObject()->className()) : objectName();
}

} // namespace host
