// One full repaint of a 2,000-row flight-plan grid with the closing position
// screen's cell painter (texts, status colours, times), printed beside the
// same grid painted without the owner-draw hook, measured in the same run:
// the two repaints alternate, round by round, so both are equally warm.
// Twice: repainting rows already painted, and the first repaint after a
// load (what the refresh tick shows), when the painter works its rows out.

#include "platform/client_data_set.h"
#include "screen/frm_pos_fec_dia_pla_voo.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace platform;

namespace {

constexpr int Rows = 2000;
constexpr int Repeats = 7;

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

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double millisOf(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

void report(const char *what, double owner, double plain)
{
    const double ratio = plain > 0 ? owner / plain : 0.0;
    std::printf(
        "  %-34s %9.2f ms   floor, no owner draw %9.2f ms   ratio %5.2f   target <= 1.30: %s\n",
        what, owner, plain, ratio, ratio <= 1.3 ? "met" : "MISSED");
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
    grid->resize(400,
                 grid->horizontalHeader()->sizeHint().height() + Rows * grid->rowHeight(0) + 4);
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

    const DBGrid::DrawColumnCell screenPainter = [&](QPainter &painter, const QRect &rect, int row,
                                                     const GridColumn &column,
                                                     GridDrawState state) {
        form.dbgPlanoVooDrawColumnCell(painter, rect, row, column, state);
    };
    const DataPacket packet = planPacket(*form.cdsPlanoVoo);
    repaint(); // warm up fonts and glyph caches
    std::vector<double> owner, plain, ownerAfterLoad, plainAfterLoad;
    for (int i = 0; i < Repeats; ++i) {
        // A load, then the same rows again: with the painter, then without.
        form.cdsPlanoVoo->loadPacket(packet);
        grid->setOnDrawColumnCell(screenPainter);
        ownerAfterLoad.push_back(millisOf(repaint));
        owner.push_back(millisOf(repaint));
        form.cdsPlanoVoo->loadPacket(packet);
        grid->setOnDrawColumnCell({});
        plainAfterLoad.push_back(millisOf(repaint));
        plain.push_back(millisOf(repaint));
    }

    std::printf("full repaint, %d rows x %d columns, %ld cells owner-drawn (medians of %d "
                "alternating rounds)\n",
                Rows, grid->columnCount(), cellsPerRepaint, Repeats);
    report("with the screen's painter", median(owner), median(plain));
    report("first repaint after a load", median(ownerAfterLoad), median(plainAfterLoad));
    delete grid; // taken out of the form above
    return 0;
}
