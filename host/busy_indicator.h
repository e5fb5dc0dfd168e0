#pragma once

#include <QString>

class QWidget;

namespace host {

// Kinds of busy animation; each shows its own text.
enum BusyKind {
    BusyConnecting = 0, // "Conectando ao servidor..."
    BusySaving = 1,     // "Gravando dados..."
    BusyDeleting = 2,   // "Excluindo dados..."
    BusyProcessing = 3, // "Processando..."
    BusyPrinting = 4,   // "Imprimindo..."
    BusySending = 5,    // "Enviando dados..."
    BusyReading = 6,    // "Lendo dados..."
};

// Shows the busy animation: a small frameless panel centred over the main
// window (over the screen when there is none), painted at once because the
// work that follows blocks the event loop. A second call switches the text.
void ActiveShowAvi(QWidget *mainWindow, int kind);

// Hides it; harmless when it is not shown. Callers hide it on every path.
void DeactiveShowAvi();

bool busyIndicatorVisible();
int busyIndicatorKind(); // -1 when hidden
QString busyIndicatorText(int kind);

// Shows the animation for a scope and hides it on every way out.
class BusyIndicator
{
public:
    BusyIndicator(QWidget *mainWindow, int kind) { ActiveShowAvi(mainWindow, kind); }
    ~BusyIndicator() { DeactiveShowAvi(); }
    BusyIndicator(const BusyIndicator &) = delete;
    BusyIndicator &operator=(const BusyIndicator &) = delete;
};

} // namespace host
