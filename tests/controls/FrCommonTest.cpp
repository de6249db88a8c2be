// The colour model against worked numbers, and every border routine by the
// pixels it leaves in an offscreen image.
#include "FrameTestSupport.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

std::string Hsl(const THsl240& hsl)
{
    return std::to_string(hsl.Hue) + "," + std::to_string(hsl.Saturation) + "," +
           std::to_string(hsl.Lightness);
}

std::string Rows(const QStringList& rows)
{
    return rows.join('|').toStdString();
}

} // namespace

TEST(ColorModel, ColorToHsl240)
{
    const struct
    {
        TColor color;
        const char* hsl;
    } cases[] = {{RGB(255, 0, 0), "0,240,120"},    {RGB(0, 255, 0), "80,240,120"},
                 {RGB(0, 0, 255), "160,240,120"},  {RGB(128, 128, 128), "0,0,120"},
                 {RGB(192, 192, 192), "0,0,181"},  {RGB(255, 255, 255), "0,0,240"},
                 {RGB(0, 128, 128), "120,240,60"}, {RGB(10, 20, 30), "140,120,19"},
                 {RGB(200, 100, 50), "13,144,118"}};
    for (const auto& c : cases)
        EXPECT_EQ(Hsl(ColorToHsl240(c.color)), c.hsl) << std::hex << c.color;

    FixedPalette palette;
    EXPECT_EQ(Hsl(ColorToHsl240(clBtnShadow)), "0,0,120") << "system colours resolve first";
}

