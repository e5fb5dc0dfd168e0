<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>Relatorios</name>
    <message>
        <source>Posição do Fechamento Diário do Plano de Vôo</source>
        <translation>Daily Closing Position of the Flight Plan</translation>
    </message>
    <message>
        <source>Filial: {:CDFILIAL} - {NMFILIAL}        Data do plano de vôo: {:DTHRPLAVOOPV}</source>
        <translation>Branch: {:CDFILIAL} - {NMFILIAL}        Flight plan date: {:DTHRPLAVOOPV}</translation>
    </message>
    <message>
        <source>{SGCIA} {NRVOO}    Trecho {CDTRECHO}    ETD {HRETD}    Situação do vôo: {SITVOO}</source>
        <translation>{SGCIA} {NRVOO}    Leg {CDTRECHO}    ETD {HRETD}    Flight situation: {SITVOO}</translation>
    </message>
    <message>
        <source>Total do vôo</source>
        <translation>Flight total</translation>
    </message>
    <message>
        <source>Total geral</source>
        <translation>Grand total</translation>
    </message>
    <message>
        <source>Sit.</source>
        <translation>St.</translation>
    </message>
    <message>
        <source>Serviço</source>
        <translation>Service</translation>
    </message>
    <message>
        <source>Qtde Stand-by</source>
        <translation>Stand-by Qty</translation>
    </message>
    <message>
        <source>Qtde Solic.</source>
        <translation>Req. Qty</translation>
    </message>
    <message>
        <source>Qtde Fat.</source>
        <translation>Inv. Qty</translation>
    </message>
    <message>
        <source>Qtde Cort.</source>
        <translation>Cut Qty</translation>
    </message>
    <message>
        <source>Qtde Fixa</source>
        <translation>Fixed Qty</translation>
    </message>
    <message>
        <source>Preço unit.</source>
        <translation>Unit price</translation>
    </message>
    <message>
        <source>Serviços cancelados do dia</source>
        <translation>Services cancelled on the day</translation>
    </message>
    <message>
        <source>Data do plano de vôo: {:DTHRPLAVOOPV}</source>
        <translation>Flight plan date: {:DTHRPLAVOOPV}</translation>
    </message>
    <message>
        <source>Filial</source>
        <translation>Branch</translation>
    </message>
    <message>
        <source>Companhia</source>
        <translation>Airline</translation>
    </message>
    <message>
        <source>Vôo</source>
        <translation>Flight</translation>
    </message>
    <message>
        <source>Trecho</source>
        <translation>Leg</translation>
    </message>
</context>
<context>
    <name>TfrmFiltroCia</name>
    <message>
        <source>Não há companhia cadastrada para a filial informada.</source>
        <translation>No airline is registered for the branch given.</translation>
    </message>
    <message>
        <source>Companhia</source>
        <translation>Airline</translation>
    </message>
    <message>
        <source>Companhia deve ser informada.</source>
        <translation>An airline must be given.</translation>
    </message>
    <message>
        <source>Filtro Companhia</source>
        <translation>Airline Filter</translation>
    </message>
    <message>
        <source>Código</source>
        <translation>Code</translation>
    </message>
    <message>
        <source>Sigla</source>
        <translation>Airl.</translation>
    </message>
    <message>
        <source>Nome</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Todas</source>
        <translation>All</translation>
    </message>
    <message>
        <source>Lista</source>
        <translation>List</translation>
    </message>
    <message>
        <source>Pesquisar</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>A tela de posição do fechamento diário do plano de vôo não está aberta.</source>
        <translation>The daily flight plan closing position screen is not open.</translation>
    </message>
