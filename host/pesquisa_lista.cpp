#include "host/pesquisa_lista.h"

#include <QCoreApplication>

#include "host/dialogs.h"
#include "platform/abort.h"
#include "platform/client_data_set.h"
#include "platform/data_source.h"

namespace host {

QStringList splitCodeList(const QString &list)
{
    QStringList codes;
    for (const QString &part : list.split(QLatin1Char(','))) {
        const QString code = part.trimmed();
        if (!code.isEmpty() && !codes.contains(code))
            codes.append(code);
    }
    return codes;
}

QString joinCodeList(const QStringList &codes)
{
    return splitCodeList(codes.join(QLatin1Char(','))).join(QLatin1Char(','));
}

bool PesquisaLista(platform::DataSource *dataSource, const QString &keyField,
                   const QString &caption, bool allMarked, QString &list)
{
    const qsizetype bar = caption.indexOf(QLatin1Char('|'));
    const QString title = bar < 0 ? caption : caption.left(bar);
    const QString emptyText = bar < 0 ? QString() : caption.mid(bar + 1);

    platform::ClientDataSet *dataSet = dataSource ? dataSource->dataSet() : nullptr;
    if (!dataSet || !dataSet->isActive() || dataSet->isEmpty()) {
        dialogs().error(emptyText.isEmpty() ? QCoreApplication::translate(
                            "PesquisaLista", "Não há registros para pesquisar.")
                                            : emptyText);
        return false;
    }
    const platform::Field *key = dataSet->findField(keyField);
    if (!key)
        throw platform::Error(
            QCoreApplication::translate("PesquisaLista", "Campo %1 não encontrado.").arg(keyField));

    QStringList marked = splitCodeList(list);
    if (allMarked) {
        marked.clear();
        for (int row = 0; row < dataSet->recordCount(); ++row)
            marked.append(key->asStringAt(row).trimmed());
    }
    const std::optional<QStringList> picked =
        dialogs().pickList({title, dataSet, keyField, marked});
    if (!picked)
        return false;
    list = joinCodeList(*picked);
    return true;
}

} // namespace host
