// One full repaint of a 2,000-row flight-plan grid with the closing position
// screen's cell painter (texts, status colours, times), printed beside the
// same grid painted without the owner-draw hook, measured in the same run.

#include "client_data_set.h"
#include "frm_pos_fec_dia_pla_voo.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QHeaderView>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace platform;

namespace {

constexpr int Rows = 2000;
constexpr int Repeats = 5;

// A day of flights for the screen's own flight-plan fields, so the packet
// always fits the record set it is loaded into.
DataPacket planPacket(const ClientDataSet &planoVoo)
{
    DataPacket packet;
    for (const auto &field : planoVoo.fields())
        packet.fields.append({field->name(), field->type(), field->size()});
    for (int r = 0; r < Rows; ++r) {
        QVariantList row;
        const QTime departure(r / 60 % 24, r % 60);
        for (int f = 0; f < packet.fields.size(); ++f) {
            const QString &name = packet.fields[f].name;
            QVariant value;
            if (name == "DTHRPLAVOOPV")
                value = civilDateTime(QDate(2024, 3, 1), departure);
            else if (name == "HRDECOLVOO")
                value = departure.toString("hhmm");
            else if (name == "NRVOO")
                value = QString::number(1000 + r);
            else if (name == "IDSITABASPV")
                value = QString::number(r % 6); // every situation, and 0
            else if (name == "IDBREAKGERA")
                value = QString::number(r % 3);
            else if (name == "SGCIA")
                value = QStringLiteral("GOL");
            else if (name == "SGBASEO" || name == "SGBASED")
                value = r % 2 ? QStringLiteral("GRU") : QStringLiteral("GIG");
            else
                value = name.left(packet.fields[f].size);
            row << value;
        }
        packet.appendRow(row);
    }
    return packet;
}

// The median of a few full repaints, in milliseconds.
double medianMillis(const std::function<void()> &work)
{
    std::vector<double> times;
    for (int i = 0; i < Repeats; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    // The form alone: no creation handler, so no server is needed.
    Cli_ate25400::TfrmPosFecDiaPlaVoo form;
    DBGrid *grid = form.dbgPlanoVoo;
    form.cdsPlanoVoo->loadPacket(planPacket(*form.cdsPlanoVoo));
    // On its own and tall enough for every row, so one repaint paints all
    // 2,000 (inside the hidden form its viewport keeps a few rows).
    grid->setParent(nullptr);
    grid->resize(400, grid->horizontalHeader()->sizeHint().height() + Rows * grid->rowHeight(0) + 4);
    grid->show();
    QCoreApplication::processEvents();
    QImage canvas(grid->size(), QImage::Format_ARGB32_Premultiplied);
    const auto repaint = [&] { grid->render(&canvas); };

    // The screen's own painter, counted, so the figures say how many cells
    // one repaint really painted.
    long cells = 0;
    grid->setOnDrawColumnCell([&](QPainter &painter, const QRect &rect, int row,
                                  const GridColumn &column, GridDrawState state) {
        ++cells;
        form.dbgPlanoVooDrawColumnCell(painter, rect, row, column, state);
    });
    repaint();
    const long cellsPerRepaint = cells;

    repaint(); // warm up fonts and glyph caches
    const double owner = medianMillis(repaint);
    grid->setOnDrawColumnCell({});
    const double plain = medianMillis(repaint);

    std::printf("full repaint, %d rows x %d columns, %ld cells owner-drawn (median of %d)\n",
                Rows, grid->columnCount(), cellsPerRepaint, Repeats);
    std::printf("  with the screen's painter  %9.2f ms\n", owner);
    std::printf("  baseline, no owner draw    %9.2f ms   ratio %5.2f\n", plain,
                plain > 0 ? owner / plain : 0.0);
    delete grid; // taken out of the form above
    return 0;
}
