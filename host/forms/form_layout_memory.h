#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QRect>
#include <QString>

class QWidget;

namespace host {

// The INI file where the forms' layouts are kept, one group per screen
// code. Empty (the default): layouts are neither saved nor restored. The
// host application points it into its user's configuration folder; a test
// points it into a folder of its own.
QString layoutSettingsFile();
void setLayoutSettingsFile(const QString &path);

// What a user arranges on a form and expects to find again at its next
// opening: the column widths of its grids, the positions of its splitters
// and the window's place and size. Grids and splitters are known by their
// objectName; a saved layout that no longer fits the form (another number
// of columns) is left aside for that control.
class FormLayoutMemory
{
public:
    // The layout as the form was designed, before anything is restored.
    void captureDesigned(const QWidget &form, const QWidget &window);
    // The saved layout of the screen code, the window brought inside the
    // area it is shown in. A damaged file is logged and ignored.
    void restore(QWidget &form, QWidget &window, const QString &code) const;
    // Keeps the window's place only while it is in the normal state.
    void save(const QWidget &form, const QWidget &window, const QString &code) const;
    // Back to the designed layout; the saved one is forgotten.
    void restoreDesigned(QWidget &form, QWidget &window, const QString &code) const;

    bool hasDesigned() const { return m_captured; }

private:
    struct Layout
    {
        QMap<QString, QList<int>> columns;
        QMap<QString, QByteArray> splitters;
        QRect geometry;
    };
    static Layout read(const QWidget &form, const QWidget &window);
    static void apply(const Layout &layout, QWidget &form, QWidget &window);

    Layout m_designed;
    bool m_captured = false;
};

} // namespace host
