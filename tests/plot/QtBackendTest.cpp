// The Qt text renderer and image encoder, and whole diagrams rendered with
// them. Set DW_PLOT_PREVIEW_DIR to a folder to keep PNGs of the five types.

#include "eval/CharFunc.h"
#include "eval/Lifetime.h"
#include "eval/ModelFit.h"
#include "platform/qt/QtImageEncoder.h"
#include "platform/qt/QtTextRenderer.h"
#include "plot/DiagramContent.h"
#include "series/A1TimeSeries.h"

#include "PlotTestUtil.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>

#include <cstdlib>
#include <random>

namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "plot_qt_test";
        static char* argv[] = {name, nullptr};
        m_app = new QGuiApplication(argc, argv);
    }
    void TearDown() override {
        delete m_app;
        m_app = nullptr;
    }

private:
    QGuiApplication* m_app = nullptr;
};

const auto* const g_env = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

constexpr COLOR kLeft = RGBColor(200, 0, 0);
constexpr COLOR kRight = RGBColor(30, 60, 220);

// Left half one colour, right half another, a white row in the middle.
void Paint(CA1DiagramWnd& wnd) {
    const int w = wnd.m_image.Width(), h = wnd.m_image.Height();
    wnd.m_image.FillRect(0, 0, w / 2, h, kLeft);
    wnd.m_image.FillRect(w / 2, 0, w, h, kRight);
    wnd.m_image.FillRect(0, h / 2, w, h / 2 + 1, kWhite);
}

bool Near(QRgb p, COLOR c, int tolerance) {
    return std::abs(qRed(p) - c.r) <= tolerance && std::abs(qGreen(p) - c.g) <= tolerance &&
           std::abs(qBlue(p) - c.b) <= tolerance;
}

}  // namespace

TEST(QtImageEncoder, EachFormatIsWrittenAndReadsBack) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    CQtImageEncoder encoder;
    CA1DiagramWnd wnd(nullptr, &encoder);
    ASSERT_TRUE(wnd.Create(64, 40));
    Paint(wnd);
    struct CASE {
        const char* name;
        const char* format;  // as the reader detects it from the content
        int tolerance;
    };
    const CASE cases[] = {{"a.png", "png", 0},    {"b.PNG", "png", 0},  {"c.jpg", "jpeg", 12}, {"d.JPG", "jpeg", 12},
                          {"e.jpeg", "jpeg", 12}, {"f.tif", "tiff", 0}, {"g.TIFF", "tiff", 0}, {"h.bmp", "bmp", 0}};
    for (const CASE& c : cases) {
        const QString path = dir.filePath(c.name);
        ASSERT_TRUE(wnd.SaveImage(path.toStdString())) << c.name;
        QImageReader reader(path);
        reader.setDecideFormatFromContent(true);
        EXPECT_EQ(reader.format(), QByteArray(c.format)) << c.name;
        QImage back;
        ASSERT_TRUE(back.load(path)) << c.name;
        EXPECT_EQ(back.width(), 64);
        EXPECT_EQ(back.height(), 40);
        EXPECT_FALSE(back.hasAlphaChannel()) << c.name;
        EXPECT_TRUE(Near(back.pixel(10, 8), kLeft, c.tolerance)) << c.name;
        EXPECT_TRUE(Near(back.pixel(50, 30), kRight, c.tolerance)) << c.name;
        if (c.tolerance == 0) {
            EXPECT_TRUE(Near(back.pixel(5, 20), kWhite, 0)) << c.name;
        }
    }
}

TEST(QtImageEncoder, UnknownOrMissingExtensionsAndBadPathsFail) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    CQtImageEncoder encoder;
    CA1DiagramWnd wnd(nullptr, &encoder);
    ASSERT_TRUE(wnd.Create(16, 16));
    EXPECT_FALSE(wnd.SaveImage(dir.filePath("x.abc").toStdString()));
    EXPECT_FALSE(QFile::exists(dir.filePath("x.abc")));
    EXPECT_FALSE(wnd.SaveImage(dir.filePath("noextension").toStdString()));
    EXPECT_FALSE(wnd.SaveImage(dir.filePath("dotted.dir/noextension").toStdString()));
    EXPECT_FALSE(wnd.SaveImage(dir.filePath("x.").toStdString()));
    EXPECT_FALSE(wnd.SaveImage(dir.filePath("missing/x.png").toStdString()));
    // The interface itself takes the extension with or without its dot.
    EXPECT_TRUE(encoder.Save(wnd.m_image, dir.filePath("y.png").toStdString(), "PNG"));
    EXPECT_TRUE(encoder.Save(wnd.m_image, dir.filePath("z.bmp").toStdString(), ".bmp"));
    EXPECT_FALSE(encoder.Save(CImage32(), dir.filePath("w.png").toStdString(), ".png"));
}