</context>
<context>
    <name>TfrmPosFecDiaPlaVoo</name>
    <message>
        <source>Posição do Fechamento Diário do Plano de Vôo</source>
        <translation>Daily Flight Plan Closing Position</translation>
    </message>
    <message>
        <source>Filtrar Companhia</source>
        <translation>Filter Airlines</translation>
    </message>
    <message>
        <source>Filtrar</source>
        <translation>Filter</translation>
    </message>
    <message>
        <source>Filial</source>
        <translation>Branch</translation>
    </message>
    <message>
        <source>Pesquisar</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>Não há filial cadastrada.</source>
        <translation>No branch is registered.</translation>
    </message>
    <message>
        <source>Plano de Vôo</source>
        <translation>Flight Plan</translation>
    </message>
    <message>
        <source>Domingo</source>
        <translation>Sunday</translation>
    </message>
    <message>
        <source>Segunda</source>
        <translation>Monday</translation>
    </message>
    <message>
        <source>Terça</source>
        <translation>Tuesday</translation>
    </message>
    <message>
        <source>Quarta</source>
        <translation>Wednesday</translation>
    </message>
    <message>
        <source>Quinta</source>
        <translation>Thursday</translation>
    </message>
    <message>
        <source>Sexta</source>
        <translation>Friday</translation>
    </message>
    <message>
        <source>Sábado</source>
        <translation>Saturday</translation>
    </message>
    <message>
        <source>Atualizar (seg.)</source>
        <translation>Refresh (sec.)</translation>
    </message>
    <message>
        <source>ETD</source>
        <translation>ETD</translation>
    </message>
    <message>
        <source>Sigla</source>
        <translation>Airl.</translation>
    </message>
    <message>
        <source>Vôo</source>
        <translation>Flight</translation>
    </message>
    <message>
        <source>Base Origem</source>
        <translation>Origin</translation>
    </message>
    <message>
        <source>Base Destino</source>
        <translation>Destination</translation>
    </message>
    <message>
        <source>Breakdown</source>
        <translation>Breakdown</translation>
    </message>
    <message>
        <source>Classe</source>
        <translation>Class</translation>
    </message>
    <message>
        <source>Qtde Pax</source>
        <translation>Pax Qty</translation>
    </message>
    <message>
        <source>Qtde Stand-by</source>
        <translation>Stand-by Qty</translation>
    </message>
    <message>
        <source>Sit.</source>
        <translation>St.</translation>
    </message>
    <message>
        <source>Serviço</source>
        <translation>Service</translation>
    </message>
    <message>
        <source>Qtde Solic.</source>
        <translation>Req. Qty</translation>
    </message>
    <message>
        <source>Qtde Fat.</source>
        <translation>Inv. Qty</translation>
    </message>
    <message>
        <source>Qtde Cort.</source>
        <translation>Cut Qty</translation>
    </message>
    <message>
        <source>Qtde Fixa</source>
        <translation>Fixed Qty</translation>
    </message>
    <message>
        <source>Preço</source>
        <translation>Price</translation>
    </message>
    <message>
        <source>Companhia</source>
        <translation>Airline</translation>
    </message>
    <message>
        <source>Pe</source>
        <translation>Pe</translation>
    </message>
    <message>
        <source>At</source>
        <translation>At</translation>
    </message>
    <message>
        <source>Ca</source>
        <translation>Ca</translation>
    </message>
    <message>
        <source>Cc</source>
        <translation>Cc</translation>
    </message>
    <message>
        <source>Não há companhia cadastrada com plano de vôo gerado para a data informada.</source>
        <translation>No airline has a flight plan generated for the date entered.</translation>
    </message>
    <message>
        <source>Data do plano de vôo deve ser informada.</source>
        <translation>The flight plan date must be entered.</translation>
    </message>
    <message>
        <source>Data do plano de vôo inválida.</source>
        <translation>Invalid flight plan date.</translation>
    </message>
    <message>
        <source>Não gerado</source>
        <translation>Not generated</translation>
    </message>
    <message>
        <source>Gerado</source>
        <translation>Generated</translation>
    </message>
    <message>
        <source>Atualizar (seg.) deve ser informado.</source>
        <translation>Refresh (sec.) must be entered.</translation>
    </message>
    <message>
        <source>Não há plano de vôo cadastrado para a data informada.</source>
        <translation>No flight plan is registered for the date entered.</translation>
    </message>
    <message>
        <source>Ft</source>
        <translation>In</translation>
    </message>
    <message>
        <source>Filial deve ser informada.</source>
        <translation>The branch must be entered.</translation>
    </message>
    <message>
        <source>Filial não cadastrada.</source>
        <translation>Branch not registered.</translation>
    </message>
    <message>
        <source>Filial com contrato rescindido.</source>
        <translation>The branch&apos;s contract has been terminated.</translation>
    </message>
    <message>
        <source>Código</source>
        <translation>Code</translation>
    </message>
    <message>
        <source>Nome</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Situação do plano de vôo</source>
        <translation>Flight plan situation</translation>
    </message>
    <message>
        <source>Pendente</source>
        <translation>Pending</translation>
    </message>
    <message>
        <source>Atendido</source>
        <translation>Attended</translation>
    </message>
    <message>
        <source>Cancelado</source>
        <translation>Cancelled</translation>
    </message>
    <message>
        <source>Cancelado com cobrança</source>
        <translation>Cancelled with charge</translation>
    </message>
    <message>
        <source>Faturado</source>
        <translation>Invoiced</translation>
    </message>
    <message>
        <source>Situação do serviço</source>
        <translation>Service situation</translation>
    </message>
    <message>
        <source>o breakdown do vôo já foi gerado.</source>
        <translation>the flight&apos;s breakdown has been generated.</translation>
    </message>
    <message>
        <source>o breakdown do vôo ainda não foi gerado.</source>
        <translation>the flight&apos;s breakdown has not been generated yet.</translation>
    </message>
    <message>
        <source>Nome da filial</source>
        <translation>Branch name</translation>
    </message>
    <message>
        <source>Planos de vôo</source>
        <translation>Flight plans</translation>
    </message>
    <message>
        <source>Previsão de passageiros</source>
        <translation>Passenger forecast</translation>
    </message>
    <message>
        <source>Serviços do plano de vôo</source>
        <translation>Flight plan services</translation>
    </message>
