// Speed figures: one evaluation per locale, start-up to the first frame against an empty Qt
// window of the same size, and Enter on "2500" until the three captions are set.

#include "frmMezni_odchylka.h"
#include "numbers.h"
#include "outcome.h"
#include "recordingmessageboxes.h"
#include "resulttexts.h"
#include "zip.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <array>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace mezni;

namespace {

std::string childPath;
std::string appPath = MO_APP_PATH;

QLocale localeNamed(int index)
{
    static const std::array<QLocale, 5> locales{
        QLocale(QLocale::Czech, QLocale::Czechia), QLocale(QLocale::English, QLocale::UnitedStates),
        QLocale(QLocale::German, QLocale::Germany), QLocale(QLocale::French, QLocale::France),
        QLocale::c()};
    return locales[static_cast<std::size_t>(index)];
}

void BM_Evaluate(benchmark::State &state)
{
    const QLocale locale = localeNamed(int(state.range(0)));
    state.SetLabel(locale.name().toStdString());
    const NumberFormat numbers(locale);
    const QString area = QStringLiteral("2500");
    for (auto _ : state)
        benchmark::DoNotOptimize(evaluate(area, 1, 0, numbers));
}
BENCHMARK(BM_Evaluate)->DenseRange(0, 4);

// Baseline: the same evaluation with QLocale's own reading and formatting.
void BM_EvaluateThroughQLocale(benchmark::State &state)
{
    const QLocale locale = localeNamed(int(state.range(0)));
    state.SetLabel(locale.name().toStdString());
    const QString area = QStringLiteral("2500");
    for (auto _ : state) {
        const Evaluation e = evaluateArea(*textToDouble(area, locale), 1, 0);
        const std::array<QString, 3> captions{
            QStringLiteral("  ") + formatOneDecimal(e.figures.delta, locale),
            QStringLiteral("  ") + formatOneDecimal(e.figures.twoDelta, locale),
            QStringLiteral("  MIN  = ") + formatOneDecimal(e.figures.min, locale) +
                QStringLiteral("\r\n   MAX = ") + formatOneDecimal(e.figures.max, locale)};
        benchmark::DoNotOptimize(captions);
    }
}
BENCHMARK(BM_EvaluateThroughQLocale)->DenseRange(0, 4);

struct Run
{
    double seconds;
    long peakKiB;
};

// Starts a command (found on PATH) with its standard output on out, and its errors too where
// quiet; returns the child's pid.
pid_t spawn(const std::vector<std::string> &command, int out, bool quiet)
{
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out, STDOUT_FILENO);
        if (quiet)
            dup2(out, STDERR_FILENO);
        std::vector<char *> argv;
        for (const std::string &a : command)
            argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

struct Exit
{
    bool ran; // exited normally, and not for want of the command
    long peakKiB;
};

Exit waitFor(pid_t pid)
{
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    return {WIFEXITED(status) && WEXITSTATUS(status) != 127, usage.ru_maxrss};
}

// Runs a command to its end with standard output to /dev/null: wall time and peak memory.
Run runToEnd(const std::vector<std::string> &command)
{
    const int devNull = open("/dev/null", O_WRONLY);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = spawn(command, devNull, true);
    close(devNull);
    const Exit exit = waitFor(pid);
    if (!exit.ran)
        return {0, 0};
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            exit.peakKiB};
}

// A Czech Excel table: Windows-1250, semicolons, decimal commas, CRLF, the area in column 2.
std::string writeExcelTable(long rows)
{
    const std::string path =
        std::filesystem::temp_directory_path() / ("mo-bench-" + std::to_string(rows) + ".csv");
    if (std::filesystem::exists(path))
        return path;
    std::FILE *file = std::fopen(path.c_str(), "wb");
    std::fputs("Parcela;V\xFDm\xECra [m2];Pozn\xE1mka\r\n", file);
    std::uint64_t seed = 20261208;
    for (long i = 0; i < rows; ++i) {
        seed = seed * 6364136223846793005u + 1442695040888963407u;
        const unsigned hundredths = unsigned(seed >> 33) % 10000000u + 100u;
        std::fprintf(file, "%ld/%ld;%u,%02u;p\xF8\xEDkop\r\n", 100 + i / 7, i % 7 + 1,
                     hundredths / 100, hundredths % 100);
    }
    std::fclose(file);
    return path;
}

