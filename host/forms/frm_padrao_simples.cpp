#include "host/forms/frm_padrao_simples.h"

#include "host/application.h"
#include "host/button_flat.h"
#include "host/dialogs.h"
#include "host/format_text.h"
#include "host/forms/print_dialogs.h"
#include "host/forms/toolbar.h"
#include "host/forms/window_activation.h"
#include "host/messages.h"
#include "platform/abort.h"
#include "platform/data_source.h"
#include "platform/db_text.h"
#include "platform/key_preview.h"
#include "platform/mdi_activation.h"

#include <QAction>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPrinter>
#include <QShowEvent>
#include <QVBoxLayout>

namespace host {

// The sub-window asks its form before it closes, so that FormClose decides
// whether it stays, hides or goes.
class FormSubWindow : public QMdiSubWindow
{
public:
    explicit FormSubWindow(TfrmPadraoSimples *form)
        : m_form(form)
    {
        setObjectName(form->objectName() + QStringLiteral("_subWindow"));
    }

protected:
    void closeEvent(QCloseEvent *event) override
    {
        if (m_form && !m_form->acceptSubWindowClose()) {
            event->ignore();
            return;
        }
        QMdiSubWindow::closeEvent(event);
        if (m_form)
            m_form->m_closeDecided = false;
    }

private:
    QPointer<TfrmPadraoSimples> m_form;
};

namespace {

// Built when a form is made, so that they come in the user's language.
QStringList baseMessages()
{
    return translatedMessageLines(
        "host::TfrmPadraoSimples",
        {
            {"AJUDA", QT_TRANSLATE_NOOP("host::TfrmPadraoSimples",
                                        "Ajuda desta tela: arquivo \"%s\", tópico %s.")},
            {"SEM_AJUDA", QT_TRANSLATE_NOOP("host::TfrmPadraoSimples",
                                            "Não há ajuda disponível para esta tela.")},
            {"IMPRESSORA_ERRO",
             QT_TRANSLATE_NOOP("host::TfrmPadraoSimples", "Não foi possível iniciar a impressão.")},
        });
}

} // namespace

TfrmPadraoSimples::TfrmPadraoSimples(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("frmPadraoSimples"));
    setAttribute(Qt::WA_DeleteOnClose, false);

