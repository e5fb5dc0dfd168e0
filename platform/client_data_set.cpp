#include "platform/client_data_set.h"

#include <QCoreApplication>

#include "platform/abort.h"

#include <algorithm>

namespace platform {
namespace {

bool compatible(FieldType declared, FieldType received)
{
    switch (declared) {
    case FieldType::String:
    case FieldType::FixedString:
        return received == FieldType::String || received == FieldType::FixedString;
    case FieldType::Float:
        return received == FieldType::Float || received == FieldType::Integer;
    case FieldType::DateTime:
    case FieldType::Integer:
        return received == declared;
    }
    return false;
}

bool isText(FieldType type)
{
    return type == FieldType::String || type == FieldType::FixedString;
}

// The column holds the values its field says it holds.
bool holds(const PacketColumn &column, FieldType declared)
{
    return column.type() == declared || (column.holdsText() && isText(declared));
}

bool isAscii(std::string_view bytes)
{
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

// ASCII on both sides: the same answer as comparing the decoded texts.
bool asciiMatches(std::string_view text, std::string_view key, bool caseInsensitive, bool partial)
{
    if (partial ? text.size() < key.size() : text.size() != key.size())
        return false;
    if (!caseInsensitive)
        return text.substr(0, key.size()) == key;
    for (std::size_t i = 0; i < key.size(); ++i) {
        if (asciiLower(text[i]) != asciiLower(key[i]))
            return false;
    }
    return true;
}

} // namespace

// One key of a locate, worked out once for all the rows it is compared with.
struct ClientDataSet::LocateKey
{
    const Field *field = nullptr;
    bool null = false;
    QString text;
    QByteArray utf8;
    bool asciiText = false;
    bool numberOk = false;
    double number = 0.0;
    bool dateTimeOk = false;
    qint64 msecs = 0;
};

ClientDataSet::ClientDataSet(QObject *parent)
    : QObject(parent)
{
}

ClientDataSet::~ClientDataSet() = default;

Field *ClientDataSet::addField(const QString &name, FieldType type, int size)
{
    if (m_active)
        throw Error(QCoreApplication::translate(
                        "ClientDataSet",
                        "Não é possível incluir o campo '%1' com o conjunto de dados aberto.")
                        .arg(name));
    if (findField(name))
        throw Error(
            QCoreApplication::translate("ClientDataSet", "Campo '%1' duplicado.").arg(name));
    m_fields.push_back(
        std::unique_ptr<Field>(new Field(this, name, type, size, int(m_fields.size()))));
    emit fieldsChanged();
    return m_fields.back().get();
}

Field *ClientDataSet::findField(const QString &name) const
{
    for (const auto &field : m_fields) {
        if (field->name().compare(name, Qt::CaseInsensitive) == 0)
            return field.get();
    }
    return nullptr;
}

Field &ClientDataSet::fieldByName(const QString &name) const
{
    if (Field *field = findField(name))
        return *field;
    throw Error(
        QCoreApplication::translate("ClientDataSet", "Campo '%1' não encontrado.").arg(name));
}

std::vector<int> ClientDataSet::checkPacket(const DataPacket &packet) const
{
    if (packet.rowCount < 0)
        throw Error(QCoreApplication::translate(
            "ClientDataSet", "Pacote de dados inválido: número de linhas negativo."));
    std::vector<int> sources;
    sources.reserve(m_fields.size());
    for (const auto &field : m_fields) {
        // Packets carry the fields as declared, in the same order and case,
        // nearly always: that is tried first.
        const int index = field->index();
        int source =
            index < packet.fields.size() && packet.fields[index].name == field->name() ? index : -1;
        for (int i = 0; source < 0 && i < packet.fields.size(); ++i) {
            if (packet.fields[i].name.compare(field->name(), Qt::CaseInsensitive) == 0)
                source = i;
        }
        if (source < 0)
            throw Error(QCoreApplication::translate("ClientDataSet",
                                                    "Campo '%1' não encontrado no pacote de dados.")
                            .arg(field->name()));
        const FieldType received = packet.fields[source].type;
        if (!compatible(field->type(), received))
            throw Error(
                QCoreApplication::translate(
                    "ClientDataSet",
                    "Tipo incompatível para o campo '%1': esperado %2, recebido %3.")
                    .arg(field->name(), fieldTypeName(field->type()), fieldTypeName(received)));
        // A packet without rows may come without columns (nothing to hold).
        if (packet.columns.empty() && packet.rowCount == 0) {
            sources.push_back(-1);
            continue;
        }
        const bool shaped = size_t(source) < packet.columns.size()
                            && packet.columns[source].size() == packet.rowCount;
        if (!shaped)
            throw Error(QCoreApplication::translate(
                            "ClientDataSet",
                            "Pacote de dados inválido no campo '%1': número de valores "
                            "diferente do número de linhas.")
                            .arg(field->name()));
        if (!holds(packet.columns[source], received))
            throw Error(QCoreApplication::translate(
                            "ClientDataSet",
                            "Pacote de dados inválido no campo '%1': valores de tipo "
                            "diferente do declarado.")
                            .arg(field->name()));
        if (const int row = packet.columns[source].invalidRow(); row >= 0)
            throw Error(QCoreApplication::translate("ClientDataSet",
                                                    "Valor inválido no campo '%1', linha %2.")
                            .arg(field->name())
                            .arg(row + 1));
        sources.push_back(source);
    }
    return sources;
}

template<typename Packet> void ClientDataSet::load(Packet &&packet)
{
    const std::vector<int> sources = checkPacket(packet);
    Columns columns;
    columns.reserve(m_fields.size());
    for (size_t i = 0; i < m_fields.size(); ++i) {
        if (sources[i] < 0)
            columns.emplace_back(m_fields[i]->type());
        else if constexpr (std::is_rvalue_reference_v<Packet &&>)
            columns.push_back(std::move(packet.columns[sources[i]]));
        else
            columns.push_back(packet.columns[sources[i]]);
        // A string field holds at most its size in characters; the longest
        // value tells whether any needs cutting.
        const int size = m_fields[i]->size();
        if (size > 0 && isText(m_fields[i]->type()) && columns[i].longestText() > size)
            columns[i].truncateTexts(size);
    }
    replaceRows(std::move(columns), packet.rowCount);
    if (m_rowCount > 0 && m_afterScroll)
        m_afterScroll(*this);
}

void ClientDataSet::loadPacket(const DataPacket &packet)
{
    load(packet);
}

void ClientDataSet::loadPacket(DataPacket &&packet)
{
    load(std::move(packet));
}

// A packet shaped like the rows on show replaces only their values, so
// that views repaint only what changed. False when the shapes differ.
bool ClientDataSet::refreshRows(Columns &columns, int rowCount)
{
    if (!m_active || rowCount != m_rowCount || !sameShape(m_columns, columns))
        return false;
    const auto [first, last] = differingRows(m_columns, columns);
    if (first >= 0) {
        emit rowsAboutToChange();
        m_columns = std::move(columns);
        ++m_generation;
    }
    const int previous = m_recNo;
    m_recNo = rowCount > 0 ? 0 : -1;
    m_bof = true;
    m_eof = rowCount == 0;
    if (first >= 0)
        emit rowsChanged(first, last);
    if (m_recNo != previous)
        emit currentRowChanged(m_recNo);
    return true;
}

void ClientDataSet::replaceRows(Columns columns, int rowCount)
{
    if (refreshRows(columns, rowCount))
        return;
    emit aboutToReset();
    m_columns = std::move(columns);
    ++m_generation;
    m_rowCount = rowCount;
    m_active = true;
    m_recNo = rowCount > 0 ? 0 : -1;
    m_bof = true;
    m_eof = rowCount == 0;
    emit reset();
}

void ClientDataSet::close()
{
    if (!m_active)
        return;
    emit aboutToReset();
    m_columns.clear();
    ++m_generation;
    m_rowCount = 0;
    m_recNo = -1;
    m_active = false;
    m_bof = m_eof = true;
    emit reset();
}

void ClientDataSet::moveTo(int row)
{
    if (row == m_recNo)
        return;
    m_recNo = row;
    emit currentRowChanged(row);
    if (m_afterScroll)
        m_afterScroll(*this);
}

void ClientDataSet::first()
{
    m_bof = true;
    m_eof = m_rowCount == 0;
    if (m_rowCount > 0)
        moveTo(0);
}

void ClientDataSet::last()
{
    m_eof = true;
    m_bof = m_rowCount == 0;
    if (m_rowCount > 0)
        moveTo(m_rowCount - 1);
}

void ClientDataSet::next()
{
    moveBy(1);
}

void ClientDataSet::prior()
{
    moveBy(-1);
}

int ClientDataSet::moveBy(int distance)
{
    if (m_rowCount == 0) {
        m_bof = m_eof = true;
        return 0;
    }
    if (distance == 0)
        return 0;
    const int target = qBound(0, m_recNo + distance, m_rowCount - 1);
    const int moved = target - m_recNo;
    m_bof = distance < 0 && moved != distance;
    m_eof = distance > 0 && moved != distance;
    moveTo(target);
    return moved;
}

void ClientDataSet::setRecNo(int row)
{
    if (row < 0 || row >= m_rowCount)
        throw Error(
            QCoreApplication::translate("ClientDataSet", "Registro %1 inexistente.").arg(row + 1));
    m_bof = m_eof = false;
    moveTo(row);
}

bool ClientDataSet::matches(int row, const std::vector<LocateKey> &keys,
                            LocateOptions options) const
{
    const bool caseInsensitive = options.testFlag(LocateOption::CaseInsensitive);
    const bool partial = options.testFlag(LocateOption::PartialKey);
    for (const LocateKey &key : keys) {
        const Field &field = *key.field;
        const bool null = field.isNullAt(row);
        if (key.null) {
            if (!null)
                return false;
            continue;
        }
        switch (field.type()) {
        case FieldType::String:
        case FieldType::FixedString: {
            // A null text reads as "", as asString() gives it.
            const std::string_view stored =
                null ? std::string_view() : m_columns[field.index()].utf8(row);
            if (key.asciiText && isAscii(stored)) {
                if (!asciiMatches(stored, std::string_view(key.utf8.constData(), key.utf8.size()),
                                  caseInsensitive, partial))
                    return false;
                break;
            }
            const QString text = field.asStringAt(row);
            const Qt::CaseSensitivity cs =
                caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive;
            const bool equal =
                partial ? text.startsWith(key.text, cs) : text.compare(key.text, cs) == 0;
            if (!equal)
                return false;
            break;
        }
        case FieldType::Float:
        case FieldType::Integer:
            if (!key.numberOk || null || m_columns[field.index()].number(row) != key.number)
                return false;
            break;
        case FieldType::DateTime:
            // Civil comparison: a value built in local time still matches.
            if (!key.dateTimeOk || null || m_columns[field.index()].integer(row) != key.msecs)
                return false;
            break;
        }
    }
    return true;
}

bool ClientDataSet::locate(const QString &keyFields, const QVariantList &values,
                           LocateOptions options)
{
    std::vector<LocateKey> keys;
    for (const QString &name : keyFields.split(u';', Qt::SkipEmptyParts)) {
        LocateKey key;
        key.field = &fieldByName(name.trimmed());
        keys.push_back(std::move(key));
    }
    if (keys.empty() || size_t(values.size()) != keys.size())
        throw Error(QCoreApplication::translate("ClientDataSet",
                                                "Localizar: %1 valor(es) para %2 campo(s).")
                        .arg(values.size())
                        .arg(keys.size()));
    // Each key once, not once per row it is compared with.
    for (size_t i = 0; i < keys.size(); ++i) {
        LocateKey &key = keys[i];
        const QVariant &wanted = values[int(i)];
        key.null = wanted.isNull();
        if (key.null)
            continue;
        key.text = wanted.toString();
        key.utf8 = key.text.toUtf8();
        key.asciiText = isAscii(std::string_view(key.utf8.constData(), key.utf8.size()));
        key.number = wanted.toDouble(&key.numberOk);
        const QDateTime dateTime = wanted.toDateTime();
        key.dateTimeOk = dateTime.isValid();
        if (key.dateTimeOk)
            key.msecs = civilMsecs(dateTime);
    }
    for (int row = 0; row < m_rowCount; ++row) {
        if (matches(row, keys, options)) {
            m_bof = m_eof = false;
            moveTo(row);
            return true;
        }
    }
    return false;
}

void ClientDataSet::disableControls()
{
    if (m_disabledCount++ == 0)
        emit controlsEnabledChanged(false);
}

void ClientDataSet::enableControls()
{
    if (m_disabledCount == 0)
        return;
    if (--m_disabledCount == 0)
        emit controlsEnabledChanged(true);
}

ClientDataSet::RowScope::RowScope(const ClientDataSet &dataSet, int row)
    : m_dataSet(dataSet)
    , m_previous(dataSet.m_activeRow)
{
    m_dataSet.m_activeRow = row;
}

ClientDataSet::RowScope::~RowScope()
{
    m_dataSet.m_activeRow = m_previous;
}

} // namespace platform
