#pragma once

#include <QLineEdit>

namespace host {

// A code edit over an input mask. A masked line edit drops blanks anywhere
// in its text ("A Z " reads "AZ"), so the cursor is never left past the end
// of what was typed: characters always join the code at its end.
class MaskEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit MaskEdit(QWidget *parent = nullptr);

protected:
    void focusInEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void keepCursorInText();
};

} // namespace host
