<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="pt_BR">
<context>
    <name>BusyIndicator</name>
    <message>
        <source>Conectando ao servidor...</source>
        <translation>Connecting to the server...</translation>
    </message>
    <message>
        <source>Gravando dados...</source>
        <translation>Saving data...</translation>
    </message>
    <message>
        <source>Excluindo dados...</source>
        <translation>Deleting data...</translation>
    </message>
    <message>
        <source>Processando...</source>
        <translation>Processing...</translation>
    </message>
    <message>
        <source>Imprimindo...</source>
        <translation>Printing...</translation>
    </message>
    <message>
        <source>Enviando dados...</source>
        <translation>Sending data...</translation>
    </message>
    <message>
        <source>Lendo dados...</source>
        <translation>Reading data...</translation>
    </message>
    <message>
        <source>Aguarde...</source>
        <translation>Please wait...</translation>
    </message>
</context>
<context>
    <name>ClientDataSet</name>
    <message>
        <source>Não é possível incluir o campo &apos;%1&apos; com o conjunto de dados aberto.</source>
        <translation>Field &apos;%1&apos; cannot be added while the data set is open.</translation>
    </message>
    <message>
        <source>Campo &apos;%1&apos; duplicado.</source>
        <translation>Duplicate field &apos;%1&apos;.</translation>
    </message>
    <message>
        <source>Campo &apos;%1&apos; não encontrado.</source>
        <translation>Field &apos;%1&apos; not found.</translation>
    </message>
    <message>
        <source>Pacote de dados inválido: número de linhas negativo.</source>
        <translation>Invalid data packet: negative row count.</translation>
    </message>
    <message>
        <source>Campo &apos;%1&apos; não encontrado no pacote de dados.</source>
        <translation>Field &apos;%1&apos; not found in the data packet.</translation>
    </message>
    <message>
        <source>Tipo incompatível para o campo &apos;%1&apos;: esperado %2, recebido %3.</source>
        <translation>Incompatible type for field &apos;%1&apos;: expected %2, received %3.</translation>
    </message>
    <message>
        <source>Pacote de dados inválido no campo &apos;%1&apos;: número de valores diferente do número de linhas.</source>
        <translation>Invalid data packet in field &apos;%1&apos;: the number of values differs from the number of rows.</translation>
    </message>
    <message>
        <source>Pacote de dados inválido no campo &apos;%1&apos;: valores de tipo diferente do declarado.</source>
        <translation>Invalid data packet in field &apos;%1&apos;: values of another type than declared.</translation>
    </message>
    <message>
        <source>Valor inválido no campo &apos;%1&apos;, linha %2.</source>
        <translation>Invalid value in field &apos;%1&apos;, row %2.</translation>
    </message>
    <message>
        <source>Registro %1 inexistente.</source>
        <translation>Record %1 does not exist.</translation>
    </message>
    <message>
        <source>Localizar: %1 valor(es) para %2 campo(s).</source>
        <translation>Locate: %1 value(s) for %2 field(s).</translation>
    </message>
    <message>
        <source>&apos;%1&apos; não é um valor numérico válido.</source>
        <translation>&apos;%1&apos; is not a valid number.</translation>
    </message>
    <message>
        <source>&apos;%1&apos; não é uma data válida.</source>
        <translation>&apos;%1&apos; is not a valid date.</translation>
    </message>
</context>
<context>
    <name>DbGrid</name>
    <message>
        <source>Copiar</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>Exportar para CSV…</source>
        <translation>Export to CSV…</translation>
    </message>
    <message>
        <source>Exportar para CSV</source>
        <translation>Export to CSV</translation>
    </message>
    <message>
        <source>Não foi possível gravar o arquivo &quot;%1&quot;: %2.</source>
        <translation>Could not write the file &quot;%1&quot;: %2.</translation>
    </message>
    <message>
        <source>Coluna %1 inexistente na grade.</source>
        <translation>Column %1 does not exist in the grid.</translation>
    </message>
