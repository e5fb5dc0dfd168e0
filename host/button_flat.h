#pragma once

#include "host/glyphs.h"

#include <QPixmap>
#include <QToolButton>

#include <functional>

namespace host {

// Flat toolbar button with a hint and a two-state glyph: one picture while
// enabled, another while disabled. Like a toolbar speed button it never
// takes the focus, so pressing it leaves the focus in the form's control.
class TButtonFlat : public QToolButton
{
    Q_OBJECT

public:
    using ClickHandler = std::function<void(QObject *sender)>;

    explicit TButtonFlat(QWidget *parent = nullptr);

    // Drawn from the glyph's SVG at the screen's scale.
    void setGlyph(Glyph glyph);
    // An empty disabled picture is made from the enabled one in grey.
    void setGlyph(const QPixmap &enabled, const QPixmap &disabled = {});
    // The picture the button shows in its current state, at the icon size
    // and this pixel ratio.
    QPixmap currentGlyph(qreal devicePixelRatio = 1.0) const;

    // Also the button's accessible name: a glyph alone says nothing to a
    // screen reader.
    void setHint(const QString &hint)
    {
        setToolTip(hint);
        setAccessibleName(hint);
    }
    QString hint() const { return toolTip(); }

    // Runs on a click through platform::guarded: a failure is shown, an
    // abort ends quietly, nothing escapes into the event loop.
    void setOnClick(ClickHandler handler) { m_onClick = std::move(handler); }
    bool hasOnClick() const { return bool(m_onClick); }

protected:
    void changeEvent(QEvent *event) override;
    // What a click does; subclasses with a behaviour of their own override it.
    virtual void handleClick();
    void runOnClick();

private:
    void updateIcon();

    QIcon m_enabledGlyph;
    QIcon m_disabledGlyph;
    ClickHandler m_onClick;
};

} // namespace host
