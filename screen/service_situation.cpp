#include "screen/service_situation.h"

#include "host/functions.h"
#include "host/messages.h"
#include "platform/client_data_set.h"
#include "platform/field.h"

namespace Cli_ate25400 {

const char *serviceSituationKey(const QString &situation, const QString &invoiceEntry)
{
    if (situation == QLatin1String("3"))
        return "Sit3";
    if (!host::EmptyString(invoiceEntry))
        return "Sit4";
    if (situation == QLatin1String("1"))
        return "Sit1";
    if (situation == QLatin1String("2"))
        return "Sit2";
    return nullptr;
}

QString serviceSituationText(const platform::Field &situation, const host::TMessages &messages)
{
    // A report whose query leaves the invoice entry out shows the bare rule.
    const platform::Field *invoice = situation.dataSet().findField(QStringLiteral("NRLANCTONF"));
    const char *key =
        serviceSituationKey(situation.asString(), invoice ? invoice->asString() : QString());
    return key ? messages.Msg(QLatin1String(key)) : QString();
}

} // namespace Cli_ate25400
