// The screen without a mouse and with a screen reader: every command in a
// menu with its key, every control named.

#include "testing/screen/open_screen_test.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QLineEdit>
#include <QTest>

using namespace screen::testing;

class AccessibilityTest : public OpenScreenTest
{
    Q_OBJECT

private slots:
    void toolbarCommandsAreInTheMenus();
    void everyControlHasAName();
};

// Catches a toolbar command only a mouse can reach.
void AccessibilityTest::toolbarCommandsAreInTheMenus()
{
    const struct
    {
        const char *button;
        const char *item;
        QKeySequence key;
    } commands[] = {
        {"sbtFiltrar", "mnuFiltrar", QKeySequence(Qt::CTRL | Qt::Key_L)},
        {"sbtImprimir", "mnuImprimir", QKeySequence::Print},
        {"sbtAjuda", "mnuAjuda", QKeySequence::HelpContents},
        {"sbtFechar", "mnuFechar", QKeySequence()},
    };
    for (const auto &command : commands) {
        auto *button = m_form->findChild<QAbstractButton *>(QLatin1String(command.button));
        auto *item = m_form->findChild<QAction *>(QLatin1String(command.item));
        QVERIFY2(button && item, command.button);
        QCOMPARE(item->isEnabled(), button->isEnabled());
        if (!command.key.isEmpty())
            QCOMPARE(item->shortcut(), command.key);
    }
}

// Catches a control a screen reader announces without a name.
void AccessibilityTest::everyControlHasAName()
{
    QStringList unnamed;
    int checked = 0;
    const QList<QWidget *> widgets = m_form->findChildren<QWidget *>();
    for (QWidget *widget : widgets) {
        const bool control = qobject_cast<QAbstractButton *>(widget)
                             || qobject_cast<QLineEdit *>(widget)
                             || qobject_cast<QAbstractSpinBox *>(widget)
                             || qobject_cast<QAbstractItemView *>(widget);
        if (!control || !widget->isVisibleTo(m_form) || widget->objectName().isEmpty()
            || qobject_cast<QAbstractSpinBox *>(widget->parentWidget()))
            continue;
        ++checked;
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(widget);
        if (!face || face->text(QAccessible::Name).trimmed().isEmpty())
            unnamed.append(widget->objectName());
    }
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral(", "))));
    QVERIFY(checked >= 12);
}

QTEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