    msgPadrao = new TMessages(this);
    msgPadrao->setObjectName(QStringLiteral("msgPadrao"));
    msgMensagensPadroes = new TMessages(this);
    msgMensagensPadroes->setObjectName(QStringLiteral("msgMensagensPadroes"));
    msgMensagensPadroes->setLines(baseMessages());
    dtsPadrao = new platform::DataSource(this);
    dtsPadrao->setObjectName(QStringLiteral("dtsPadrao"));
    prdImprimir = new TPrintDialog(this);
    prdImprimir->setObjectName(QStringLiteral("prdImprimir"));
    psdConfigurar = new TPrinterSetupDialog(prdImprimir, this);
    psdConfigurar->setObjectName(QStringLiteral("psdConfigurar"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildMenu();
    layout->setMenuBar(mnuMenu);
    buildToolbar();
    layout->addWidget(panMenu);
    m_clientArea = new QWidget(this);
    m_clientArea->setObjectName(QStringLiteral("clientArea"));
    m_clientLayout = new QVBoxLayout(m_clientArea);
    m_clientLayout->setContentsMargins(0, 0, 0, 0);
    m_clientLayout->setSpacing(0);
    layout->addWidget(m_clientArea, 1);

    wireCommands();
    new platform::KeyPreview(
        this, [this](int &key, Qt::KeyboardModifiers shift) { FormKeyDown(this, key, shift); });
}

TfrmPadraoSimples::~TfrmPadraoSimples() = default;

void TfrmPadraoSimples::buildMenu()
{
    mnuMenu = new QMenuBar(this);
    mnuMenu->setObjectName(QStringLiteral("mnuMenu"));
    mnuMenu->setNativeMenuBar(false);

    mnuManutencao = mnuMenu->addMenu(tr("&Manutenção"));
    mnuManutencao->setObjectName(QStringLiteral("mnuManutencao"));
    mnuIncluir = addMenuItem(mnuManutencao, QStringLiteral("mnuIncluir"), tr("Incluir"));
    mnuAlterar = addMenuItem(mnuManutencao, QStringLiteral("mnuAlterar"), tr("Alterar"));
    mnuExcluir = addMenuItem(mnuManutencao, QStringLiteral("mnuExcluir"), tr("Excluir"));
    mnuProcurar = addMenuItem(mnuManutencao, QStringLiteral("mnuProcurar"), tr("Procurar"));
    mnuCancelar = addMenuItem(mnuManutencao, QStringLiteral("mnuCancelar"), tr("Cancelar"));
    mnuConfirmar = addMenuItem(mnuManutencao, QStringLiteral("mnuConfirmar"), tr("Confirmar"));

    mnuOperacao = mnuMenu->addMenu(tr("&Operação"));
    mnuOperacao->setObjectName(QStringLiteral("mnuOperacao"));
    mnuConfigImpressora = addMenuItem(mnuOperacao, QStringLiteral("mnuConfigImpressora"),
                                      tr("Configurar Impressora..."));
    // F5 is read by FormKeyDown, ahead of the focused control; a real
    // shortcut would take the key before the key preview could see it.
    mnuVerificar = addMenuItem(mnuOperacao, QStringLiteral("mnuVerificar"),
                               tr("Verificar") + QStringLiteral("\tF5"));
    mnuImprimir = addMenuItem(mnuOperacao, QStringLiteral("mnuImprimir"), tr("Imprimir"));
    mnuImprimir->setShortcut(QKeySequence::Print);
    mnuAjuda = addMenuItem(mnuOperacao, QStringLiteral("mnuAjuda"), tr("Ajuda"));
    mnuAjuda->setShortcut(QKeySequence::HelpContents);
    mnuRestaurarLayout = addMenuItem(mnuOperacao, QStringLiteral("mnuRestaurarLayout"),
                                     tr("Restaurar disposição original"));
    addMenuSeparator(mnuOperacao, QStringLiteral("mnuSepOperacao"));
    mnuFechar = addMenuItem(mnuOperacao, QStringLiteral("mnuFechar"), tr("Fechar"));
}

void TfrmPadraoSimples::buildToolbar()
{
    panMenu = new QFrame(this);
    panMenu->setObjectName(QStringLiteral("panMenu"));
    panMenu->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panMenu->setFixedHeight(ToolButtonTop * 2 + ToolButtonSize + 2);

    // Gaps of 9 pixels part the groups: confirm and cancel, the record
    // commands, then print, help and close, which derived forms move right
    // to make room for their own commands.
    sbtConfirmar =
        addToolButton(panMenu, QStringLiteral("sbtConfirmar"), Glyph::Confirm, tr("Confirmar"), 4);
    sbtCancelar =
        addToolButton(panMenu, QStringLiteral("sbtCancelar"), Glyph::Cancel, tr("Cancelar"), 25);
    sbtIncluir =
        addToolButton(panMenu, QStringLiteral("sbtIncluir"), Glyph::Insert, tr("Incluir"), 55);
    sbtAlterar =
        addToolButton(panMenu, QStringLiteral("sbtAlterar"), Glyph::Edit, tr("Alterar"), 76);
    sbtExcluir =
        addToolButton(panMenu, QStringLiteral("sbtExcluir"), Glyph::Delete, tr("Excluir"), 97);
    sbtProcurar =
        addToolButton(panMenu, QStringLiteral("sbtProcurar"), Glyph::Search, tr("Procurar"), 118);
    sbtOrdenar =
        addToolButton(panMenu, QStringLiteral("sbtOrdenar"), Glyph::Sort, tr("Ordenar"), 139);
    sbtImprimir =
        addToolButton(panMenu, QStringLiteral("sbtImprimir"), Glyph::Print, tr("Imprimir"), 181);
    sbtAjuda = addToolButton(panMenu, QStringLiteral("sbtAjuda"), Glyph::Help, tr("Ajuda"), 217);
    sbtFechar =
        addToolButton(panMenu, QStringLiteral("sbtFechar"), Glyph::Close, tr("Fechar"), 253);

    dbtNome = new platform::DBText(panMenu);
    dbtNome->setObjectName(QStringLiteral("dbtNome"));
    dbtNome->setDataSource(dtsPadrao);
    dbtNome->setGeometry(289, 8, 60, 13);
    dbtNome->hide();

    // The buttons sit where they were placed; only the screen code follows
    // the panel's right edge.
    auto *layout = new QHBoxLayout(panMenu);
    layout->setContentsMargins(0, 0, 6, 0);
    layout->addStretch(1);
    lblCodTela = new QLabel(panMenu);
    lblCodTela->setObjectName(QStringLiteral("lblCodTela"));
    lblCodTela->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont small = lblCodTela->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    lblCodTela->setFont(small);
    layout->addWidget(lblCodTela);
}

void TfrmPadraoSimples::wireCommands()
{
    using Handler = void (TfrmPadraoSimples::*)(QObject *);
    const auto wire = [this](TButtonFlat *button, QAction *item, Handler handler) {
        if (button)
            button->setOnClick([this, handler](QObject *sender) { (this->*handler)(sender); });
        if (item) {
            connect(item, &QAction::triggered, this,
                    [this, item, handler] { platform::guarded([&] { (this->*handler)(item); }); });
        }
    };
    wire(sbtConfirmar, mnuConfirmar, &TfrmPadraoSimples::sbtConfirmarClick);
    wire(sbtCancelar, mnuCancelar, &TfrmPadraoSimples::sbtCancelarClick);
    wire(sbtIncluir, mnuIncluir, &TfrmPadraoSimples::sbtIncluirClick);
    wire(sbtAlterar, mnuAlterar, &TfrmPadraoSimples::sbtAlterarClick);
    wire(sbtExcluir, mnuExcluir, &TfrmPadraoSimples::sbtExcluirClick);
    wire(sbtProcurar, mnuProcurar, &TfrmPadraoSimples::sbtProcurarClick);
    wire(sbtOrdenar, nullptr, &TfrmPadraoSimples::sbtOrdenarClick);
    wire(sbtImprimir, mnuImprimir, &TfrmPadraoSimples::sbtImprimirClick);
    wire(sbtAjuda, mnuAjuda, &TfrmPadraoSimples::sbtAjudaClick);
    wire(sbtFechar, mnuFechar, &TfrmPadraoSimples::sbtFecharClick);
    wire(nullptr, mnuVerificar, &TfrmPadraoSimples::sbtVerificarClick);
    wire(nullptr, mnuConfigImpressora, &TfrmPadraoSimples::mnuConfigImpressoraClick);
    connect(mnuRestaurarLayout, &QAction::triggered, this,
            [this] { m_layoutMemory.restoreDesigned(*this, layoutWindow(), lblCodTela->text()); });
}

void TfrmPadraoSimples::attachToHost()
{
    QPointer<TfrmPadraoSimples> self(this);
    const auto activate = [self] {
        if (!self)
            return;
        // The area activates a sub-window before its form has had its show
        // event; the form's show comes first.
        if (!self->m_showDelivered) {
            self->m_activationPending = true;
            return;
        }
        self->FormActivate(self);
    };
    if (QMdiArea *area = mdiArea()) {
        auto *window = new FormSubWindow(this);
        window->setWidget(this);
        area->addSubWindow(window);
        m_subWindow = window;
        // Before the sub-window is first shown, or its first activation is lost.
        new platform::MdiActivation(area, window, activate);
    } else {
        if (QMainWindow *main = mainWindow())
            setParent(main, Qt::Window);
        new WindowActivation(this, activate);
    }
    applyBounds();
}

void TfrmPadraoSimples::discardForm()
{
    if (m_subWindow)
        delete m_subWindow.data();
    else
        delete this;
}

void TfrmPadraoSimples::FormCreate(QObject *) { }

void TfrmPadraoSimples::FormShow(QObject *) { }

void TfrmPadraoSimples::FormActivate(QObject *) { }

void TfrmPadraoSimples::FormClose(QObject *, CloseAction &action)
{
    action = CloseAction::Free;
}

void TfrmPadraoSimples::FormKeyDown(QObject *, int &key, Qt::KeyboardModifiers shift)
{
    const auto held = shift & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (key == Qt::Key_F5 && held == Qt::NoModifier && mnuVerificar->isEnabled()) {
        key = 0;
        sbtVerificarClick(mnuVerificar);
    }
}

void TfrmPadraoSimples::sbtVerificarClick(QObject *) { }

void TfrmPadraoSimples::sbtConfirmarClick(QObject *) { }

void TfrmPadraoSimples::sbtCancelarClick(QObject *) { }

void TfrmPadraoSimples::sbtIncluirClick(QObject *) { }

void TfrmPadraoSimples::sbtAlterarClick(QObject *) { }

void TfrmPadraoSimples::sbtExcluirClick(QObject *) { }

void TfrmPadraoSimples::sbtProcurarClick(QObject *) { }

void TfrmPadraoSimples::sbtOrdenarClick(QObject *) { }

void TfrmPadraoSimples::sbtImprimirClick(QObject *)
{
    if (!prdImprimir->execute(this))
        return;
    QPainter painter;
    if (!painter.begin(prdImprimir->printer()))
        throw platform::Error(msgMensagensPadroes->Msg(QStringLiteral("IMPRESSORA_ERRO")));
    const QPixmap picture = grab();
    const QRect page = painter.viewport();
    QSize size = picture.size();
    size.scale(page.size(), Qt::KeepAspectRatio);
    painter.drawPixmap(QRect(page.topLeft(), size), picture);
}

void TfrmPadraoSimples::sbtAjudaClick(QObject *)
{
    if (m_helpFile.isEmpty()) {
        dialogs().information(msgMensagensPadroes->Msg(QStringLiteral("SEM_AJUDA")));
        return;
    }
    dialogs().information(formatText(msgMensagensPadroes->Msg(QStringLiteral("AJUDA")),
                                     {m_helpFile, QString::number(m_helpContext)}));
}

void TfrmPadraoSimples::sbtFecharClick(QObject *)
{
    closeForm();
}

void TfrmPadraoSimples::mnuConfigImpressoraClick(QObject *)
{
    psdConfigurar->execute(this);
}

void TfrmPadraoSimples::showForm()
{
    if (m_subWindow) {
        show();
        m_subWindow->show();
        if (QMdiArea *area = m_subWindow->mdiArea())
            area->setActiveSubWindow(m_subWindow);
        return;
    }
    show();
    raise();
    activateWindow();
}

void TfrmPadraoSimples::setVisible(bool visible)
{
    // A window of its own settles its layout's size limits before it exists:
    // changed on a window already on screen, some platforms refuse them.
    if (visible && isWindow() && layout())
        layout()->activate();
    QWidget::setVisible(visible);
}

void TfrmPadraoSimples::closeForm()
{
    if (m_subWindow)
        m_subWindow->close();
    else
        close();
}

void TfrmPadraoSimples::setFormWindowState(Qt::WindowState state)
{
    QWidget *window = m_subWindow ? static_cast<QWidget *>(m_subWindow.data()) : this;
    const Qt::WindowStates kept =
        window->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen);
    window->setWindowState(kept | state);
}

Qt::WindowState TfrmPadraoSimples::formWindowState() const
{
    const QWidget *window = m_subWindow ? static_cast<QWidget *>(m_subWindow.data()) : this;
    const Qt::WindowStates states = window->windowState();
    if (states & Qt::WindowMinimized)
        return Qt::WindowMinimized;
    if (states & Qt::WindowMaximized)
        return Qt::WindowMaximized;
    return Qt::WindowNoState;
}

void TfrmPadraoSimples::setBounds(int left, int top, int width, int height)
{
    m_bounds = QRect(left, top, width, height);
    applyBounds();
}

QRect TfrmPadraoSimples::bounds() const
{
    if (m_subWindow)
        return m_subWindow->geometry();
    if (isWindow())
        return frameGeometry();
    return m_bounds;
}

void TfrmPadraoSimples::applyBounds()
{
    if (!m_bounds.isValid())
        return;
    if (m_subWindow) {
        m_subWindow->setGeometry(m_bounds);
    } else if (isWindow()) {
        move(m_bounds.topLeft());
        resize(m_bounds.size());
    }
}

QWidget *TfrmPadraoSimples::activeControl() const
{
    QWidget *focused = focusWidget();
    if (focused && isAncestorOf(focused))
        return focused;
    return m_activeControl;
}

void TfrmPadraoSimples::registerMenuShortcuts()
{
    // A menu's shortcut works while the focus is anywhere in this form, and
    // only here: other MDI children share the main window, and their items
    // may use the same keys.
    const QList<QAction *> items = mnuMenu->findChildren<QAction *>();
    for (QAction *item : items) {
        if (item->shortcut().isEmpty())
            continue;
        item->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(item);
    }
}

void TfrmPadraoSimples::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    // Derived forms may append menu items up to here.
    registerMenuShortcuts();
    if (!m_shownBefore) {
        m_layoutMemory.captureDesigned(*this, layoutWindow());
        m_layoutMemory.restore(*this, layoutWindow(), lblCodTela->text());
    }
    if (!m_shownBefore && m_activeControl)
        m_activeControl->setFocus();
    m_shownBefore = true;
    m_showDelivered = true;
    platform::guarded([this] { FormShow(this); });
    if (m_activationPending) {
        m_activationPending = false;
        platform::guarded([this] { FormActivate(this); });
    }
}

