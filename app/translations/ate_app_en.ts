<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="pt_BR">
<context>
    <name>CommandLine</name>
    <message>
        <source>Valor inválido para --%1: &quot;%2&quot; (%3).</source>
        <translation>Invalid value for --%1: &quot;%2&quot; (%3).</translation>
    </message>
    <message>
        <source>de %1 a %2</source>
        <translation>from %1 to %2</translation>
    </message>
    <message>
        <source>não pode ficar vazio</source>
        <translation>cannot be empty</translation>
    </message>
    <message>
        <source>Opção desconhecida: --%1.</source>
        <translation>Unknown option: --%1.</translation>
    </message>
    <message>
        <source>A opção --%1 não leva valor.</source>
        <translation>The option --%1 takes no value.</translation>
    </message>
    <message>
        <source>Falta o valor de --%1.</source>
        <translation>The value of --%1 is missing.</translation>
    </message>
    <message>
        <source>Argumento inesperado: &quot;%1&quot;.</source>
        <translation>Unexpected argument: &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>Use --bound ou --unbound, não os dois.</source>
        <translation>Use --bound or --unbound, not both.</translation>
    </message>
    <message>
        <source>Use --token ou --token-file, não os dois.</source>
        <translation>Use --token or --token-file, not both.</translation>
    </message>
    <message>
        <source>Use --local-db ou --local-pg, não os dois.</source>
        <translation>Use --local-db or --local-pg, not both.</translation>
    </message>
    <message>
        <source>--screenshot precisa de --open com a tela a mostrar.</source>
        <translation>--screenshot needs --open with the screen to show.</translation>
    </message>
    <message>
        <source>--report-pdf precisa de --open com a tela do relatório.</source>
        <translation>--report-pdf needs --open with the report's screen.</translation>
    </message>
    <message>
        <source>Use --screenshot ou --report-pdf, não os dois.</source>
        <translation>Use --screenshot or --report-pdf, not both.</translation>
    </message>
    <message>
        <source>--maximize-screen precisa de --open com a tela a abrir.</source>
        <translation>--maximize-screen needs --open with the screen to open.</translation>
    </message>
    <message>
        <source>Uso: ate-host [opções]
  --config ARQUIVO        arquivo INI com as seções [branch], [server] e [database]
  --branch CÓDIGO         filial atual (até 4 letras ou dígitos)
  --branch-name NOME      nome da filial (padrão: lido da tabela FILIAL do banco local)
  --bound | --unbound     o módulo fica preso à filial (ModuFili) ou não
  --server HOST           servidor de aplicação (padrão localhost)
  --port PORTA            porta do servidor (padrão 50051)
  --token TEXTO           token enviado a cada chamada (visível na lista de processos)
  --token-file ARQUIVO    lê o token da primeira linha do arquivo
  --tls                   conexão com TLS
  --root-cert ARQUIVO     certificado raiz PEM do servidor (liga o TLS)
  --deadline-ms N         tempo máximo de cada chamada (padrão 5000)
  --local-db ARQUIVO      banco local SQLite
  --local-pg CONEXÃO      banco local PostgreSQL (&quot;host=… dbname=… user=…&quot;)
  --plugins PASTA         pasta dos pacotes (padrão: a do programa instalado)
  --open CÓDIGO           abre a tela ao iniciar, por exemplo ATE25400
  --maximize-screen       abre a tela de --open maximizada na janela principal
  --screenshot ARQUIVO    grava a janela em PNG quando a tela terminar a primeira carga
                          (depois de descer uma linha na primeira grade e voltar, como
                          faria o usuário) e encerra (0: sucesso)
  --screenshot-timeout-ms N  espera máxima pela primeira carga (padrão 20000)
  --report-pdf ARQUIVO    quando a tela terminar a primeira carga, usa o comando de
                          impressão com os valores iniciais do formulário, grava o
                          relatório em PDF e encerra (0: sucesso)
  --version               mostra a versão
  --help                  mostra esta ajuda
</source>
        <translation>Usage: ate-host [options]
  --config FILE           INI file with the sections [branch], [server] and [database]
  --branch CODE           current branch (up to 4 letters or digits)
  --branch-name NAME      the branch's name (default: read from the local database's FILIAL table)
  --bound | --unbound     the module is bound to the branch (ModuFili) or not
  --server HOST           application server (default localhost)
  --port PORT             the server's port (default 50051)
  --token TEXT            token sent with every call (visible in the process list)
  --token-file FILE       reads the token from the file's first line
  --tls                   connect with TLS
  --root-cert FILE        the server's PEM root certificate (turns TLS on)
  --deadline-ms N         longest time of each call (default 5000)
  --local-db FILE         local SQLite database
  --local-pg CONNECTION   local PostgreSQL database (&quot;host=… dbname=… user=…&quot;)
  --plugins FOLDER        the packages' folder (default: the installed program's)
  --open CODE             opens the screen at start, for example ATE25400
  --maximize-screen       opens the screen of --open maximized in the main window
  --screenshot FILE       saves the window as PNG when the screen has finished its first
                          load (after moving one row down the first grid and back, as
                          a user would) and exits (0: success)
  --screenshot-timeout-ms N  longest wait for the first load (default 20000)
  --report-pdf FILE       when the screen has finished its first load, uses the print
                          command with the form's initial values, saves the report as
                          PDF and exits (0: success)
  --version               shows the version
  --help                  shows this help
</translation>
    </message>
</context>
<context>
    <name>HostSession</name>
    <message>
        <source>Tela não encontrada: %1.</source>
        <translation>Screen not found: %1.</translation>
    </message>