</context>
<context>
    <name>HostContext</name>
    <message>
        <source>Conexão com o banco de dados mal formada: %1</source>
        <translation>Malformed database connection: %1</translation>
    </message>
    <message>
        <source>Valor inválido para %1 no arquivo de configuração: %2</source>
        <translation>Invalid value for %1 in the configuration file: %2</translation>
    </message>
    <message>
        <source>Porta inválida na conexão com o banco de dados: %1</source>
        <translation>Invalid port in the database connection: %1</translation>
    </message>
    <message>
        <source>Arquivo de configuração não encontrado: %1</source>
        <translation>Configuration file not found: %1</translation>
    </message>
    <message>
        <source>Arquivo de configuração inválido: %1</source>
        <translation>Invalid configuration file: %1</translation>
    </message>
    <message>
        <source>Certificado raiz não encontrado: %1</source>
        <translation>Root certificate not found: %1</translation>
    </message>
    <message>
        <source>Banco de dados local desconhecido no arquivo de configuração: %1</source>
        <translation>Unknown local database in the configuration file: %1</translation>
    </message>
    <message>
        <source>Não foi possível ler o token de %1.</source>
        <translation>Could not read the access token from %1.</translation>
    </message>
    <message>
        <source>A primeira linha de %1 não tem token de acesso.</source>
        <translation>The first line of %1 holds no access token.</translation>
    </message>
</context>
<context>
    <name>ListPickerDialog</name>
    <message>
        <source>Marcar todos</source>
        <translation>Mark all</translation>
    </message>
    <message>
        <source>Desmarcar todos</source>
        <translation>Unmark all</translation>
    </message>
</context>
<context>
    <name>LocalDatabase</name>
    <message>
        <source>Banco de dados local não configurado.</source>
        <translation>Local database not configured.</translation>
    </message>
    <message>
        <source>Não foi possível abrir o banco de dados local: %1</source>
        <translation>Could not open the local database: %1</translation>
    </message>
</context>
<context>
    <name>LookupDialog</name>
    <message>
        <source>Pesquisar:</source>
        <translation>Search:</translation>
    </message>
</context>
<context>
    <name>MessageDialog</name>
    <message>
        <source>Erro</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Informação</source>
        <translation>Information</translation>
    </message>
</context>
<context>
    <name>PesquisaLista</name>
    <message>
        <source>Não há registros para pesquisar.</source>
        <translation>There are no records to search.</translation>
    </message>
    <message>
        <source>Campo %1 não encontrado.</source>
        <translation>Field %1 not found.</translation>
    </message>
</context>
<context>
    <name>PickerParts</name>
    <message>
        <source>Cancelar</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>Platform</name>
    <message>
        <source>Erro inesperado.</source>
        <translation>Unexpected error.</translation>
    </message>
</context>
<context>
    <name>ReportDefinition</name>
    <message>
        <source>Definição de relatório inválida (%1, linha %2): %3</source>
        <translation>Invalid report definition (%1, line %2): %3</translation>
    </message>
    <message>
        <source>coluna com mais de cinco partes.</source>
        <translation>column with more than five parts.</translation>
    </message>
    <message>
        <source>coluna sem nome.</source>
        <translation>column without a name.</translation>
    </message>
    <message>
        <source>largura &quot;%1&quot; inválida.</source>
        <translation>invalid width &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>alinhamento &quot;%1&quot; inválido.</source>
        <translation>invalid alignment &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>linha de grupo sem &quot;|&quot;.</source>
        <translation>group line without &quot;|&quot;.</translation>
    </message>
    <message>
        <source>item de grupo &quot;%1&quot; desconhecido.</source>
        <translation>unknown group item &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>o relatório &quot;%1&quot; não tem consulta.</source>
        <translation>report &quot;%1&quot; has no query.</translation>
    </message>
    <message>
        <source>o relatório &quot;%1&quot; não tem colunas.</source>
        <translation>report &quot;%1&quot; has no columns.</translation>
    </message>
    <message>
        <source>o grupo do relatório &quot;%1&quot; não tem &quot;key&quot;.</source>
        <translation>the group of report &quot;%1&quot; has no &quot;key&quot;.</translation>
    </message>
    <message>
        <source>o total &quot;%1&quot; não é uma coluna do relatório.</source>
        <translation>total &quot;%1&quot; is not a column of the report.</translation>
    </message>
    <message>
        <source>relatório sem título.</source>
        <translation>report without a title.</translation>
    </message>
    <message>
        <source>seção antes de &quot;[report]&quot;.</source>
        <translation>section before &quot;[report]&quot;.</translation>
    </message>
    <message>
        <source>texto fora de uma seção.</source>
        <translation>text outside a section.</translation>
    </message>
    <message>
        <source>Não foi possível ler o arquivo de relatórios &quot;%1&quot;: %2</source>
        <translation>Could not read the report file &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>Não foi possível gravar o arquivo de relatórios &quot;%1&quot;: %2</source>
        <translation>Could not write the report file &quot;%1&quot;: %2</translation>
    </message>
