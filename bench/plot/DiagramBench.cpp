// Re-rendering each display type as the diagram view does after a resize or
// a scale change (a new image of the size, then the whole diagram), for a
// window on a 1366 x 768 screen at scale 1 and the same window on a
// 2732 x 1536 screen at scale 2, with series of 10^4 and 10^5 samples.
// "Fake" runs use a text renderer with fixed extents that draws nothing (the
// drawing alone); "Qt" runs use the program's Qt text renderer.

#include "eval/Lifetime.h"
#include "plot/DiagramContent.h"
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

// A drifting astigmatism with measurement noise (n images, 1 s apart), a
// characteristic function of n / 10 image distances that follows a fitted
// model, and the evaluation results the diagrams show.
CA1TimeSeries MakeSeries(int n) {
    CA1TimeSeries s;
    s.m_dImagePeriod = 1.0;
    std::mt19937 rng(11);
    std::normal_distribution<double> walk(0.0, 0.003), noise(0.0, 0.05);
    double x = 0.5, y = -0.2;
    for (int i = 0; i < n; ++i) {
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
    for (int d = 1; d < n / 10; ++d) {
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
}

const CA1TimeSeries& Series(int n) {
    static const CA1TimeSeries small = MakeSeries(10000);
    static const CA1TimeSeries large = MakeSeries(100000);
    return n <= 10000 ? small : large;
}

// Arguments: display type, screen (0: 1366 x 768 at scale 1, 1: 2732 x 1536
// at scale 2), samples.
void Render(benchmark::State& state, ITextRenderer* text) {
    const CA1TimeSeries& series = Series(static_cast<int>(state.range(2)));
    const bool doubled = state.range(1) != 0;
    const int width = doubled ? 2732 : 1366;
    const int height = doubled ? 1536 : 768;
    const double scale = doubled ? 2.0 : 1.0;
    CA1Diagram wnd(text);
    wnd.m_style.nDisplayType = static_cast<int>(state.range(0));
    for (auto _ : state) {
        const bool made = wnd.Create(width, height, scale);
        const bool drawn = wnd.Render(&series);
        benchmark::DoNotOptimize(made);
        benchmark::DoNotOptimize(drawn);
        benchmark::ClobberMemory();
    }
    state.SetLabel(doubled ? "2732x1536@2" : "1366x768@1");
}

void Arguments(benchmark::internal::Benchmark* b) {
    b->ArgNames({"type", "screen", "samples"});
    for (int type = 1; type <= 5; ++type)
        for (int screen = 0; screen <= 1; ++screen)
            for (int samples : {10000, 100000}) b->Args({type, screen, samples});
}

void BM_RenderFake(benchmark::State& state) {
    CFixedTextRenderer text;
    Render(state, &text);
}
BENCHMARK(BM_RenderFake)->Apply(Arguments)->Unit(benchmark::kMillisecond);

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
    CA1Diagram wnd(&text);
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
BENCHMARK(BM_RenderQt)->Apply(Arguments)->Unit(benchmark::kMillisecond);
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
