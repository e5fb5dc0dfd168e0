#include "host/btn_pesquisa.h"
#include "host/button_flat.h"
#include "host/glyphs.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QTest>

namespace {

const QList<host::Glyph> kGlyphs = {
    host::Glyph::Confirm,     host::Glyph::Cancel,      host::Glyph::Insert, host::Glyph::Edit,
    host::Glyph::Delete,      host::Glyph::Search,      host::Glyph::Sort,   host::Glyph::Help,
    host::Glyph::Print,       host::Glyph::Close,       host::Glyph::Filter, host::Glyph::Verify,
    host::Glyph::SaveOptions, host::Glyph::LoadOptions,
};

// How many pixels of two same-sized pictures differ visibly.
int differingPixels(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_ARGB32);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32);
    int count = 0;
    for (int row = 0; row < x.height(); ++row) {
        for (int column = 0; column < x.width(); ++column) {
            const QRgb p = x.pixel(column, row);
            const QRgb q = y.pixel(column, row);
            if (qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) + qAbs(qBlue(p) - qBlue(q))
                    + qAbs(qAlpha(p) - qAlpha(q))
                > 48)
                ++count;
        }
    }
    return count;
}

// The 1x picture blown up to the 2x one's size, as a bitmap icon would be.
QImage upscaled(const QPixmap &normal, QSize size, Qt::TransformationMode mode)
{
    return normal.toImage().scaled(size, Qt::IgnoreAspectRatio, mode);
}

} // namespace

// Runs at QT_SCALE_FACTOR=2: a 200 % screen.
class GlyphsHiDpiTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void glyphsAreDrawnAtTheScreensScale();
    void buttonsShowTheSharpGlyph();
};

void GlyphsHiDpiTest::initTestCase()
{
    QCOMPARE(qApp->devicePixelRatio(), 2.0);
}

// Catches glyphs that are 16-pixel bitmaps blown up on a 200 % screen
// (blurred or blocky) instead of being drawn at 32 pixels.
void GlyphsHiDpiTest::glyphsAreDrawnAtTheScreensScale()
{
    for (host::Glyph glyph : kGlyphs) {
        const QString name = host::glyphResource(glyph);
        const QPixmap sharp = host::glyphPixmap(glyph, true, 2.0);
        QCOMPARE(sharp.size(), QSize(32, 32));
        QCOMPARE(sharp.devicePixelRatio(), 2.0);
        const QPixmap normal = host::glyphPixmap(glyph, true, 1.0);
        QCOMPARE(normal.size(), QSize(16, 16));
        // A drawing at 32 pixels has edges no enlargement of 16 can have
        // (fewest in a glyph of straight lines on the pixel grid).
        for (Qt::TransformationMode mode : {Qt::FastTransformation, Qt::SmoothTransformation}) {
            const int differing =
                differingPixels(sharp.toImage(), upscaled(normal, sharp.size(), mode));
            QVERIFY2(differing >= 8,
                     qPrintable(QStringLiteral("%1: %2 pixels").arg(name).arg(differing)));
        }
        // And it is the same picture, not another one.
        const QImage reduced =
            sharp.toImage().scaled(16, 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QVERIFY2(differingPixels(reduced, normal.toImage()) < 64, qPrintable(name));
        // The disabled one is its grey twin at the same scale.
        const QPixmap grey = host::glyphPixmap(glyph, false, 2.0);
        QCOMPARE(grey.size(), QSize(32, 32));
        QVERIFY2(differingPixels(grey.toImage(), sharp.toImage()) > 0, qPrintable(name));
    }
}

// Catches a toolbar or lookup button that hands the style a fixed bitmap:
// the icon a button paints on this screen must be the 32-pixel drawing.
// Also leaves a picture of the buttons at 200 % for a look.
void GlyphsHiDpiTest::buttonsShowTheSharpGlyph()
{
    QWidget toolbar;
    auto *layout = new QHBoxLayout(&toolbar);
    // The offscreen platform warns when a window is given a minimum size.
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    QList<host::TButtonFlat *> buttons;
    for (host::Glyph glyph : kGlyphs) {
        auto *button = new host::TButtonFlat(&toolbar);
        button->setGlyph(glyph);
        layout->addWidget(button);
        buttons.append(button);
    }
    auto *lookup = new host::TBtnPesquisa(&toolbar);
    layout->addWidget(lookup);
    buttons.append(lookup);
    buttons.at(2)->setEnabled(false);
    toolbar.resize(layout->sizeHint());
    toolbar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&toolbar));

    for (host::TButtonFlat *button : buttons) {
        // A bitmap icon lists the sizes it has; a drawn one has none.
        QVERIFY(button->icon().availableSizes().isEmpty());
        const QPixmap shown = button->icon().pixmap(button->iconSize(), button->devicePixelRatio());
        QCOMPARE(shown.size(), QSize(32, 32));
        QCOMPARE(shown.toImage(), button->currentGlyph(2.0).toImage());
    }
    QCOMPARE(buttons.last()->currentGlyph(2.0).toImage(),
             host::glyphPixmap(host::Glyph::Search, true, 2.0).toImage());
    QCOMPARE(buttons.at(2)->currentGlyph(2.0).toImage(),
             host::glyphPixmap(host::Glyph::Insert, false, 2.0).toImage());

    const QPixmap picture = toolbar.grab();
    QCOMPARE(picture.devicePixelRatio(), 2.0);
    QVERIFY(picture.save(QStringLiteral(ATE_SCREENSHOT_DIR "/glyphs_200.png")));
}

QTEST_MAIN(GlyphsHiDpiTest)
#include "glyphs_hidpi_test.moc"