TEST(QtTextRenderer, MeasuresAndDrawsInsideItsExtent) {
    CQtTextRenderer text;
    EXPECT_FALSE(text.SelectFonts("", 18));
    EXPECT_FALSE(text.SelectFonts("Times", 0));
    ASSERT_TRUE(text.SelectFonts("Times", 18));
    int cx = 0, cy = 0;
    text.TextExtent("Timespan t [min]", false, cx, cy);
    EXPECT_GT(cx, 16 * 5);
    EXPECT_LT(cx, 16 * 14);
    EXPECT_GE(cy, 18);
    EXPECT_LT(cy, 30);
    int vx = 0, vy = 0;
    text.TextExtent("Timespan t [min]", true, vx, vy);
    EXPECT_EQ(vx, cx);
    EXPECT_EQ(vy, cy);
    int wx = 0, wy = 0;
    text.TextExtent("WWWW", false, wx, wy);
    int ix = 0, iy = 0;
    text.TextExtent("iiii", false, ix, iy);
    EXPECT_GT(wx, ix);  // a proportional face

    CImage32 image;
    ASSERT_TRUE(image.Create(300, 300));
    image.FillRect(0, 0, 300, 300, kWhite);
    text.DrawText(image, 40, 50, "Timespan t [min]", RGBColor(200, 0, 0), false);
    int inside = 0, outside = 0;
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 300; ++x) {
            if (image.GetPixel(x, y) == kWhite) continue;
            const bool in = x >= 40 && x < 40 + cx + 2 && y >= 50 && y < 50 + cy;
            (in ? inside : outside)++;
        }
    EXPECT_GT(inside, 50);
    EXPECT_EQ(outside, 0);
    // Reddish ink only.
    EXPECT_GT(CountTint(image, RGBColor(200, 0, 0), 0.6), 10);

    // Upwards from the reference corner: x .. x + cy across, y - cx .. y up.
    image.FillRect(0, 0, 300, 300, kWhite);
    text.DrawText(image, 100, 250, "Timespan t [min]", kBlack, true);
    inside = outside = 0;
    int top = 300, bottom = 0;
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 300; ++x) {
            if (image.GetPixel(x, y) == kWhite) continue;
            const bool in = x >= 100 && x < 100 + cy && y > 250 - cx - 2 && y <= 250;
            (in ? inside : outside)++;
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    EXPECT_GT(inside, 50);
    EXPECT_EQ(outside, 0);
    EXPECT_GT(bottom - top, cx * 3 / 4);  // it runs along the column
}

namespace {

// A drifting astigmatism with measurement noise, evaluated like the program does.
CA1TimeSeries RealisticSeries(int n) {
    CA1TimeSeries s;
    s.m_dImagePeriod = 2.5;
    std::mt19937 rng(42);
    std::normal_distribution<double> walk(0.0, 0.05), noise(0.0, 0.04);
    double x = 0.8, y = -0.4;
    for (int i = 0; i < n; ++i) {
        x += walk(rng) + 0.008;
        y += walk(rng) - 0.005;
        s.m_aSamples.push_back(A1SAMPLE{i + 1, x + noise(rng), y + noise(rng), 0.04, 0.04});
    }
    ExtractCharacteristicFunction(s, 10);
    FitModel(s, 20240611u);
    const double a = ComputeTolerance(300, 1, 0.25);
    EvaluateDirectLifetime(s, a);
    EvaluateModelLifetime(s, a);
    return s;
}

}  // namespace

TEST(QtDiagram, AllFiveTypesRenderWithQtTextAndSave) {
    const CA1TimeSeries series = RealisticSeries(1500);
    ASSERT_GT(series.ModelValid, 0);
    ASSERT_EQ(series.LifetimeState, 1);  // the direct-lifetime guide shows
    CQtTextRenderer text;
    CQtImageEncoder encoder;
    CA1Diagram wnd(&text, &encoder);
    ASSERT_TRUE(wnd.Create(720, 440));
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const char* preview = std::getenv("DW_PLOT_PREVIEW_DIR");
    for (int type = 1; type <= 5; ++type) {
        wnd.m_style.nDisplayType = type;
        ASSERT_TRUE(wnd.Render(&series)) << type;
        // The y title's ink left of the tick labels, the x title's below them.
        int ink = 0;
        const int x0 = type == 2 ? 140 : 0;  // left of the square plot
        for (int y = 150; y < 300; ++y)
            for (int x = x0; x < x0 + 30; ++x) ink += wnd.Image().GetPixel(x, y) != kWhite;
        EXPECT_GT(ink, 40) << type;
        ink = 0;
        for (int y = 415; y < 440; ++y)
            for (int x = 250; x < 450; ++x) ink += wnd.Image().GetPixel(x, y) != kWhite;
        EXPECT_GT(ink, 80) << type;
        const std::string name = "diagram" + std::to_string(type) + ".png";
        EXPECT_TRUE(wnd.SaveImage(dir.filePath(QString::fromStdString(name)).toStdString()));
        if (preview) wnd.SaveImage(std::string(preview) + "/" + name);
    }
}