</context>
<context>
    <name>TfrmRelPosFecDiaPV</name>
    <message>
        <source>Posição do Fechamento Diário do Plano de Vôo</source>
        <translation>Daily Flight Plan Closing Position</translation>
    </message>
    <message>
        <source>Plano de Vôo</source>
        <translation>Flight Plan</translation>
    </message>
    <message>
        <source>Domingo</source>
        <translation>Sunday</translation>
    </message>
    <message>
        <source>Segunda</source>
        <translation>Monday</translation>
    </message>
    <message>
        <source>Terça</source>
        <translation>Tuesday</translation>
    </message>
    <message>
        <source>Quarta</source>
        <translation>Wednesday</translation>
    </message>
    <message>
        <source>Quinta</source>
        <translation>Thursday</translation>
    </message>
    <message>
        <source>Sexta</source>
        <translation>Friday</translation>
    </message>
    <message>
        <source>Sábado</source>
        <translation>Saturday</translation>
    </message>
    <message>
        <source>Companhia</source>
        <translation>Airline</translation>
    </message>
    <message>
        <source>Todas</source>
        <translation>All</translation>
    </message>
    <message>
        <source>Lista</source>
        <translation>List</translation>
    </message>
    <message>
        <source>Pesquisar</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>Não há companhia cadastrada.</source>
        <translation>No airline registered.</translation>
    </message>
    <message>
        <source>Situação</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Pendente</source>
        <translation>Pending</translation>
    </message>
    <message>
        <source>Atendido</source>
        <translation>Served</translation>
    </message>
    <message>
        <source>Cancelado</source>
        <translation>Cancelled</translation>
    </message>
    <message>
        <source>Canc. c/ Cobrança</source>
        <translation>Canc. w/ Charge</translation>
    </message>
    <message>
        <source>Faturado</source>
        <translation>Invoiced</translation>
    </message>
    <message>
        <source>Sigla</source>
        <translation>Code</translation>
    </message>
    <message>
        <source>Nome</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Data do Plano de Vôo deve ser informada.</source>
        <translation>The flight plan date must be given.</translation>
    </message>
    <message>
        <source>Companhia deve ser informada.</source>
        <translation>An airline must be given.</translation>
    </message>
    <message>
        <source>Situação deve ser informada.</source>
        <translation>A status must be given.</translation>
    </message>
    <message>
        <source>Não há companhia cadastrada com plano de vôo gerado para a data informada.</source>
        <translation>No airline has a flight plan generated for the given date.</translation>
    </message>
</context>
</TS>
