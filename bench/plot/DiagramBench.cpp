// Rendering each display type for a series of 10^5 samples into 800 x 500.
// "Fake" runs use a text renderer with fixed extents that draws nothing (the
// drawing alone); "Qt" runs use the program's Qt text renderer.

#include "eval/Lifetime.h"
#include "plot/DiagramWnd.h"
#include "plot/PlotPlatform.h"
#include "series/A1TimeSeries.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

#ifdef DW_BENCH_WITH_QT
#include "platform/qt/QtTextRenderer.h"

#include <QGuiApplication>
#endif

namespace {

class CFixedTextRenderer : public ITextRenderer {
public:
    bool SelectFonts(const std::string&, int) override { return true; }
    void TextExtent(const std::string& text, bool, int& cx, int& cy) override {
        cx = 9 * static_cast<int>(text.size());
        cy = 18;
    }
    void DrawText(CImage32&, int, int, const std::string&, COLOR, bool) override {}
};

// A drifting astigmatism with measurement noise (10^5 images, 1 s apart), a
// characteristic function of 10^4 image distances that follows a fitted
// model, and the evaluation results the diagrams show.
const CA1TimeSeries& Series() {
    static const CA1TimeSeries series = [] {
        CA1TimeSeries s;
        s.m_dImagePeriod = 1.0;
        std::mt19937 rng(11);
        std::normal_distribution<double> walk(0.0, 0.003), noise(0.0, 0.05);
        double x = 0.5, y = -0.2;
        for (int i = 0; i < 100000; ++i) {
            x += walk(rng) + 2e-5;
            y += walk(rng) - 1e-5;
            s.m_aSamples.push_back(A1SAMPLE{i, x + noise(rng), y + noise(rng), 0.05, 0.05});
        }
        s.FitDi = 0.004;
        s.FitDa = 0.05;
        s.FitTc = 20.0;
        s.FitS = 2.2e-5;
        s.ModelValid = 1;
        s.CharFuncValid = 1;
        const MODELPARAMS m = ModelParameters(s);
        std::normal_distribution<double> scatter(1.0, 0.03);
        for (int d = 1; d < 10000; ++d) {
            const double f = ModelFunction(m, d) * scatter(rng);
            s.m_aCharFunc.push_back(A1SAMPLE{d, 0.5 * f, 0.5 * f, 0, 0});
        }
        s.Tolerance = 1.27;
        s.LifetimeState = 1;
        s.DirectLifetime = 0.0;
        for (const A1SAMPLE& p : s.m_aCharFunc)
            if (p.dX + p.dY >= s.Tolerance * s.Tolerance) {
                s.DirectLifetime = p.nIndex * s.m_dImagePeriod;
                break;
            }
        s.ModelLifetime = s.DirectLifetime;
        return s;
    }();
    return series;
}

void Render(benchmark::State& state, ITextRenderer* text) {
    const CA1TimeSeries& series = Series();
    CA1DiagramWnd wnd(text);
    wnd.Create(800, 500);
    wnd.m_style.nDisplayType = static_cast<int>(state.range(0));
    for (auto _ : state) {
        const bool drawn = wnd.Render(&series);
        benchmark::DoNotOptimize(drawn);
        benchmark::ClobberMemory();
    }
}

void BM_RenderFake(benchmark::State& state) {
    CFixedTextRenderer text;
    Render(state, &text);
}
BENCHMARK(BM_RenderFake)->DenseRange(1, 5)->Unit(benchmark::kMillisecond);

// The A22-time diagram (display type 1) of a long run: 10^6 samples, the
// size where the characteristic function takes the FFT route.
void BM_RenderA22TimeMillion(benchmark::State& state) {
    static const CA1TimeSeries series = [] {
        CA1TimeSeries s;
        s.m_dImagePeriod = 1.0;
        std::mt19937 rng(12);
        std::normal_distribution<double> walk(0.0, 0.003), noise(0.0, 0.05);
        double x = 0.5, y = -0.2;
        s.m_aSamples.reserve(1000000);
        for (int i = 0; i < 1000000; ++i) {
            x += walk(rng) + 2e-6;
            y += walk(rng) - 1e-6;
            s.m_aSamples.push_back(A1SAMPLE{i, x + noise(rng), y + noise(rng), 0.05, 0.05});
        }
        return s;
    }();
    CFixedTextRenderer text;
    CA1DiagramWnd wnd(&text);
    wnd.Create(800, 500);
    wnd.m_style.nDisplayType = 1;
    for (auto _ : state) {
        const bool drawn = wnd.Render(&series);
        benchmark::DoNotOptimize(drawn);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_RenderA22TimeMillion)->Unit(benchmark::kMillisecond);

#ifdef DW_BENCH_WITH_QT
void BM_RenderQt(benchmark::State& state) {
    CQtTextRenderer text;
    Render(state, &text);
}
BENCHMARK(BM_RenderQt)->DenseRange(1, 5)->Unit(benchmark::kMillisecond);
#endif

}  // namespace

int main(int argc, char** argv) {
#ifdef DW_BENCH_WITH_QT
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    char name[] = "plot_bench";
    char* qtArgv[] = {name, nullptr};
    QGuiApplication app(qtArgc, qtArgv);
#endif
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