void BM_TableMillionRows(benchmark::State &state)
{
    const std::string big = writeExcelTable(1000000), small = writeExcelTable(10000);
    const std::string mawk = "NR>1{gsub(\",\",\".\",$2); p=$2+0; d=0.25*sqrt(p)+2; lo=p-2*d; "
                             "if(lo<0.5)lo=0.5; printf \"%s;%.1f;%.1f;%.1f;%.1f\\n\",$1,d,2*d,lo,"
                             "p+2*d}";
    double program = 0, baseline = 0;
    long bigPeak = 0, smallPeak = 0;
    for (auto _ : state) {
        // Alternated, so that both see the same machine state.
        const Run p = runToEnd({appPath, "-s", big});
        const Run m = runToEnd({"mawk", "-F;", mawk, big});
        const Run s = runToEnd({appPath, "-s", small});
        if (p.seconds == 0 || m.seconds == 0 || s.seconds == 0) {
            state.SkipWithError("the program or mawk did not run");
            return;
        }
        program += p.seconds;
        baseline += m.seconds;
        bigPeak = std::max(bigPeak, p.peakKiB);
        smallPeak = std::max(smallPeak, s.peakKiB);
        state.SetIterationTime(p.seconds);
    }
    const auto n = double(state.iterations());
    state.counters["program_s"] = program / n;
    state.counters["mawk_s"] = baseline / n;
    state.counters["speedup"] = baseline / program;
    state.counters["peak_KiB_1M_rows"] = double(bigPeak);
    state.counters["peak_KiB_10k_rows"] = double(smallPeak);
}
BENCHMARK(BM_TableMillionRows)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

// Spawns the child, waits for the byte it writes (at its first frame, or where a table's summary
// is complete), then for its exit (for its peak memory).
Run startChild(const std::vector<std::string> &args)
{
    int out[2];
    if (pipe(out) != 0)
        return {0, 0};
    std::vector<std::string> command{childPath};
    command.insert(command.end(), args.begin(), args.end());
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = spawn(command, out[1], false);
    close(out[1]);
    char byte = 0;
    const bool framed = read(out[0], &byte, 1) == 1 && byte == 'F';
    const auto frame = std::chrono::steady_clock::now();
    close(out[0]);
    const Exit exit = waitFor(pid);
    if (!framed)
        return {0, 0};
    return {std::chrono::duration<double>(frame - start).count(), exit.peakKiB};
}

void BM_StartupToFirstFrame(benchmark::State &state)
{
    int width = 0, height = 0;
    {
        FILE *size = popen((childPath + " size").c_str(), "r");
        if (!size || std::fscanf(size, "%d %d", &width, &height) != 2) {
            state.SkipWithError("cannot measure the window size");
            return;
        }
        pclose(size);
    }
    const std::string w = std::to_string(width), h = std::to_string(height);
    double window = 0, label = 0, empty = 0;
    long windowPeak = 0, labelPeak = 0, emptyPeak = 0;
    for (auto _ : state) {
        // Alternated, so that all three see the same machine state.
        const Run p = startChild({});
        const Run l = startChild({"label", w, h});
        const Run e = startChild({"empty", w, h});
        if (p.seconds == 0 || l.seconds == 0 || e.seconds == 0) {
            state.SkipWithError("a child did not show a frame");
            return;
        }
        window += p.seconds;
        label += l.seconds;
        empty += e.seconds;
        windowPeak = std::max(windowPeak, p.peakKiB);
        labelPeak = std::max(labelPeak, l.peakKiB);
        emptyPeak = std::max(emptyPeak, e.peakKiB);
        state.SetIterationTime(p.seconds);
    }
    const auto n = double(state.iterations());
    state.counters["window_ms"] = 1000 * window / n;
    state.counters["label_ms"] = 1000 * label / n;
    state.counters["empty_ms"] = 1000 * empty / n;
    state.counters["ratio_to_label"] = window / label;
    state.counters["ratio_to_empty"] = window / empty;
    state.counters["window_peak_KiB"] = double(windowPeak);
    state.counters["label_peak_KiB"] = double(labelPeak);
    state.counters["empty_peak_KiB"] = double(emptyPeak);
    state.counters["peak_ratio_to_label"] = double(windowPeak) / double(labelPeak);
}
BENCHMARK(BM_StartupToFirstFrame)->UseManualTime()->Iterations(30)->Unit(benchmark::kMillisecond);

// The million-row table in the table window until its summary is complete, beside the command
// line on the same file; memory beside the table window on a table of its header only.
void BM_TableWindowMillionRows(benchmark::State &state)
{
    const std::string big = writeExcelTable(1000000);
    const std::string header = std::filesystem::temp_directory_path() / "mo-bench-header.csv";
    if (std::FILE *file = std::fopen(header.c_str(), "wb")) {
        std::fputs("Parcela;V\xFDm\xECra [m2];Pozn\xE1mka\r\n", file);
        std::fclose(file);
    }
    double window = 0, commandLine = 0;
    long windowPeak = 0, emptyPeak = 0;
    for (auto _ : state) {
        // Alternated, so that both see the same machine state.
        const Run w = startChild({"table", big});
        const Run c = runToEnd({appPath, "-s", big});
        const Run e = startChild({"table", header});
        if (w.seconds == 0 || c.seconds == 0 || e.seconds == 0) {
            state.SkipWithError("the table window or the command line did not finish");
            return;
        }
        window += w.seconds;
        commandLine += c.seconds;
        windowPeak = std::max(windowPeak, w.peakKiB);
        emptyPeak = std::max(emptyPeak, e.peakKiB);
        state.SetIterationTime(w.seconds);
    }
    const auto n = double(state.iterations());
    const double fileKiB = double(std::filesystem::file_size(big)) / 1024;
    state.counters["window_s"] = window / n;
    state.counters["command_line_s"] = commandLine / n;
    state.counters["ratio_to_command_line"] = window / commandLine;
    state.counters["file_KiB"] = fileKiB;
    state.counters["window_peak_KiB"] = double(windowPeak);
    state.counters["empty_window_peak_KiB"] = double(emptyPeak);
    state.counters["above_empty_per_file_size"] = double(windowPeak - emptyPeak) / fileKiB;
}
BENCHMARK(BM_TableWindowMillionRows)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