</context>
<context>
    <name>PackageLoader</name>
    <message>
        <source>O pacote %1 não exporta %2.</source>
        <translation>Package %1 does not export %2.</translation>
    </message>
    <message>
        <source>Pasta de pacotes não encontrada: %1</source>
        <translation>Package folder not found: %1</translation>
    </message>
    <message>
        <source>O pacote %1 já está carregado.</source>
        <translation>Package %1 is already loaded.</translation>
    </message>
    <message>
        <source>Não foi possível carregar o pacote %1: %2</source>
        <translation>Could not load package %1: %2</translation>
    </message>
    <message>
        <source>O pacote %1 foi feito para outra versão do host.</source>
        <translation>Package %1 was built for another version of the host.</translation>
    </message>
</context>
<context>
    <name>ReportPdfJob</name>
    <message>
        <source>a tela não abriu: %1</source>
        <translation>the screen did not open: %1</translation>
    </message>
    <message>
        <source>a tela não terminou a primeira carga em %1 s.</source>
        <translation>the screen did not finish its first load in %1 s.</translation>
    </message>
    <message>
        <source>a tela aberta não tem o comando de impressão.</source>
        <translation>the open screen has no print command.</translation>
    </message>
    <message>
        <source>o relatório falhou: %1</source>
        <translation>the report failed: %1</translation>
    </message>
    <message>
        <source>o formulário do relatório não abriu.</source>
        <translation>the report form did not open.</translation>
    </message>
    <message>
        <source>o relatório não gravou %1.</source>
        <translation>the report did not write %1.</translation>
    </message>
    <message>
        <source>relatório gravado em %1 (%2 bytes)</source>
        <translation>report written to %1 (%2 bytes)</translation>
    </message>
    <message>
        <source>relatório não gravado: %1</source>
        <translation>report not written: %1</translation>
    </message>
</context>
<context>
    <name>ScreenshotJob</name>
    <message>
        <source>a tela não abriu: %1</source>
        <translation>the screen did not open: %1</translation>
    </message>
    <message>
        <source>a janela principal foi fechada.</source>
        <translation>the main window was closed.</translation>
    </message>
    <message>
        <source>a tela falhou antes da captura: %1</source>
        <translation>the screen failed before the capture: %1</translation>
    </message>
    <message>
        <source>a tela não terminou a primeira carga em %1 s.</source>
        <translation>the screen did not finish its first load in %1 s.</translation>
    </message>
    <message>
        <source>captura não feita: %1</source>
        <translation>no picture taken: %1</translation>
    </message>
    <message>
        <source>não foi possível gravar %1</source>
        <translation>could not write %1</translation>
    </message>
    <message>
        <source>tela gravada em %1 (%2x%3)</source>
        <translation>screen written to %1 (%2x%3)</translation>
    </message>
</context>
<context>
    <name>UnattendedDialogs</name>
    <message>
        <source>erro</source>
        <translation>error</translation>
    </message>
    <message>
        <source>aviso</source>
        <translation>notice</translation>
    </message>
    <message>
        <source>seleção cancelada: %1</source>
        <translation>selection cancelled: %1</translation>
    </message>
    <message>
        <source>pesquisa cancelada: %1</source>
        <translation>lookup cancelled: %1</translation>
    </message>
</context>
<context>
    <name>app::MainWindow</name>
    <message>
        <source>&amp;Arquivo</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>&amp;Sair</source>
        <translation>&amp;Quit</translation>
    </message>
    <message>
        <source>&amp;Telas</source>
        <translation>&amp;Screens</translation>
    </message>
    <message>
        <source>&amp;Janela</source>
        <translation>&amp;Window</translation>
    </message>
    <message>
        <source>&amp;Cascata</source>
        <translation>&amp;Cascade</translation>
    </message>
    <message>
        <source>&amp;Lado a lado</source>
        <translation>&amp;Tile</translation>
    </message>
    <message>
        <source>Catering — Filial %1</source>
        <translation>Catering — Branch %1</translation>
    </message>
    <message>
        <source>Catering — Filial %1 %2</source>
        <translation>Catering — Branch %1 %2</translation>
    </message>
</context>
<context>
    <name>app::ServerStatus</name>
    <message>
        <source>Filial %1</source>
        <translation>Branch %1</translation>
    </message>
    <message>
        <source>Servidor %1</source>
        <translation>Server %1</translation>
    </message>
    <message>
        <source>Nenhuma leitura ainda.</source>
        <translation>No reading yet.</translation>
    </message>
    <message>
        <source>Última leitura às %1: ok.</source>
        <translation>Last reading at %1: ok.</translation>
    </message>
    <message>
        <source>Servidor sem resposta desde %1: %2</source>
        <translation>Server not answering since %1: %2</translation>
    </message>
    <message>
        <source> Última leitura com sucesso às %1.</source>
        <translation> Last successful reading at %1.</translation>
    </message>
    <message>
        <source> Posição desatualizada.</source>
        <translation> Position out of date.</translation>
    </message>
    <message>
        <source>Alterações ao vivo desde %1.</source>
        <translation>Changes live since %1.</translation>
    </message>
    <message>
        <source>Alterações do servidor interrompidas desde %1: atualização a cada %2 s.</source>
        <translation>Server changes interrupted since %1: refreshed every %2 s.</translation>
    </message>
    <message>
        <source>Atualização a cada %1 s.</source>
        <translation>Refreshed every %1 s.</translation>
    </message>
</context>
</TS>
