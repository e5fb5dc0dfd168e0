// Loading and painting a day of flight plans: the record set and its grid
// beside a plain QStandardItemModel and QTableView holding the same rows,
// measured in the same run.

#include "platform/client_data_set.h"
#include "platform/data_source.h"
#include "platform/db_grid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QPainter>
#include <QStandardItemModel>
#include <QTableView>

#include <cstdio>
#include <functional>

using namespace platform;

namespace {

constexpr int Rows = 2000;
constexpr int Repeats = 20;

const QList<PacketField> &planFields()
{
    static const QList<PacketField> fields = {
        {"CDCIA", FieldType::String, 4},       {"SGCIA", FieldType::String, 5},
        {"CDTRECHO", FieldType::String, 4},    {"NRVOO", FieldType::String, 5},
        {"IDSITABASPV", FieldType::String, 1}, {"IDBREAKGERA", FieldType::String, 1},
        {"CDBASEORI", FieldType::String, 4},   {"CDBASEDES", FieldType::String, 4},
        {"HRDECOLVOO", FieldType::String, 4},  {"SGBASEO", FieldType::String, 5},
        {"SGBASED", FieldType::String, 5},     {"DTHRPLAVOOPV", FieldType::DateTime, 0},
        {"CDFILIAL", FieldType::String, 4},
    };
    return fields;
}

DataPacket planPacket()
{
    const QList<PacketField> &fields = planFields();
    QList<QVariantList> rows;
    for (int r = 0; r < Rows; ++r) {
        QVariantList row;
        for (int f = 0; f < fields.size(); ++f) {
            if (fields[f].type == FieldType::DateTime)
                row << civilDateTime(QDate(2024, 3, 1), QTime(r % 24, r % 60));
            else
                row << QString::number((r * 7 + f) % 100000).left(fields[f].size);
        }
        rows << row;
    }
    return DataPacket::fromRows(fields, rows);
}

double millis(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < Repeats; ++i)
        work();
    return double(timer.nsecsElapsed()) / 1e6 / Repeats;
}

void report(const char *what, double measured, double baseline)
{
    std::printf("%-34s %9.3f ms   baseline %9.3f ms   ratio %5.2f\n", what, measured, baseline,
                baseline > 0 ? measured / baseline : 0.0);
}

void addPlanColumns(DBGrid &grid)
{
    grid.addColumn("IDSITABASPV", {}, 22);
    grid.addColumn("HRDECOLVOO", "ETD", 35);
    grid.addColumn("SGCIA", "Sigla", 35);
    grid.addColumn("NRVOO", "Vôo", 35);
    grid.addColumn("SGBASEO", "Base Origem", 65);
    grid.addColumn("SGBASED", "Base Destino", 68);
    grid.addColumn("IDBREAKGERA", "Breakdown", 62);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    ClientDataSet set;
    for (const PacketField &field : planFields())
        set.addField(field.name, field.type, field.size);
    set.fieldByName("IDSITABASPV").setOnGetText([](Field &field, QString &text, bool) {
        text = QStringLiteral("SIT") + field.asString();
    });
    DataSource source(&set);
    std::vector<int> plainWidths;
    DBGrid grid;
    grid.resize(640, 480);
    grid.setDataSource(&source);
    addPlanColumns(grid);
    grid.setOnDrawColumnCell(
        [](QPainter &painter, const QRect &rect, int, const GridColumn &column, GridDrawState) {
            painter.fillRect(rect, QColor(255, 255, 225));
            painter.drawText(rect.adjusted(2, 2, 0, 0), column.field()->text());
        });
    for (int c = 0; c < 7; ++c)
        plainWidths.push_back(grid.columnWidth(c));
    grid.show();

    // The baseline: the same rows copied into a standard model.
    QStandardItemModel standard;
    QTableView plain;
    plain.resize(640, 480);
    plain.setModel(&standard);
    plain.verticalHeader()->hide();
    plain.verticalHeader()->setDefaultSectionSize(grid.verticalHeader()->defaultSectionSize());
    plain.show();

    const DataPacket packet = planPacket();
    const double load = millis([&] {
        DataPacket copy = packet; // the packet arrives fresh each time
        set.loadPacket(std::move(copy));
    });
    const double loadCopyCost = millis([&] { DataPacket copy = packet; });
    const double standardLoad = millis([&] {
        standard.clear();
        standard.setColumnCount(7);
        standard.setRowCount(Rows);
        const int shown[] = {4, 8, 1, 3, 9, 10, 5};
        for (int r = 0; r < Rows; ++r) {
            for (int c = 0; c < 7; ++c)
                standard.setItem(r, c,
                                 new QStandardItem(packet.columns[shown[c]].value(r).toString()));
        }
    });
    for (int c = 0; c < 7; ++c)
        plain.setColumnWidth(c, plainWidths[c]);
    report("load 2000 rows (packet copy incl.)", load, standardLoad);
    report("  of which copying the packet", loadCopyCost, standardLoad);

    const double paint = millis([&] { grid.viewport()->grab(); });
    const double standardPaint = millis([&] { plain.viewport()->grab(); });
    report("repaint one screen, owner-drawn", paint, standardPaint);
    const DBGrid::DrawColumnCell painter = [](QPainter &painter, const QRect &rect, int,
                                              const GridColumn &column, GridDrawState) {
        painter.fillRect(rect, QColor(255, 255, 225));
        painter.drawText(rect.adjusted(2, 2, 0, 0), column.field()->text());
    };
    grid.setOnDrawColumnCell({});
    const double defaultPaint = millis([&] { grid.viewport()->grab(); });
    report("repaint one screen, default only", defaultPaint, standardPaint);
    grid.setOnDrawColumnCell(painter);

    set.last();
    const double paintEnd = millis([&] { grid.viewport()->grab(); });
    standard.setData(standard.index(Rows - 1, 0), standard.data(standard.index(Rows - 1, 0)));
    plain.scrollToBottom();
    const double standardPaintEnd = millis([&] { plain.viewport()->grab(); });
    report("repaint at the last row", paintEnd, standardPaintEnd);

    const double walk = millis([&] {
        for (int r = 0; r < Rows; r += 50)
            set.setRecNo(r);
    });
    const double standardWalk = millis([&] {
        for (int r = 0; r < Rows; r += 50)
            plain.setCurrentIndex(standard.index(r, 0));
    });
    report("40 cursor moves followed by grid", walk, standardWalk);
    return 0;
}
