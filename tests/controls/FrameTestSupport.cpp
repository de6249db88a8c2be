#include "FrameTestSupport.h"

#include <QApplication>
#include <QPainter>

namespace {

const QColor Sentinel(1, 2, 3);

} // namespace

FixedPalette::FixedPalette() : previous_(QApplication::palette())
{
    QPalette palette = previous_;
    const auto set = [&](QPalette::ColorRole role, TColor rgb) {
        palette.setColor(QPalette::Active, role, ToQColor(rgb));
    };
    set(QPalette::Base, RGB(250, 250, 250));
    set(QPalette::WindowText, RGB(10, 10, 10));
    set(QPalette::Dark, RGB(128, 128, 128));
    set(QPalette::Light, RGB(255, 255, 255));
    set(QPalette::ButtonText, RGB(20, 20, 20));
    set(QPalette::Shadow, RGB(40, 40, 40));
    set(QPalette::Midlight, RGB(220, 220, 220));
    set(QPalette::Button, RGB(192, 192, 192));
    QApplication::setPalette(palette);
}

FixedPalette::~FixedPalette()
{
    QApplication::setPalette(previous_);
}

QMap<char, TColor> PaletteLetters()
{
    return {{'w', RGB(250, 250, 250)}, {'f', RGB(10, 10, 10)}, {'s', RGB(128, 128, 128)},
            {'h', RGB(255, 255, 255)}, {'t', RGB(20, 20, 20)}, {'d', RGB(40, 40, 40)},
            {'l', RGB(220, 220, 220)}};
}

QStringList RenderRows(int width, int height, const QMap<char, TColor>& letters,
                       const std::function<void(QPainter&)>& draw)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Sentinel);
    {
        QPainter painter(&image);
        draw(painter);
    }
    QStringList rows;
    for (int y = 0; y < height; ++y) {
        QString row;
        for (int x = 0; x < width; ++x) {
            const QColor pixel = image.pixelColor(x, y);
            QChar letter = pixel == Sentinel ? QChar('.') : QChar('?');
            for (auto it = letters.cbegin(); it != letters.cend(); ++it)
                if (ToQColor(it.value()) == pixel)
                    letter = QChar(it.key());
            row += letter;
        }
        rows << row;
    }
    return rows;
}