void TfrmPadraoSimples::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        m_showDelivered = false;
}

CloseAction TfrmPadraoSimples::runFormClose()
{
    CloseAction action = CloseAction::Hide;
    // A failing FormClose keeps the form open, as the close did not happen.
    if (!platform::guarded([&] { FormClose(this, action); }))
        return CloseAction::None;
    return action;
}

QWidget &TfrmPadraoSimples::layoutWindow()
{
    return m_subWindow ? static_cast<QWidget &>(*m_subWindow) : static_cast<QWidget &>(*this);
}

void TfrmPadraoSimples::saveLayout()
{
    if (m_layoutMemory.hasDesigned())
        m_layoutMemory.save(*this, layoutWindow(), lblCodTela->text());
}

bool TfrmPadraoSimples::acceptSubWindowClose()
{
    const CloseAction action = runFormClose();
    if (action != CloseAction::None)
        saveLayout();
    if (action == CloseAction::None || !m_subWindow)
        return action != CloseAction::None;
    m_subWindow->setAttribute(Qt::WA_DeleteOnClose, action == CloseAction::Free);
    // The sub-window closes its widget next; that close is already decided.
    m_closeDecided = true;
    return true;
}

void TfrmPadraoSimples::closeEvent(QCloseEvent *event)
{
    if (m_closeDecided) {
        event->accept();
        return;
    }
    if (m_subWindow) {
        // Closing the form alone would leave an empty sub-window behind.
        event->ignore();
        m_subWindow->close();
        return;
    }
    const CloseAction action = runFormClose();
    if (action != CloseAction::None)
        saveLayout();
    switch (action) {
    case CloseAction::None:
        event->ignore();
        return;
    case CloseAction::Hide:
        break;
    case CloseAction::Free:
        setAttribute(Qt::WA_DeleteOnClose, true);
        break;
    }
    event->accept();
}

} // namespace host