// A 100,000-row workbook (.xlsx or .ods), made once by LibreOffice from a plain CSV table.
std::string writeWorkbook(const char *type)
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path();
    const std::filesystem::path csv = folder / "mo-bench-workbook.csv";
    const std::filesystem::path book = folder / (std::string("mo-bench-workbook.") + type);
    if (std::filesystem::exists(book))
        return book;
    if (std::FILE *file = std::fopen(csv.c_str(), "wb")) {
        std::fputs("Parcela,Vymera,Poznamka\n", file);
        std::uint64_t seed = 20261209;
        for (long i = 0; i < 100000; ++i) {
            seed = seed * 6364136223846793005u + 1442695040888963407u;
            std::fprintf(file, "%ld/%ld,%u.%u,p\n", 100 + i / 7, i % 7 + 1,
                         unsigned(seed >> 33) % 100000u + 1u, unsigned(seed >> 20) % 10u);
        }
        std::fclose(file);
    }
    runToEnd({"soffice", "--headless", "--infilter=CSV:44,34,76,1", "--convert-to", type,
              "--outdir", folder.string(), csv.string()});
    return std::filesystem::exists(book) ? book.string() : std::string();
}

// The uncompressed size of the workbook's sheet part.
double sheetKiB(const std::string &path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    ZipReader zip(file);
    for (const ZipEntry &e : zip.entries())
        if (e.name == "content.xml" || e.name.rfind("xl/worksheets/", 0) == 0)
            return double(e.size) / 1024;
    return 0;
}

// The program on a 100,000-row workbook, written back whole, beside LibreOffice converting the
// same workbook to CSV alone; the program's peak memory beside the sheet's uncompressed size.
void BM_WorkbookHundredThousandRows(benchmark::State &state)
{
    const char *type = state.range(0) == 0 ? "xlsx" : "ods";
    state.SetLabel(type);
    const std::string book = writeWorkbook(type);
    if (book.empty()) {
        state.SkipWithError("LibreOffice (soffice) is not installed: no workbook, no baseline");
        return;
    }
    const std::string out =
        std::filesystem::temp_directory_path() / (std::string("mo-bench-out.") + type);
    const std::string lo = std::filesystem::temp_directory_path() / "mo-bench-lo";
    double program = 0, libreoffice = 0;
    long peak = 0;
    for (auto _ : state) {
        // Alternated, so that both see the same machine state.
        const Run p = runToEnd({appPath, "-s", book, "-o", out});
        const Run l =
            runToEnd({"soffice", "--headless", "--convert-to", "csv", "--outdir", lo, book});
        if (p.seconds == 0 || l.seconds == 0) {
            state.SkipWithError("the program or LibreOffice did not run");
            return;
        }
        program += p.seconds;
        libreoffice += l.seconds;
        peak = std::max(peak, p.peakKiB);
        state.SetIterationTime(p.seconds);
    }
    const auto n = double(state.iterations());
    const double sheet = sheetKiB(book);
    state.counters["program_s"] = program / n;
    state.counters["libreoffice_to_csv_s"] = libreoffice / n;
    state.counters["speedup"] = libreoffice / program;
    state.counters["peak_KiB"] = double(peak);
    state.counters["sheet_KiB"] = sheet;
    state.counters["peak_per_sheet_size"] = double(peak) / sheet;
}
BENCHMARK(BM_WorkbookHundredThousandRows)
    ->DenseRange(0, 1)
    ->UseManualTime()
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);

void BM_EnterUntilCaptions(benchmark::State &state)
{
    RecordingMessageBoxes boxes;
    frmMezni_odchylka window(boxes, QLocale(QLocale::Czech, QLocale::Czechia));
    window.show();
    auto *text = window.findChild<QLineEdit *>(QStringLiteral("txtVymera"));
    auto *bounds = window.findChild<QLabel *>(QStringLiteral("lblMezniHodnoty"));
    for (auto _ : state) {
        state.PauseTiming();
        text->setText(QStringLiteral("2500")); // clears the captions
        state.ResumeTiming();
        QTest::keyClick(text, Qt::Key_Return);
        if (bounds->text().isEmpty())
            state.SkipWithError("no captions after Enter");
    }
}
BENCHMARK(BM_EnterUntilCaptions)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    childPath = QCoreApplication::applicationDirPath().toStdString() + "/mo_startup_child";
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