</context>
<context>
    <name>ReportDesigner</name>
    <message>
        <source>Exportar PDF...</source>
        <translation>Export PDF...</translation>
    </message>
    <message>
        <source>Exportar o relatório para um arquivo PDF</source>
        <translation>Export the report to a PDF file</translation>
    </message>
    <message>
        <source>Exportar PDF</source>
        <translation>Export PDF</translation>
    </message>
    <message>
        <source>Escolha o relatório.</source>
        <translation>Choose the report.</translation>
    </message>
    <message>
        <source>O relatório &quot;%1&quot; não está mais no arquivo de definição.</source>
        <translation>Report &quot;%1&quot; is no longer in the definition file.</translation>
    </message>
    <message>
        <source>Já existe um relatório com o título &quot;%1&quot;.</source>
        <translation>A report titled &quot;%1&quot; already exists.</translation>
    </message>
    <message>
        <source>Emitido em %1</source>
        <translation>Issued on %1</translation>
    </message>
    <message>
        <source>1 registro</source>
        <translation>1 record</translation>
    </message>
    <message>
        <source>%1 registros</source>
        <translation>%1 records</translation>
    </message>
    <message>
        <source>A coluna &quot;%1&quot; do relatório &quot;%2&quot; não está no resultado da consulta.</source>
        <translation>Column &quot;%1&quot; of report &quot;%2&quot; is not in the query result.</translation>
    </message>
    <message>
        <source>O parâmetro &quot;%1&quot; do relatório &quot;%2&quot; não está na consulta.</source>
        <translation>Parameter &quot;%1&quot; of report &quot;%2&quot; is not in the query.</translation>
    </message>
    <message>
        <source>Não foi possível iniciar a impressão do relatório.</source>
        <translation>Could not start printing the report.</translation>
    </message>
    <message>
        <source>Página %1 de %2</source>
        <translation>Page %1 of %2</translation>
    </message>
    <message>
        <source>Não foi possível gravar o PDF &quot;%1&quot;: %2</source>
        <translation>Could not write the PDF &quot;%1&quot;: %2</translation>
    </message>
</context>
<context>
    <name>SavedOptions</name>
    <message>
        <source>Não foi possível gravar as opções em &quot;%1&quot;: %2</source>
        <translation>Could not save the options to &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>a pasta não pôde ser criada.</source>
        <translation>the folder could not be created.</translation>
    </message>
    <message>
        <source>Não foi possível ler as opções de &quot;%1&quot;: %2</source>
        <translation>Could not read the options from &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>o arquivo não pôde ser gravado.</source>
        <translation>the file could not be written.</translation>
    </message>
    <message>
        <source>o arquivo está danificado.</source>
        <translation>the file is damaged.</translation>
    </message>
    <message>
        <source>o arquivo não pôde ser lido.</source>
        <translation>the file could not be read.</translation>
    </message>
