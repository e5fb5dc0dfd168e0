#include "host/button_flat.h"
#include "platform/abort.h"
#include "testing/host/fake_dialogs.h"

#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

using host::testing::FakeDialogs;

class ButtonFlatTest : public QObject
{
    Q_OBJECT

private slots:
    void glyphFollowsTheEnabledState();
    void clickRunsTheHandlerGuarded();
};

// Catches a disabled button that still shows its enabled picture.
void ButtonFlatTest::glyphFollowsTheEnabledState()
{
    host::TButtonFlat button;
    button.setGlyph(host::Glyph::Filter);
    const QImage enabled = button.currentGlyph().toImage();
    QCOMPARE(enabled, host::glyphPixmap(host::Glyph::Filter, true).toImage());
    QCOMPARE(button.icon().pixmap(16, 16, QIcon::Normal).toImage(), enabled);

    button.setEnabled(false);
    const QImage disabled = button.currentGlyph().toImage();
    QCOMPARE(disabled, host::glyphPixmap(host::Glyph::Filter, false).toImage());
    QVERIFY(disabled != enabled);
    QCOMPARE(button.icon().pixmap(16, 16, QIcon::Disabled).toImage(), disabled);

    button.setEnabled(true);
    QCOMPARE(button.currentGlyph().toImage(), enabled);

    // A picture without a disabled twin gets a grey one of its own.
    QPixmap red(16, 16);
    red.fill(Qt::red);
    button.setGlyph(red);
    button.setEnabled(false);
    QVERIFY(button.currentGlyph().toImage() != red.toImage());
    QVERIFY(!button.currentGlyph().isNull());
}

// Catches a failing click handler whose exception escapes into the event
// loop, a disabled button that still runs it, and a button that steals the
// focus from the form's control.
void ButtonFlatTest::clickRunsTheHandlerGuarded()
{
    FakeDialogs fake;
    QWidget form;
    auto *layout = new QVBoxLayout(&form);
    auto *edit = new QLineEdit(&form);
    edit->setObjectName(QStringLiteral("medCdFilial"));
    auto *button = new host::TButtonFlat(&form);
    button->setObjectName(QStringLiteral("sbtFiltrar"));
    button->setHint(QStringLiteral("Filtrar Companhia"));
    layout->addWidget(edit);
    layout->addWidget(button);
    QVERIFY(host::testing::showActive(&form));
    edit->setFocus();

    int clicks = 0;
    QObject *sender = nullptr;
    button->setOnClick([&](QObject *s) {
        ++clicks;
        sender = s;
        throw platform::Error(QStringLiteral("Falhou."));
    });
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(clicks, 1);
    QCOMPARE(sender, button);
    QCOMPARE(fake.texts(), QStringList{QStringLiteral("Falhou.")});
    QCOMPARE(fake.messages().first().focus, QStringLiteral("medCdFilial"));
    QCOMPARE(QApplication::focusWidget(), edit);
    QCOMPARE(button->toolTip(), QStringLiteral("Filtrar Companhia"));

    button->setEnabled(false);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(clicks, 1);
}

QTEST_MAIN(ButtonFlatTest)
#include "button_flat_test.moc"
