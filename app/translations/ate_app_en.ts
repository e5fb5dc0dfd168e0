<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="pt_BR">
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
</context>
</TS>
