#pragma once

#include <QColor>
#include <QDate>
#include <QDateTime>
#include <QLineEdit>
#include <QStringList>

#include <functional>

namespace host {

// A date edit that can be left empty: "dd/mm/aaaa" typed over a mask, the
// weekday name shown inside the control on the right, the text drawn in the
// valid-date colour while it holds a real date. It starts at today's date.
class TDateEditPlus : public QLineEdit
{
    Q_OBJECT

public:
    using ChangeHandler = std::function<void(QObject *sender)>;

    explicit TDateEditPlus(QWidget *parent = nullptr);

    // The date as a civil date-time (platform/data_packet.h); midnight unless
    // SaveTime keeps the time last set; the zero date-time when empty.
    // Throws platform::Error (the CheckValidDate report) on a text that is
    // no valid date, so a half-typed date never passes for another.
    QDateTime GetDate() const;
    // A null, invalid or zero date-time empties the edit.
    void SetDate(const QDateTime &date);
    void SetDate(QDate date);
    // Throws platform::Error "<text> não é uma data válida." when the text is
    // not empty and is no valid date.
    void CheckValidDate() const;

    bool isEmptyDate() const;  // nothing typed: "//" with blanks
    bool hasValidDate() const; // a complete, real date

    QColor validDateColor() const { return m_validDateColor; }
    void setValidDateColor(const QColor &colour);
    // Weekday names, Sunday first (seven of them).
    QStringList NomeSemana() const { return m_weekdayNames; }
    void setNomeSemana(const QStringList &names);
    bool SaveTime() const { return m_saveTime; }
    void setSaveTime(bool save) { m_saveTime = save; }

    // What the control shows now: the weekday name (empty without a valid
    // date) and the colour of the text.
    QString weekdayText() const;
    QColor textColor() const;
    // The weekday's smaller font, and the room it has on the right: its
    // widest name, less what the date itself needs in a narrow edit (the
    // date is never scrolled out of sight).
    QFont weekdayFont() const;
    int weekdayRoom() const;

    // Runs on every change of the text, typed or set, through
    // platform::guarded.
    void setOnChange(ChangeHandler handler) { m_onChange = std::move(handler); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QDate parsedDate() const;
    void updateLook();
    int weekdayWidth() const;

    QColor m_validDateColor = Qt::blue;
    QStringList m_weekdayNames;
    bool m_saveTime = false;
    QTime m_time;
    ChangeHandler m_onChange;
    bool m_updatingLook = false;
};

} // namespace host
