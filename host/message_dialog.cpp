#include "host/message_dialog.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace host {

MessageDialog::MessageDialog(MessageKind kind, const QString &text, QWidget *parent)
    : QDialog(parent)
{
    const bool error = kind == MessageKind::Error;
    setObjectName(error ? QStringLiteral("msgErro") : QStringLiteral("msgInformacao"));
    setWindowTitle(error ? QCoreApplication::translate("MessageDialog", "Erro")
                         : QCoreApplication::translate("MessageDialog", "Informação"));
    setWindowModality(Qt::ApplicationModal);

    auto *icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("lblIcone"));
    icon->setPixmap(
        style()
            ->standardIcon(error ? QStyle::SP_MessageBoxCritical : QStyle::SP_MessageBoxInformation)
            .pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);

    m_text = new QLabel(text, this);
    m_text->setObjectName(QStringLiteral("lblMensagem"));
    m_text->setWordWrap(true);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_text->setMinimumWidth(qMin(420, fontMetrics().horizontalAdvance(text) + 8));

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("btnOk"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *row = new QHBoxLayout;
    row->addWidget(icon);
    row->addWidget(m_text, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    // Settle the size now: changing it once the window exists is refused by
    // some platforms.
    layout->activate();
}

QString MessageDialog::text() const
{
    return m_text->text();
}

} // namespace host
