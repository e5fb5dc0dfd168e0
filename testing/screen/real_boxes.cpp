#include "testing/screen/real_boxes.h"

#include "testing/host/modal_driver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTest>

namespace screen::testing {

RealBoxes::RealBoxes()
{
    host::setDialogs(this);
}

RealBoxes::~RealBoxes()
{
    host::setDialogs(nullptr);
}

void RealBoxes::showMessage(host::MessageKind kind, const QString &text)
{
    const QWidget *focus = QApplication::focusWidget();
    texts.append(text);
    focusAtMessage.append(focus ? focus->objectName() : QString());
    host::testing::ModalDriver driver(
        kind == host::MessageKind::Error ? QStringLiteral("msgErro")
                                         : QStringLiteral("msgInformacao"),
        [](QWidget *box) {
            if (auto *ok = box->findChild<QAbstractButton *>(QStringLiteral("btnOk")))
                QTest::mouseClick(ok, Qt::LeftButton);
        });
    host::QtDialogs::showMessage(kind, text);
    if (!driver.failure().isEmpty())
        failures.append(driver.failure());
}

} // namespace screen::testing