</context>
<context>
    <name>TADOIBQuery</name>
    <message>
        <source>Valor inválido para o campo %1: %2</source>
        <translation>Invalid value for field %1: %2</translation>
    </message>
    <message>
        <source>Erro na consulta ao banco de dados local: %1</source>
        <translation>Local database query failed: %1</translation>
    </message>
</context>
<context>
    <name>TBtnPesquisa</name>
    <message>
        <source>Pesquisar</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>Não há registros para pesquisar.</source>
        <translation>There are no records to search.</translation>
    </message>
</context>
<context>
    <name>TDateEditPlus</name>
    <message>
        <source>Domingo</source>
        <translation>Sun</translation>
    </message>
    <message>
        <source>Segunda</source>
        <translation>Mon</translation>
    </message>
    <message>
        <source>Terça</source>
        <translation>Tue</translation>
    </message>
    <message>
        <source>Quarta</source>
        <translation>Wed</translation>
    </message>
    <message>
        <source>Quinta</source>
        <translation>Thu</translation>
    </message>
    <message>
        <source>Sexta</source>
        <translation>Fri</translation>
    </message>
    <message>
        <source>Sábado</source>
        <translation>Sat</translation>
    </message>
    <message>
        <source>%1 não é uma data válida.</source>
        <translation>%1 is not a valid date.</translation>
    </message>
</context>
<context>
    <name>TNetConnection</name>
    <message>
        <source>servidor indisponível</source>
        <translation>server unavailable</translation>
    </message>
    <message>
        <source>tempo de resposta esgotado</source>
        <translation>response timed out</translation>
    </message>
    <message>
        <source>acesso não autenticado</source>
        <translation>access not authenticated</translation>
    </message>
    <message>
        <source>acesso negado</source>
        <translation>access denied</translation>
    </message>
    <message>
        <source>limite de recursos excedido: %1</source>
        <translation>resource limit exceeded: %1</translation>
    </message>
    <message>
        <source>serviço desconhecido por este servidor</source>
        <translation>service unknown to this server</translation>
    </message>
    <message>
        <source>erro %1: %2</source>
        <translation>error %1: %2</translation>
    </message>
    <message>
        <source>Não foi possível ler o certificado do servidor de aplicação %1 (%2).</source>
        <translation>Could not read the application server certificate %1 (%2).</translation>
    </message>
    <message>
        <source>Não foi possível conectar ao servidor de aplicação %1 (%2).</source>
        <translation>Could not connect to the application server %1 (%2).</translation>
    </message>
    <message>
        <source>endereço do servidor não informado</source>
        <translation>server address not given</translation>
    </message>
    <message>
        <source>porta inválida</source>
        <translation>invalid port</translation>
    </message>
    <message>
        <source>o token de acesso só é enviado por conexão segura; ative o TLS</source>
        <translation>the access token is only sent over a secure connection; turn TLS on</translation>
    </message>
    <message>
        <source>nenhum dos endereços foi encontrado</source>
        <translation>none of the addresses was found</translation>
    </message>
    <message>
        <source>servidor indisponível ou certificado não aceito</source>
        <translation>server unavailable or certificate not accepted</translation>
    </message>
    <message>
        <source>tempo de conexão esgotado</source>
        <translation>connection timed out</translation>
    </message>
    <message>
        <source>O argumento %1 de %2 tem um valor que não pode ser enviado ao servidor de aplicação.</source>
        <translation>Argument %1 of %2 has a value that cannot be sent to the application server.</translation>
    </message>
    <message>
        <source>Não foi possível comunicar com o servidor de aplicação %1 (%2).</source>
        <translation>Could not communicate with the application server %1 (%2).</translation>
    </message>
    <message>
        <source>O servidor de aplicação %1 enviou uma resposta inválida para %2 (%3).</source>
        <translation>The application server %1 sent an invalid reply to %2 (%3).</translation>
    </message>
    <message>
        <source>O servidor de aplicação %1 recusou %2 sem dizer o motivo.</source>
        <translation>The application server %1 refused %2 without giving a reason.</translation>
    </message>
    <message>
        <source>resposta ilegível</source>
        <translation>unreadable reply</translation>
    </message>
    <message>
        <source>sem pacote de dados nem falha</source>
        <translation>neither a data packet nor a failure</translation>
    </message>
    <message>
        <source>%1 valores por referência, eram esperados %2</source>
        <translation>%1 by-reference values, %2 were expected</translation>
    </message>
    <message>
        <source>valor devolvido no argumento %1 de tipo incompatível</source>
        <translation>value returned in argument %1 of an incompatible type</translation>
    </message>
    <message>
        <source>pacote com linhas demais (%1)</source>
        <translation>packet with too many rows (%1)</translation>
    </message>
    <message>
        <source>coluna %1 do pacote com data fora do intervalo</source>
        <translation>packet column %1 with a date out of range</translation>
    </message>
