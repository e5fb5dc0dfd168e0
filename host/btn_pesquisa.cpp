#include "host/btn_pesquisa.h"

#include <QCoreApplication>

#include "host/dialogs.h"
#include "host/functions.h"
#include "platform/abort.h"
#include "platform/client_data_set.h"
#include "platform/data_source.h"

namespace host {

TBtnPesquisa::TBtnPesquisa(QWidget *parent)
    : TButtonFlat(parent)
{
    setGlyph(Glyph::Search);
    setHint(QCoreApplication::translate("TBtnPesquisa", "Pesquisar"));
}

void TBtnPesquisa::handleClick()
{
    if (hasOnClick()) {
        runOnClick();
        return;
    }
    platform::guarded([this] { pesquisa(); });
}

void TBtnPesquisa::pesquisa()
{
    bool proceed = true;
    if (m_onBeforePesq)
        m_onBeforePesq(this, proceed);
    if (!proceed)
        return;

    QPointer<platform::ClientDataSet> dataSet = m_dataSource ? m_dataSource->dataSet() : nullptr;
    if (!dataSet || !dataSet->isActive() || dataSet->isEmpty())
        MensErro(m_emptyError.isEmpty() ? QCoreApplication::translate(
                     "TBtnPesquisa", "Não há registros para pesquisar.")
                                        : m_emptyError,
                 true);

    const std::optional<int> row = dialogs().lookup({m_title, dataSet});
    // The lookup is modal, but a handler run by a timer meanwhile may have
    // closed or reloaded the set: pick only a row that is still there.
    if (row && dataSet && dataSet->isActive() && *row < dataSet->recordCount()) {
        dataSet->setRecNo(*row);
        if (m_onAfterPesq)
            m_onAfterPesq(this);
    }
    if (m_associate && m_associate->isEnabled() && m_associate->isVisible())
        m_associate->setFocus();
}

} // namespace host
