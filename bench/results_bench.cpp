// The comparison with a hundred thousand stored machines: loading the result files, building the
// rows, and the comparison window's whole path (load at creation, RebuildList, first painting).
// The window must be ready in well under a second.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <QTreeView>
#include <cstdio>
#include <filesystem>
#include <string>

#include "results/benchUnit.h"
#include "results/cpubenchUnit.h"

namespace {

constexpr int kFiles = 1000;
constexpr int kRecordsPerFile = 100;  // 100,000 records, 131.6 MB

// A folder of result files with varied descriptions and results, removed at the end.
class ResultFolder {
  public:
    ResultFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "korvex-bench-XXXXXX");
        path_ = mkdtemp(pattern.data());
        std::uint32_t seed = 12345;
        const auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
        std::vector<TCpuRecord> records(kRecordsPerFile);
        for (int file = 0; file < kFiles; ++file) {
            for (TCpuRecord& record : records) {
                record = emptyRecord();
                setDescriptionText(record.Cpu, "Процессор " + std::to_string(next() % 100000));
                setDescriptionText(record.Fsb, std::to_string(100 + next() % 400));
                setDescriptionText(record.Memory, std::to_string(1 << (next() % 6)) + " ГБ");
                setDescriptionText(record.Os, "Windows XP");
                for (ResultRow& row : record.Results)
                    for (std::uint32_t& run : row) run = next() % 5000;
            }
            const std::filesystem::path name = path_ / ("machines" + std::to_string(file) + ".dat");
            std::FILE* out = std::fopen(name.c_str(), "wb");
            std::fwrite(records.data(), sizeof(TCpuRecord), records.size(), out);
            std::fclose(out);
        }
    }
    ~ResultFolder() { std::filesystem::remove_all(path_); }
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

const ResultFolder& folder() {
    static const ResultFolder instance;
    return instance;
}

void LoadResultFolder(benchmark::State& state) {
    for (auto _ : state) {
        std::deque<TCpuRecord> systems;
        loadResultFolder(folder().path(), systems);
        benchmark::DoNotOptimize(systems.size());
    }
    state.counters["records"] = kFiles * kRecordsPerFile;
}

void BuildComparisonRows(benchmark::State& state) {
    std::deque<TCpuRecord> systems;
    loadResultFolder(folder().path(), systems);
    const TCpuRecord own = makeOwnSystem();
    int test = 1;
    for (auto _ : state) {
        const ComparisonRows rows = buildComparisonRows(systems, own, test, BenchUnit::Cycles);
        benchmark::DoNotOptimize(rows.BarScale);
        test = test % 10 + 1;
    }
}

// FormCreate, the reading of the folder in slices between events, RebuildList and the first
// painting of the list, as after a test run.
void ComparisonWindowLoadRebuildPaint(benchmark::State& state) {
    for (auto _ : state) {
        TForm2 window(folder().path());
        while (!window.resultFolderRead()) QCoreApplication::processEvents();
        window.RebuildList();
        QTreeView* list = window.findChild<QTreeView*>(QStringLiteral("ListView1"));
        list->resize(731, 380);
        benchmark::DoNotOptimize(list->viewport()->grab().width());
    }
}

}  // namespace

BENCHMARK(LoadResultFolder)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BuildComparisonRows)->Unit(benchmark::kMillisecond);
BENCHMARK(ComparisonWindowLoadRebuildPaint)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    folder();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
