#include "client_data_set.h"

#include "abort.h"

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

int metaTypeOf(FieldType type)
{
    switch (type) {
    case FieldType::String:
    case FieldType::FixedString:
        return QMetaType::QString;
    case FieldType::Float:
        return QMetaType::Double;
    case FieldType::DateTime:
        return QMetaType::QDateTime;
    case FieldType::Integer:
        return QMetaType::LongLong;
    }
    return QMetaType::UnknownType;
}

// Civil comparison: a value built in local time still matches the stored UTC one.
bool sameCivilDateTime(const QDateTime &a, const QDateTime &b)
{
    return a.date() == b.date() && a.time() == b.time();
}

} // namespace

ClientDataSet::ClientDataSet(QObject *parent)
    : QObject(parent)
{
}

ClientDataSet::~ClientDataSet() = default;

Field *ClientDataSet::addField(const QString &name, FieldType type, int size)
{
    if (m_active)
        throw Error(
            QStringLiteral("Não é possível incluir o campo '%1' com o conjunto de dados aberto.")
                .arg(name));
    if (findField(name))
        throw Error(QStringLiteral("Campo '%1' duplicado.").arg(name));
    m_fields.push_back(std::unique_ptr<Field>(
        new Field(this, name, type, size, int(m_fields.size()))));
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
    throw Error(QStringLiteral("Campo '%1' não encontrado.").arg(name));
}

std::vector<int> ClientDataSet::checkPacket(const DataPacket &packet) const
{
    if (packet.rowCount < 0)
        throw Error(QStringLiteral("Pacote de dados inválido: número de linhas negativo."));
    std::vector<int> sources;
    sources.reserve(m_fields.size());
    for (const auto &field : m_fields) {
        int source = -1;
        for (int i = 0; i < packet.fields.size(); ++i) {
            if (packet.fields[i].name.compare(field->name(), Qt::CaseInsensitive) == 0) {
                source = i;
                break;
            }
        }
        if (source < 0)
            throw Error(QStringLiteral("Campo '%1' não encontrado no pacote de dados.")
                            .arg(field->name()));
        const FieldType received = packet.fields[source].type;
        if (!compatible(field->type(), received))
            throw Error(
                QStringLiteral("Tipo incompatível para o campo '%1': esperado %2, recebido %3.")
                    .arg(field->name(), fieldTypeName(field->type()), fieldTypeName(received)));
        const bool shaped = size_t(source) < packet.columns.size()
                            && packet.columns[source].size() == size_t(packet.rowCount);
        if (!shaped)
            throw Error(QStringLiteral("Pacote de dados inválido no campo '%1': número de valores "
                                       "diferente do número de linhas.")
                            .arg(field->name()));
        const int expected = metaTypeOf(received);
        const auto &column = packet.columns[source];
        for (size_t row = 0; row < column.size(); ++row) {
            if (!column[row].isNull() && column[row].typeId() != expected)
                throw Error(QStringLiteral("Valor inválido no campo '%1', linha %2.")
                                .arg(field->name())
                                .arg(row + 1));
        }
        sources.push_back(source);
    }
    return sources;
}

template<typename Packet>
void ClientDataSet::load(Packet &&packet)
{
    const std::vector<int> sources = checkPacket(packet);
    Columns columns(m_fields.size());
    for (size_t i = 0; i < m_fields.size(); ++i) {
        if constexpr (std::is_rvalue_reference_v<Packet &&>)
            columns[i] = std::move(packet.columns[sources[i]]);
        else
            columns[i] = packet.columns[sources[i]];
        const int size = m_fields[i]->size();
        const bool text = m_fields[i]->type() == FieldType::String
                          || m_fields[i]->type() == FieldType::FixedString;
        if (!text || size <= 0)
            continue;
        for (QVariant &value : columns[i]) {
            if (!value.isNull() && value.toString().size() > size)
                value = value.toString().left(size);
        }
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

void ClientDataSet::replaceRows(Columns columns, int rowCount)
{
    emit aboutToReset();
    m_columns = std::move(columns);
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
        throw Error(QStringLiteral("Registro %1 inexistente.").arg(row + 1));
    m_bof = m_eof = false;
    moveTo(row);
}

bool ClientDataSet::matches(int row, const std::vector<Field *> &keys, const QVariantList &values,
                            LocateOptions options) const
{
    const Qt::CaseSensitivity cs = options.testFlag(LocateOption::CaseInsensitive)
                                       ? Qt::CaseInsensitive
                                       : Qt::CaseSensitive;
    for (size_t i = 0; i < keys.size(); ++i) {
        const Field &field = *keys[i];
        const QVariant &wanted = values[int(i)];
        if (wanted.isNull()) {
            if (!field.isNullAt(row))
                return false;
            continue;
        }
        switch (field.type()) {
        case FieldType::String:
        case FieldType::FixedString: {
            const QString text = field.asStringAt(row);
            const QString key = wanted.toString();
            const bool equal = options.testFlag(LocateOption::PartialKey)
                                   ? text.startsWith(key, cs)
                                   : text.compare(key, cs) == 0;
            if (!equal)
                return false;
            break;
        }
        case FieldType::Float:
        case FieldType::Integer: {
            bool ok = false;
            const double key = wanted.toDouble(&ok);
            if (!ok || field.isNullAt(row) || field.valueAt(row).toDouble() != key)
                return false;
            break;
        }
        case FieldType::DateTime:
            if (field.isNullAt(row)
                || !sameCivilDateTime(field.valueAt(row).toDateTime(), wanted.toDateTime()))
                return false;
            break;
        }
    }
    return true;
}

bool ClientDataSet::locate(const QString &keyFields, const QVariantList &values,
                           LocateOptions options)
{
    std::vector<Field *> keys;
    for (const QString &name : keyFields.split(u';', Qt::SkipEmptyParts))
        keys.push_back(&fieldByName(name.trimmed()));
    if (keys.empty() || size_t(values.size()) != keys.size())
        throw Error(QStringLiteral("Localizar: %1 valor(es) para %2 campo(s).")
                        .arg(values.size())
                        .arg(keys.size()));
    for (int row = 0; row < m_rowCount; ++row) {
        if (matches(row, keys, values, options)) {
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