</context>
<context>
    <name>TParams</name>
    <message>
        <source>Parâmetro %1 não encontrado.</source>
        <translation>Parameter %1 not found.</translation>
    </message>
</context>
<context>
    <name>host::TfrmDadosGerRel</name>
    <message>
        <source>O arquivo contendo a definição do relatório de código &apos;%s&apos; não foi encontrado no diretório &apos;%s&apos;.</source>
        <translation>The file with the definition of report code &apos;%s&apos; was not found in folder &apos;%s&apos;.</translation>
    </message>
    <message>
        <source>Título do relatório</source>
        <translation>Report title</translation>
    </message>
    <message>
        <source>Informe o título do relatório:</source>
        <translation>Enter the report title:</translation>
    </message>
    <message>
        <source>Imprimir</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>Fechar</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Relatório</source>
        <translation>Report</translation>
    </message>
    <message>
        <source>Novo relatório...</source>
        <translation>New report...</translation>
    </message>
    <message>
        <source>Atualizar lista</source>
        <translation>Refresh list</translation>
    </message>
</context>
<context>
    <name>host::TfrmFiltroPadrao</name>
    <message>
        <source>Confirmar</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>Fechar</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Salvar opções</source>
        <translation>Save options</translation>
    </message>
    <message>
        <source>Carregar opções</source>
        <translation>Load options</translation>
    </message>
    <message>
        <source>Opções gravadas.</source>
        <translation>Options saved.</translation>
    </message>
    <message>
        <source>Não há opções gravadas para esta tela.</source>
        <translation>There are no saved options for this screen.</translation>
    </message>
</context>
<context>
    <name>host::TfrmPadraoSimples</name>
    <message>
        <source>Ajuda desta tela: arquivo &quot;%s&quot;, tópico %s.</source>
        <translation>Help for this screen: file &quot;%s&quot;, topic %s.</translation>
    </message>
    <message>
        <source>Não há ajuda disponível para esta tela.</source>
        <translation>There is no help for this screen.</translation>
    </message>
    <message>
        <source>Não foi possível iniciar a impressão.</source>
        <translation>Could not start printing.</translation>
    </message>
    <message>
        <source>&amp;Manutenção</source>
        <translation>&amp;Maintenance</translation>
    </message>
    <message>
        <source>Incluir</source>
        <translation>Insert</translation>
    </message>
    <message>
        <source>Alterar</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>Excluir</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Procurar</source>
        <translation>Find</translation>
    </message>
    <message>
        <source>Cancelar</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Confirmar</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>&amp;Operação</source>
        <translation>&amp;Operation</translation>
    </message>
    <message>
        <source>Configurar Impressora...</source>
        <translation>Printer Setup...</translation>
    </message>
    <message>
        <source>Verificar</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>Imprimir</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>Ajuda</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>Restaurar disposição original</source>
        <translation>Restore original layout</translation>
    </message>
    <message>
        <source>Fechar</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Ordenar</source>
        <translation>Sort</translation>
    </message>
</context>
</TS>
