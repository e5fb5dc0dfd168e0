// Cost of turning a received data packet into the record set's packet, for a
// busy day's flight plans (2,000 rows, 13 fields), beside the cost of
// parsing the same bytes off the wire, measured in the same run.
#include "test_packet.h"
#include "wire_values.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

ate::appserver::v1::DataPacket flightPlans(int rows)
{
    host::testing::TestPacket packet = host::testing::TestPacket()
                                           .fixedText("CDCIA", 4)
                                           .text("NMCIA", 40)
                                           .fixedText("CDFILIAL", 4)
                                           .fixedText("NRVOO", 5)
                                           .fixedText("CDTRECHO", 4)
                                           .dateTime("DTHRPLAVOOPV")
                                           .dateTime("DTHRPARTIDA")
                                           .text("DSORIGEM", 30)
                                           .text("DSDESTINO", 30)
                                           .number("QTPAX")
                                           .number("VRTOTAL")
                                           .integer("NRSEQ")
                                           .fixedText("IDSITUACAO", 1);
    const QStringList airlines = {"G3", "JJ", "AD", "LA"};
    for (int r = 0; r < rows; ++r) {
        const QDateTime when(QDate(2024, 5, 1), QTime(0, 0).addSecs(r * 37 % 86400), Qt::UTC);
        packet.row({airlines[r % 4], QString::fromUtf8("Companhia Aérea %1").arg(r % 4), "0001",
                    QString::number(1000 + r), "GRU", when, when.addSecs(3600), QString::fromUtf8("São Paulo"),
                    r % 7 == 0 ? QVariant() : QVariant(QStringLiteral("Rio de Janeiro %1").arg(r % 50)), 150.0 + r % 30,
                    r * 12.75, r, QString::number(1 + r % 5)});
    }
    return packet.toWire();
}

template<typename Work>
double bestMicroseconds(int repeats, Work work)
{
    std::vector<double> times;
    for (int i = 0; i < repeats; ++i) {
        QElapsedTimer clock;
        clock.start();
        work();
        times.push_back(static_cast<double>(clock.nsecsElapsed()) / 1000.0);
    }
    return *std::min_element(times.begin(), times.end());
}

} // namespace

int main()
{
    const ate::appserver::v1::DataPacket packet = flightPlans(2000);
    const std::string bytes = packet.SerializeAsString();

    const double parse = bestMicroseconds(50, [&] {
        ate::appserver::v1::DataPacket parsed;
        parsed.ParseFromString(bytes);
    });
    // Kept, so that this figure leaves out freeing the converted rows.
    std::vector<platform::DataPacket> kept;
    kept.reserve(50);
    const double convert = bestMicroseconds(50, [&] {
        QString error;
        std::optional<platform::DataPacket> converted = host::toDataPacket(packet, &error);
        if (converted)
            kept.push_back(std::move(*converted));
    });
    // What replacing a record set's rows costs: converting and freeing.
    const double convertAndFree = bestMicroseconds(50, [&] {
        QString error;
        if (!host::toDataPacket(packet, &error))
            std::fprintf(stderr, "conversion failed: %s\n", qPrintable(error));
    });

    std::printf("2000 rows x 13 fields, %zu bytes on the wire (best of 50)\n", bytes.size());
    std::printf("  baseline: parse from the wire          %6.0f us\n", parse);
    std::printf("  convert to the record set's packet     %6.0f us\n", convert);
    std::printf("  convert, then free the converted rows  %6.0f us\n", convertAndFree);
    return 0;
}
