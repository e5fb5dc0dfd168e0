#pragma once

#include "host/button_flat.h"
#include "platform/client_data_set.h"
#include "platform/data_source.h"

#include <QPointer>

#include <functional>

namespace host {

// Lookup button over a data source. A click runs OnBeforePesq (which may
// fill the record set, or say no), shows EmptyError as an error when the
// record set has no rows, else the lookup with the visible fields under
// their display labels; after a pick the record set is on the picked row,
// OnAfterPesq runs and the focus goes back to the Associate control.
// A button given an OnClick handler runs only that handler instead.
class TBtnPesquisa : public TButtonFlat
{
    Q_OBJECT

public:
    // `proceed` starts true; a handler that sets it false ends the click.
    using BeforePesq = std::function<void(QObject *sender, bool &proceed)>;
    using AfterPesq = std::function<void(QObject *sender)>;

    explicit TBtnPesquisa(QWidget *parent = nullptr);

    void setDataSource(platform::DataSource *source) { m_dataSource = source; }
    platform::DataSource *dataSource() const { return m_dataSource; }
    void setTitle(const QString &title) { m_title = title; }
    QString Title() const { return m_title; }
    void setEmptyError(const QString &text) { m_emptyError = text; }
    QString EmptyError() const { return m_emptyError; }
    void setAssociate(QWidget *widget) { m_associate = widget; }
    QWidget *Associate() const { return m_associate; }

    void setOnBeforePesq(BeforePesq handler) { m_onBeforePesq = std::move(handler); }
    void setOnAfterPesq(AfterPesq handler) { m_onAfterPesq = std::move(handler); }

    // The lookup itself, as a click runs it (outside platform::guarded: a
    // failure or an abort reaches the caller).
    void pesquisa();

protected:
    void handleClick() override;

private:
    QPointer<platform::DataSource> m_dataSource;
    QString m_title;
    QString m_emptyError;
    QPointer<QWidget> m_associate;
    BeforePesq m_onBeforePesq;
    AfterPesq m_onAfterPesq;
};

} // namespace host