TEST(ColorModel, Hsl240ToColor)
{
    const struct
    {
        quint8 h, s, l;
        TColor color;
        const char* why;
    } cases[] = {
        {0, 240, 120, RGB(255, 0, 0), "red"},
        {80, 240, 120, RGB(0, 255, 2), "hue divides by 239"},
        {160, 240, 120, RGB(4, 0, 255), "hue divides by 239"},
        {239, 240, 120, RGB(255, 0, 0), "hue 239 is hue 0"},
        {240, 240, 120, RGB(255, 6, 0), "the seventh sextant draws as the first"},
        {13, 144, 118, RGB(201, 99, 50), "round trip of 200,100,50 within one step"},
        {0, 0, 8, RGB(8, 8, 8), "8.5 rounds to the even 8"},
        {0, 0, 24, RGB(26, 26, 26), "25.5 rounds to the even 26"},
        {0, 0, 0, RGB(0, 0, 0), "no lightness is black"},
        {0, 0, 255, RGB(255, 255, 255), "lightness above 240 is clipped"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Hsl240ToColor(c.h, c.s, c.l), c.color) << c.why;
}

TEST(TextFunctions, LastCharCountCharCopyToNthChar)
{
    EXPECT_EQ(LastChar("abc"), QChar('c'));
    EXPECT_EQ(CountChar('/', "/home/ann/x"), 3);
    EXPECT_EQ(CountChar('/', ""), 0);
    EXPECT_EQ(CopyToNthChar("/home/ann/x", '/', 1), "/");
    EXPECT_EQ(CopyToNthChar("/home/ann/x", '/', 2), "/home/");
    EXPECT_EQ(CopyToNthChar("/home/ann/x", '/', 3), "/home/ann/");
    EXPECT_EQ(CopyToNthChar("/home/ann/x", '/', 4), "/home/ann/x") << "fewer: the whole text";
    QFont font;
    font.setPixelSize(13);
    EXPECT_EQ(FontItemHeight(font), QFontMetrics(font).height() + 2);
}

TEST(BorderRoutines, DrawSidesAndRings)
{
    const QMap<char, TColor> ab{{'a', RGB(255, 0, 0)}, {'b', RGB(0, 0, 255)}};
    const struct
    {
        const char* name;
        TSides sides;
        int count;
        const char* rows;
        TRect rest;
    } cases[] = {
        {"all sides: right and bottom drawn last",
         AllSides,
         1,
         "aaaaab|a....b|a....b|a....b|bbbbbb",
         {1, 1, 5, 4}},
        {"top and bottom only",
         sdTop | sdBottom,
         1,
         "aaaaaa|......|......|......|bbbbbb",
         {0, 1, 6, 4}},
        {"left only: end points exclusive",
         sdLeft,
         1,
         "a.....|a.....|a.....|a.....|a.....",
         {1, 0, 6, 5}},
        {"two rings", AllSides, 2, "aaaaab|aaaabb|aa..bb|abbbbb|bbbbbb", {2, 2, 4, 3}},
    };
    for (const auto& c : cases) {
        TRect rest{};
        const QStringList rows = RenderRows(6, 5, ab, [&](QPainter& p) {
            rest = DrawSideRings(p, {0, 0, 6, 5}, ab['a'], ab['b'], c.sides, c.count);
        });
        EXPECT_EQ(Rows(rows), c.rows) << c.name;
        EXPECT_EQ(rest, c.rest) << c.name;
    }
}

TEST(BorderRoutines, StyledFramesInSystemColours)
{
    FixedPalette palette;
    const struct
    {
        TFrameStyle style;
        TSides sides;
        const char* rows;
        TRect rest;
    } cases[] = {
        {fsNone, AllSides, "......|......|......|......|......", {0, 0, 6, 5}},
        {fsFlat, AllSides, "ffffff|f....f|f....f|f....f|ffffff", {1, 1, 5, 4}},
        {fsStatus, AllSides, "sssssh|s....h|s....h|s....h|hhhhhh", {1, 1, 5, 4}},
        {fsPopup, AllSides, "hhhhhs|h....s|h....s|h....s|ssssss", {1, 1, 5, 4}},
        {fsGroove, AllSides, "sssssh|shhhsh|sh..sh|sssssh|hhhhhh", {2, 2, 4, 3}},
        {fsGroove, sdTop | sdBottom, "ssssss|hhhhhh|......|ssssss|hhhhhh", {0, 2, 6, 3}},
        {fsBump, AllSides, "hhhhhs|hssshs|hs..hs|hhhhhs|ssssss", {2, 2, 4, 3}},
        {fsLowered, AllSides, "sssssh|stttlh|st..lh|sllllh|hhhhhh", {2, 2, 4, 3}},
        {fsRaised, AllSides, "lllllt|lhhhst|lh..st|lsssst|tttttt", {2, 2, 4, 3}},
        {fsButtonDown, AllSides, "tttttt|tsssst|ts..st|tsssst|tttttt", {2, 2, 4, 3}},
        {fsButtonUp, AllSides, "hhhhhd|hlllsd|hl..sd|hssssd|dddddd", {2, 2, 4, 3}},
    };
    for (const auto& c : cases) {
        TRect rest{};
        const QStringList rows = RenderRows(6, 5, PaletteLetters(), [&](QPainter& p) {
            rest = DrawStyledFrame(p, {0, 0, 6, 5}, c.style, c.sides);
        });
        EXPECT_EQ(Rows(rows), c.rows) << int(c.style);
        EXPECT_EQ(rest, c.rest) << int(c.style);
    }
}

TEST(BorderRoutines, TintedFramesInShadesOfTheBase)
{
    // 0,128,128 is hue 120, saturation 240, lightness 60.
    const TColor base = RGB(0, 128, 128);
    const QMap<char, TColor> shades{{'D', Hsl240ToColor(120, 240, 10)},
                                    {'L', Hsl240ToColor(120, 240, 160)},
                                    {'d', Hsl240ToColor(120, 240, 0)},
                                    {'l', Hsl240ToColor(120, 240, 110)}};
    EXPECT_EQ(shades['D'], RGB(0, 21, 21));
    EXPECT_EQ(shades['L'], RGB(85, 253, 255));
    const struct
    {
        TFrameStyle style;
        const char* rows;
    } cases[] = {
        {fsStatus, "DDDDDL|D....L|D....L|D....L|LLLLLL"},
        {fsGroove, "DDDDDL|DLLLDL|DL..DL|DDDDDL|LLLLLL"},
        {fsLowered, "DDDDDL|DdddlL|Dd..lL|DllllL|LLLLLL"},
    };
    for (const auto& c : cases) {
        const QStringList rows = RenderRows(6, 5, shades, [&](QPainter& p) {
            DrawTintedFrame(p, {0, 0, 6, 5}, base, AllSides, c.style);
        });
        EXPECT_EQ(Rows(rows), c.rows) << int(c.style);
    }
}

TEST(BorderRoutines, PaintControlFrame)
{
    FixedPalette palette;
    QMap<char, TColor> letters = PaletteLetters();
    letters.insert('c', RGB(0, 128, 128));
    letters.insert('r', RGB(200, 0, 0));
    letters.insert('D', Hsl240ToColor(120, 240, 10));
    letters.insert('L', Hsl240ToColor(120, 240, 160));
    const struct
    {
        const char* name;
        TFrameStyle style;
        TColor control;
        TSides sides;
        const char* rows;
    } cases[] = {
        {"flat: the frame colour on the frame sides over the control colour", fsFlat,
         RGB(0, 128, 128), sdLeft | sdTop, "rrrrrr|rccccc|rc..cc|rccccc|rccccc"},
        {"window colour: system colours", fsStatus, clWindow, AllSides,
         "sssssh|swwwwh|sw..wh|swwwwh|hhhhhh"},
        {"another colour: its shades", fsStatus, RGB(0, 128, 128), AllSides,
         "DDDDDL|DccccL|Dc..cL|DccccL|LLLLLL"},
        {"no style: only the control colour", fsNone, clWindow, AllSides,
         "wwwwww|wwwwww|ww..ww|wwwwww|wwwwww"},
    };
    for (const auto& c : cases) {
        const QStringList rows = RenderRows(6, 5, letters, [&](QPainter& p) {
            PaintControlFrame(p, 6, 5, c.style, c.control, RGB(200, 0, 0), c.sides);
        });
        EXPECT_EQ(Rows(rows), c.rows) << c.name;
    }
}
