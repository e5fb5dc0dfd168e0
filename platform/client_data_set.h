#pragma once

#include "platform/data_packet.h"
#include "platform/field.h"

#include <QObject>
#include <QStringList>
#include <QVariantList>

#include <functional>
#include <memory>
#include <vector>

namespace platform {

enum class LocateOption {
    CaseInsensitive = 0x1,
    PartialKey = 0x2,
};
Q_DECLARE_FLAGS(LocateOptions, LocateOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(LocateOptions)

// A client record set: persistent typed fields in declared order, rows that
// arrive only as whole data packets, a cursor, and an after-scroll callback.
//
// The after-scroll handler is a plain callback, not a signal: it may throw
// (an abort, a failed server reply) and the failure must reach whoever moved
// the row. The cursor has already moved when it runs. The signals are for
// views only and never throw.
class ClientDataSet : public QObject
{
    Q_OBJECT

public:
    using AfterScroll = std::function<void(ClientDataSet &dataSet)>;

    explicit ClientDataSet(QObject *parent = nullptr);
    ~ClientDataSet() override;

    // Fields can be declared only while the set is closed.
    Field *addField(const QString &name, FieldType type, int size = 0);
    const std::vector<std::unique_ptr<Field>> &fields() const { return m_fields; }
    Field *findField(const QString &name) const; // case-insensitive, as field names are
    Field &fieldByName(const QString &name) const;

    // Checks that the packet carries every field, by name and with a
    // compatible type, and well-formed columns (once per packet and column,
    // never per value); on any fault throws an Error naming the field and
    // keeps the rows it had. Otherwise replaces the
    // rows, opens the set, makes the first row current and, when there are
    // rows, runs the after-scroll handler. The rvalue overload takes the
    // packet's columns without copying them.
    //
    // A packet with as many rows as the set already shows is compared with
    // them: views hear rowsChanged for the rows that differ, or nothing when
    // none does (a refresh of a day nobody changed), instead of a reset.
    void loadPacket(const DataPacket &packet);
    void loadPacket(DataPacket &&packet);
    void close();

    bool isActive() const { return m_active; }
    bool isEmpty() const { return m_rowCount == 0; }
    int recordCount() const { return m_rowCount; }
    int recNo() const { return m_recNo; } // 0-based; -1 when there is no row
    bool bof() const { return m_bof; }
    bool eof() const { return m_eof; }

    void first();
    void last();
    void next();
    void prior();
    int moveBy(int distance); // returns the distance actually moved
    void setRecNo(int row);   // throws an Error for a row that does not exist

    // keyFields like "A;B;C"; one value per key field. Makes the first
    // matching row current and returns true, or leaves the cursor alone.
    bool locate(const QString &keyFields, const QVariantList &values, LocateOptions options = {});

    // Nested. While disabled, views neither repaint nor follow the cursor;
    // events still fire. On the last enable they catch up.
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return m_disabledCount > 0; }

    void setAfterScroll(AfterScroll handler) { m_afterScroll = std::move(handler); }

    // The row that field accessors read: the current row, or the one a
    // RowScope set while a painter or text handler reads another row.
    int activeRow() const { return m_activeRow != NoOverride ? m_activeRow : m_recNo; }

    class RowScope
    {
    public:
        RowScope(const ClientDataSet &dataSet, int row);
        ~RowScope();
        RowScope(const RowScope &) = delete;
        RowScope &operator=(const RowScope &) = delete;

    private:
        const ClientDataSet &m_dataSet;
        int m_previous;
    };

    // Storage access for fields; the field's index, rows checked by the caller.
    const PacketColumn &column(int fieldIndex) const { return m_columns[fieldIndex]; }
    const std::vector<PacketColumn> &columns() const { return m_columns; }

    // Changes whenever the rows' values change or the rows are dropped: what
    // is worked out from the rows can be kept until it changes.
    quint64 generation() const { return m_generation; }

signals:
    void aboutToReset(); // rows about to be replaced or dropped
    void reset();        // rows replaced or dropped; the cursor is on its new row
    // Same number of rows, new values in rows first..last (others may be
    // among them unchanged); the cursor change, if any, follows. Before it,
    // while columns() still holds the old values, rowsAboutToChange.
    void rowsAboutToChange();
    void rowsChanged(int first, int last);
    void currentRowChanged(int row);
    void controlsEnabledChanged(bool enabled);
    void fieldsChanged();

private:
    using Columns = std::vector<PacketColumn>;
    struct LocateKey;
    template<typename Packet> void load(Packet &&packet);
    std::vector<int> checkPacket(const DataPacket &packet) const;
    void replaceRows(Columns columns, int rowCount);
    bool refreshRows(Columns &columns, int rowCount);
    void moveTo(int row);
    bool matches(int row, const std::vector<LocateKey> &keys, LocateOptions options) const;

    std::vector<std::unique_ptr<Field>> m_fields;
    Columns m_columns; // m_columns[field index][row]
    int m_rowCount = 0;
    int m_recNo = -1;
    static constexpr int NoOverride = -2;
    mutable int m_activeRow = NoOverride;
    bool m_active = false;
    bool m_bof = true;
    bool m_eof = true;
    int m_disabledCount = 0;
    quint64 m_generation = 0;
    AfterScroll m_afterScroll;
};

// Disables a set's controls for a scope; enabled again on every way out.
class DisabledControls
{
public:
    explicit DisabledControls(ClientDataSet &dataSet)
        : m_dataSet(dataSet)
    {
        m_dataSet.disableControls();
    }
    ~DisabledControls() { m_dataSet.enableControls(); }
    DisabledControls(const DisabledControls &) = delete;
    DisabledControls &operator=(const DisabledControls &) = delete;

private:
    ClientDataSet &m_dataSet;
};

} // namespace platform
