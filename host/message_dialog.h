#pragma once

#include "host/dialogs.h"

#include <QDialog>

class QLabel;

namespace host {

// The host's message box. Not QMessageBox: that one resizes itself after it
// is on screen, which some platforms (offscreen among them) refuse with a
// warning; this box settles its size before it is shown.
class MessageDialog : public QDialog
{
    Q_OBJECT

public:
    MessageDialog(MessageKind kind, const QString &text, QWidget *parent = nullptr);

    QString text() const;

private:
    QLabel *m_text;
};

} // namespace host
