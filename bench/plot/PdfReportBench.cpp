// SPDX-License-Identifier: GPL-3.0-or-later
// Writing the PDF report of each bundled sample series: the pages in memory
// (layout, five diagrams at scale 3, fonts, compression) and the same with
// the file written beside (temporary file and rename).

#include "eval/EvalSteps.h"
#include "files/ReportDocument.h"
#include "import/LogImport.h"
#include "platform/qt/QtPdfReport.h"
#include "platform/qt/QtTextRenderer.h"
#include "series/A1TimeSeries.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QGuiApplication>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Series `index` of a bundled sample, evaluated with seed 1.
CA1TimeSeries Sample(const std::string& name, std::size_t index) {
    std::vector<CA1TimeSeries> list;
    ImportRequest request;
    request.strPath = std::string(DW_EXAMPLES_DIR) + "/" + name;
    ImportLogFile(request, IMPORT_NONE, list);
    if (index >= list.size()) return CA1TimeSeries();
    CA1TimeSeries s = list[index];
    EVALINPUTS inputs;
    inputs.nSeed = 1;
    if (RunCharFuncStep(s, inputs)) RunModelFitStep(s, inputs, FitStepStart::FitOnly);
    return s;
}

void BM_PdfReport(benchmark::State& state, const std::string& name, std::size_t index, bool toFile) {
    const CA1TimeSeries series = Sample(name, index);
    REPORTINPUTS inputs;
    inputs.nSeriesNumber = static_cast<int>(index) + 1;
    inputs.nEvaluationTime = 1700000000;
    const REPORTDOCUMENT doc = BuildReportDocument(series, inputs);
    CQtTextRenderer text;
    CQtPdfReport writer(&text);
    const std::string path = "/tmp/dw_pdf_bench_report.pdf";
    qsizetype bytes = 0;
    for (auto _ : state) {
        std::string error;
        if (toFile) {
            if (!writer.WritePdf(doc, series, path, error)) state.SkipWithError(error.c_str());
        } else {
            QByteArray pdf;
            if (!writer.RenderPdf(doc, series, pdf, error)) state.SkipWithError(error.c_str());
            bytes = pdf.size();
        }
    }
    if (toFile) std::remove(path.c_str());
    else state.counters["bytes"] = static_cast<double>(bytes);
}

BENCHMARK_CAPTURE(BM_PdfReport, c1a1_s001_memory, std::string("c1a1_two_series.log"), 0, false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PdfReport, c1a1_s002_memory, std::string("c1a1_two_series.log"), 1, false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PdfReport, atlas_s001_memory, std::string("atlas_stab.dat"), 0, false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PdfReport, c1a1_s001_file, std::string("c1a1_two_series.log"), 0, true)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);  // fonts
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
