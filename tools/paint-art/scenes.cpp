// The two JPEG pictures: the welcome scene and the sailing ship behind the menu instructions.
#include <QRadialGradient>

#include "paint-art.h"

namespace art {

namespace {

// Slight darkening towards the corners keeps the eye in the middle of the picture.
void paintVignette(QPainter& p, const QSize& size, double strength)
{
    QRadialGradient g(QPointF(size.width() * 0.5, size.height() * 0.48), size.width() * 0.75);
    g.setColorAt(0.55, QColor(10, 20, 35, 0));
    g.setColorAt(1.0, QColor(10, 20, 35, static_cast<int>(255 * strength)));
    p.fillRect(QRect(QPoint(0, 0), size), g);
}

}  // namespace

QImage paintWelcome()
{
    const QSize size(2339, 1654);
    const double W = size.width(), H = size.height();
    const double horizon = 940;
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    Rng rng(0x5EA5CA9E0001ull);

    const SkyLook sky{QColor(50, 96, 156),
                      QColor(118, 160, 204),
                      QColor(240, 224, 198),
                      QPointF(1460, 600),
                      900,
                      QColor(255, 234, 196),
                      0.85};
    paintSky(p, QRectF(0, 0, W, horizon + 2), sky);
    paintBrushwork(p, img, rng, QRectF(0, 0, W, horizon), 1600, 100);
    paintSun(p, sky);

    // High, thin cloud first, then the heaps of cumulus, then low haze along the horizon.
    paintCloudStreak(p, rng, QPointF(820, 120), 760, 22, QColor(250, 250, 252), 0.35);
    paintCloudStreak(p, rng, QPointF(1950, 160), 620, 18, QColor(250, 250, 252), 0.3);
    const CloudLook fromRight{QColor(150, 156, 182), QColor(232, 232, 234), QColor(255, 249, 234), 1.0, 1.0};
    const CloudLook fromLeft{QColor(150, 156, 182), QColor(232, 232, 234), QColor(255, 249, 234), -1.0, 1.0};
    paintCumulus(p, rng, QPointF(560, 360), 620, 200, fromRight);
    paintCumulus(p, rng, QPointF(1130, 250), 360, 110, fromRight);
    paintCumulus(p, rng, QPointF(1780, 500), 800, 270, fromLeft);
    paintCumulus(p, rng, QPointF(2180, 270), 400, 130, fromLeft);
    // A low bank of haze along the horizon, warm where the sun is.
    for (int i = 0; i < 6; ++i)
        paintCloudStreak(p, rng, QPointF(150 + i * 420, 880 + rng.range(-25, 20)), 700, 16, QColor(246, 226, 214),
                         0.45);
    for (int i = 0; i < 5; ++i)
        paintCloudStreak(p, rng, QPointF(250 + i * 480, 915 + rng.range(-8, 8)), 600, 8, QColor(236, 214, 204), 0.4);

    const SeaLook sea{horizon,
                      QColor(192, 200, 204),
                      QColor(82, 126, 152),
                      QColor(26, 64, 96),
                      QColor(200, 216, 228),
                      QColor(255, 236, 188),
                      1460,
                      1.0,
                      250};
    const QRectF seaArea(0, horizon, W, H - horizon);

    // Headland with the lighthouse, on its own layer so it can be mirrored in the sea.
    QImage land = transparentLayer(size);
    {
        QPainter lp(&land);
        lp.setRenderHint(QPainter::Antialiasing);
        const double ridge = paintHeadland(lp, rng, horizon, 1990, W + 10, 120, QColor(92, 118, 114),
                                           QColor(150, 158, 136), sea.horizon, 2195);
        paintLighthouse(lp, QPointF(2195, ridge + 6), 230, sea.horizon, 0.12);
    }

    const MerchantLook merchant{QPointF(1230, 986),
                                560,
                                QColor(44, 48, 58),
                                QColor(150, 52, 44),
                                QColor(238, 236, 230),
                                QColor(196, 66, 46),
                                QColor(30, 30, 32),
                                sea.horizon,
                                0.22};
    QImage merchantLayer = transparentLayer(size);
    {
        QPainter mp(&merchantLayer);
        Rng shipRng(0x5EA5CA9E0002ull);
        paintMerchantShip(mp, shipRng, merchant);
    }

    TallShipLook brig;
    brig.stern = QPointF(170, 1250);
    brig.length = 700;
    brig.masts = {{0.36, 0.98, 0.2, 0, 4, true}, {0.68, 0.93, 0.19, 0, 4, false}};
    brig.jibs = 3;
    brig.hull = QColor(36, 34, 34);
    brig.band = QColor(226, 210, 168);
    brig.sail = QColor(255, 248, 230);
    brig.sailShadow = QColor(186, 172, 156);
    brig.spar = QColor(84, 60, 40);
    brig.rigging = QColor(50, 44, 40);
    brig.pennant = QColor(192, 42, 36);
    brig.haze = sea.horizon;
    brig.hazeAmount = 0.04;
    QImage brigLayer = transparentLayer(size);
    {
        QPainter bp(&brigLayer);
        paintTallShip(bp, brig);
    }

    paintSeaBase(p, rng, seaArea, sea);
    paintReflection(p, land, horizon, 70, 0.45, sea.middle, 2.0, 11);
    paintReflection(p, merchantLayer, merchant.bow.y(), 150, 0.45, sea.middle, 3.0, 12);
    paintReflection(p, brigLayer, brig.stern.y(), 420, 0.45, sea.middle, 7.0, 13);

    const std::vector<WaveStroke> waves = makeWaves(rng, seaArea, sea);
    p.drawImage(0, 0, land);
    paintWaves(p, waves, horizon, merchant.bow.y());
    // Contact shadows where the hulls meet the water.
    softBlob(p, merchant.bow + QPointF(merchant.length * 0.5, 3), merchant.length * 0.52, 7, QColor(20, 40, 60), 0.5,
             0.5);
    p.drawImage(0, 0, merchantLayer);
    {
        Rng foamRng(0x5EA5CA9E0003ull);
        paintMerchantFoam(p, foamRng, merchant, QColor(240, 244, 244));
    }
    paintWaves(p, waves, merchant.bow.y(), brig.stern.y());
    softBlob(p, brig.stern + QPointF(brig.length * 0.48, 5), brig.length * 0.5, 10, QColor(20, 40, 60), 0.5, 0.5);
    p.drawImage(0, 0, brigLayer);
    {
        Rng foamRng(0x5EA5CA9E0004ull);
        paintTallShipFoam(p, foamRng, brig, QColor(244, 247, 247));
    }
    paintWaves(p, waves, brig.stern.y(), H + 100);

    const QColor gull(66, 72, 84);
    paintGull(p, QPointF(980, 700), 64, 0.25, -6, gull);
    paintGull(p, QPointF(1085, 640), 48, -0.1, 8, gull);
    paintGull(p, QPointF(1210, 720), 36, 0.35, 3, gull);

    paintVignette(p, size, 0.28);
    p.end();
    return img;
}

QImage paintMenu(double density)
{
    const QSize size(1010, 676);
    const double W = size.width(), H = size.height();
    const double horizon = 452;
    // Painted in the picture's own coordinates; the painter maps them onto the denser canvas.
    QImage img(size * density, QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(density);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    Rng rng(0x3E4A5A170001ull);

    const SkyLook sky{QColor(56, 104, 166),
                      QColor(128, 172, 212),
                      QColor(228, 230, 222),
                      QPointF(870, 170),
                      430,
                      QColor(255, 242, 212),
                      0.65};
    paintSky(p, QRectF(0, 0, W, horizon + 2), sky);
    paintBrushwork(p, img, rng, QRectF(0, 0, W, horizon), 700, 45);
    paintSun(p, sky);
    paintCloudStreak(p, rng, QPointF(420, 60), 420, 12, QColor(250, 250, 252), 0.35);
    const CloudLook fromRight{QColor(148, 158, 184), QColor(234, 236, 238), QColor(255, 252, 242), 1.0, 1.0};
    paintCumulus(p, rng, QPointF(240, 200), 300, 100, fromRight);
    paintCumulus(p, rng, QPointF(760, 300), 380, 140, fromRight);
    paintCumulus(p, rng, QPointF(560, 120), 160, 50, fromRight);
    for (int i = 0; i < 4; ++i)
        paintCloudStreak(p, rng, QPointF(100 + i * 280, 425 + rng.range(-10, 10)), 320, 8, QColor(240, 232, 226), 0.45);
    for (int i = 0; i < 3; ++i)
        paintCloudStreak(p, rng, QPointF(150 + i * 360, 442), 320, 4, QColor(236, 226, 218), 0.4);

    const SeaLook sea{horizon,
                      QColor(186, 200, 206),
                      QColor(72, 122, 152),
                      QColor(22, 60, 92),
                      QColor(196, 214, 228),
                      QColor(255, 240, 200),
                      870,
                      0.7,
                      115};
    const QRectF seaArea(0, horizon, W, H - horizon);

    TallShipLook ship;
    ship.stern = QPointF(112, 548);
    ship.length = 470;
    ship.masts = {{0.27, 0.79, 0.135, 1, 4, true}, {0.52, 0.95, 0.17, 0, 4, false}, {0.76, 0.88, 0.16, 0, 4, false}};
    ship.jibs = 3;
    ship.hull = QColor(34, 32, 34);
    ship.band = QColor(230, 216, 176);
    ship.sail = QColor(252, 247, 234);
    ship.sailShadow = QColor(170, 166, 162);
    ship.spar = QColor(80, 58, 40);
    ship.rigging = QColor(46, 42, 40);
    ship.pennant = QColor(196, 40, 36);
    ship.haze = sea.horizon;
    ship.hazeAmount = 0.0;
    QImage shipLayer = transparentLayer(size, density);
    {
        QPainter sp(&shipLayer);
        paintTallShip(sp, ship);
    }

    paintSeaBase(p, rng, seaArea, sea);
    paintReflection(p, shipLayer, ship.stern.y(), 130, 0.45, sea.middle, 4.0, 21);
    const std::vector<WaveStroke> waves = makeWaves(rng, seaArea, sea);
    paintWaves(p, waves, horizon, ship.stern.y());
    softBlob(p, ship.stern + QPointF(ship.length * 0.48, 4), ship.length * 0.5, 8, QColor(20, 40, 60), 0.5, 0.5);
    p.drawImage(0, 0, shipLayer);
    {
        Rng foamRng(0x3E4A5A170002ull);
        paintTallShipFoam(p, foamRng, ship, QColor(244, 247, 247));
    }
    paintWaves(p, waves, ship.stern.y(), H + 100);

    const QColor gull(70, 76, 88);
    paintGull(p, QPointF(820, 250), 30, 0.2, -5, gull);
    paintGull(p, QPointF(870, 222), 22, -0.05, 6, gull);

    paintVignette(p, size, 0.22);
    p.end();
    return img;
}

}  // namespace art
