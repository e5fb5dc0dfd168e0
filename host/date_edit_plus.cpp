#include "host/date_edit_plus.h"

#include "host/functions.h"
#include "platform/abort.h"
#include "platform/data_packet.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QPainter>

namespace host {
namespace {

const QString DateFormat = QStringLiteral("dd/MM/yyyy");

} // namespace

TDateEditPlus::TDateEditPlus(QWidget *parent)
    : QLineEdit(parent)
    , m_weekdayNames({QCoreApplication::translate("TDateEditPlus", "Domingo"),
                      QCoreApplication::translate("TDateEditPlus", "Segunda"),
                      QCoreApplication::translate("TDateEditPlus", "Terça"),
                      QCoreApplication::translate("TDateEditPlus", "Quarta"),
                      QCoreApplication::translate("TDateEditPlus", "Quinta"),
                      QCoreApplication::translate("TDateEditPlus", "Sexta"),
                      QCoreApplication::translate("TDateEditPlus", "Sábado")})
{
    // '0' digits are optional, so the edit can be emptied; '9' would make an
    // empty date unacceptable.
    setInputMask(QStringLiteral("00/00/0000;_"));
    connect(this, &QLineEdit::textChanged, this, [this] {
        updateLook();
        if (m_onChange)
            platform::guarded([this] { m_onChange(this); });
    });
    SetDate(QDate::currentDate());
    updateLook();
}

QDate TDateEditPlus::parsedDate() const
{
    return QDate::fromString(text(), DateFormat);
}

bool TDateEditPlus::isEmptyDate() const
{
    return EmptyString(text());
}

bool TDateEditPlus::hasValidDate() const
{
    return parsedDate().isValid();
}

void TDateEditPlus::CheckValidDate() const
{
    if (!isEmptyDate() && !hasValidDate())
        throw platform::Error(
            QCoreApplication::translate("TDateEditPlus", "%1 não é uma data válida.").arg(text()));
}

QDateTime TDateEditPlus::GetDate() const
{
    if (isEmptyDate())
        return platform::zeroDateTime();
    CheckValidDate();
    return platform::civilDateTime(parsedDate(),
                                   m_saveTime && m_time.isValid() ? m_time : QTime(0, 0));
}

void TDateEditPlus::SetDate(const QDateTime &date)
{
    if (!date.isValid() || date == platform::zeroDateTime()) {
        m_time = QTime();
        setText(QString());
        return;
    }
    m_time = date.time();
    setText(date.date().toString(DateFormat));
}

void TDateEditPlus::SetDate(QDate date)
{
    SetDate(date.isValid() ? platform::civilDateTime(date) : QDateTime());
}

void TDateEditPlus::setValidDateColor(const QColor &colour)
{
    m_validDateColor = colour;
    updateLook();
}

void TDateEditPlus::setNomeSemana(const QStringList &names)
{
    m_weekdayNames = names;
    updateGeometry();
    updateLook();
}

QString TDateEditPlus::weekdayText() const
{
    const QDate date = parsedDate();
    if (!date.isValid())
        return {};
    const int index = date.dayOfWeek() % 7; // Qt counts from Monday = 1; the names start on Sunday
    return index < m_weekdayNames.size() ? m_weekdayNames.at(index) : QString();
}

QColor TDateEditPlus::textColor() const
{
    return palette().color(QPalette::Text);
}

QFont TDateEditPlus::weekdayFont() const
{
    QFont small = font();
    if (small.pointSizeF() > 0)
        small.setPointSizeF(small.pointSizeF() * 0.85);
    else if (small.pixelSize() > 0)
        small.setPixelSize(qMax(8, small.pixelSize() * 85 / 100));
    return small;
}

int TDateEditPlus::weekdayWidth() const
{
    const QFontMetrics metrics(weekdayFont());
    int widest = 0;
    for (const QString &name : m_weekdayNames)
        widest = qMax(widest, metrics.horizontalAdvance(name));
    return widest + 6;
}

int TDateEditPlus::weekdayRoom() const
{
    // The frame, the text's side margins and the cursor.
    constexpr int Chrome = 10;
    const int dateWidth = fontMetrics().horizontalAdvance(QStringLiteral("00/00/0000")) + Chrome;
    return qBound(0, width() - dateWidth, weekdayWidth());
}

void TDateEditPlus::updateLook()
{
    if (m_updatingLook)
        return;
    m_updatingLook = true;
    // Only the text role changes, so a background the form chose stays.
    QPalette look = palette();
    const QColor wanted =
        hasValidDate() ? m_validDateColor : QApplication::palette(this).color(QPalette::Text);
    if (look.color(QPalette::Text) != wanted) {
        look.setColor(QPalette::Text, wanted);
        setPalette(look);
    }
    const QMargins margins(0, 0, weekdayRoom(), 0);
    if (textMargins() != margins)
        setTextMargins(margins);
    update();
    m_updatingLook = false;
}

void TDateEditPlus::changeEvent(QEvent *event)
{
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        updateLook();
}

void TDateEditPlus::paintEvent(QPaintEvent *event)
{
    QLineEdit::paintEvent(event);
    const QString weekday = weekdayText();
    if (weekday.isEmpty())
        return;
    QPainter painter(this);
    painter.setFont(weekdayFont());
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                   QPalette::PlaceholderText));
    const QRect area = rect().adjusted(0, 0, -4, 0);
    const int room = textMargins().right();
    const QRect box(area.right() - room, area.top(), room, area.height());
    painter.drawText(box, Qt::AlignRight | Qt::AlignVCenter,
                     painter.fontMetrics().elidedText(weekday, Qt::ElideRight, box.width()));
}

QSize TDateEditPlus::sizeHint() const
{
    QSize hint = QLineEdit::sizeHint();
    hint.setWidth(fontMetrics().horizontalAdvance(QStringLiteral("00/00/0000")) + weekdayWidth()
                  + 16);
    return hint;
}

QSize TDateEditPlus::minimumSizeHint() const
{
    return QLineEdit::minimumSizeHint();
}

} // namespace host
