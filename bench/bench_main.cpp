// Speed figures: one evaluation per locale, start-up to the first frame against an empty Qt
// window of the same size, and Enter on "2500" until the three captions are set.

#include "frmMezni_odchylka.h"
#include "messageboxes.h"
#include "numbers.h"
#include "outcome.h"
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
#include <zlib.h>

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
    double cpuSeconds; // user and system, on every thread
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
    double cpuSeconds;
};

Exit waitFor(pid_t pid)
{
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const auto seconds = [](const timeval &t) {
        return double(t.tv_sec) + double(t.tv_usec) / 1e6;
    };
    return {WIFEXITED(status) && WEXITSTATUS(status) != 127, usage.ru_maxrss,
            seconds(usage.ru_utime) + seconds(usage.ru_stime)};
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
        return {0, 0, 0};
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            exit.peakKiB, exit.cpuSeconds};
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
        return {0, 0, 0};
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
        return {0, 0, 0};
    return {std::chrono::duration<double>(frame - start).count(), exit.peakKiB, exit.cpuSeconds};
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

// A workbook of parcels as openpyxl's streaming writer makes it (numbers and inline strings),
// made once, with the same rows as a CSV table beside it; the .ods is LibreOffice's conversion
// of the .xlsx.
std::string writeWorkbook(long rows, const char *type)
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path();
    const std::string stem = "mo-bench-book-" + std::to_string(rows);
    const std::filesystem::path xlsx = folder / (stem + ".xlsx");
    if (!std::filesystem::exists(xlsx)) {
        const std::string script =
            "import openpyxl, random, sys\n"
            "n = int(sys.argv[1]); wb = openpyxl.Workbook(write_only=True)\n"
            "ws = wb.create_sheet('Parcely'); r = random.Random(1)\n"
            "ws.append(['Parcela', 'Výměra', 'Druh pozemku', 'Poznámka'])\n"
            "csv = open(sys.argv[3], 'w', encoding='utf-8')\n"
            "csv.write('Parcela;Výměra;Druh pozemku;Poznámka\\n')\n"
            "for i in range(1, n + 1):\n"
            "    row = [f'{i}/{r.randint(1, 9)}', r.randint(50, 90000),\n"
            "           r.choice(['orná půda', 'zahrada', 'ostatní plocha', 'les']),\n"
            "           'poznámka %d' % r.randint(1, 1000)]\n"
            "    ws.append(row); csv.write(';'.join(str(v) for v in row) + '\\n')\n"
            "wb.save(sys.argv[2])\n";
        runToEnd({"/usr/bin/python3", "-c", script, std::to_string(rows), xlsx.string(),
                  (folder / (stem + ".csv")).string()});
    }
    if (std::string(type) == "csv")
        return folder / (stem + ".csv");
    const std::filesystem::path book = folder / (stem + "." + type);
    if (!std::filesystem::exists(book) && std::filesystem::exists(xlsx))
        runToEnd({"soffice", "--headless", "--convert-to", type, "--outdir", folder.string(),
                  xlsx.string()});
    return std::filesystem::exists(book) ? book.string() : std::string();
}

// The name of a workbook's sheet part.
std::string sheetPart(ZipReader &zip)
{
    for (const ZipEntry &e : zip.entries())
        if (e.name == "content.xml" || e.name.rfind("xl/worksheets/", 0) == 0)
            return e.name;
    return {};
}

// zlib alone: inflating the input's sheet part and deflating the written one at zlib's default
// level, in memory, as a stream in pieces.
double zlibFloor(const std::string &input, const std::string &written)
{
    QFile in(QString::fromStdString(input)), out(QString::fromStdString(written));
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::ReadOnly))
        return 0;
    ZipReader before(in), after(out);
    const std::string name = sheetPart(before);
    std::string compressed;
    if (name.empty() || !before.open(name, true))
        return 0;
    char piece[1 << 16];
    for (qint64 got; (got = before.readSome(piece, sizeof piece)) > 0;)
        compressed.append(piece, std::size_t(got));
    before.close();
    const std::optional<QByteArray> sheet = after.read(name, qint64(1) << 31);
    if (!sheet)
        return 0;
    std::vector<unsigned char> scratch(1 << 18);
    const auto start = std::chrono::steady_clock::now();
    z_stream inflater{};
    inflateInit2(&inflater, -MAX_WBITS);
    inflater.next_in = reinterpret_cast<Bytef *>(compressed.data());
    inflater.avail_in = uInt(compressed.size());
    for (int r = Z_OK; r == Z_OK;) {
        inflater.next_out = scratch.data();
        inflater.avail_out = uInt(scratch.size());
        r = inflate(&inflater, Z_NO_FLUSH);
    }
    inflateEnd(&inflater);
    z_stream deflater{};
    deflateInit2(&deflater, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    for (qsizetype at = 0; at < sheet->size();) {
        const qsizetype n = std::min<qsizetype>(1 << 18, sheet->size() - at);
        deflater.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(sheet->constData() + at));
        deflater.avail_in = uInt(n);
        at += n;
        const int flush = at == sheet->size() ? Z_FINISH : Z_NO_FLUSH;
        do {
            deflater.next_out = scratch.data();
            deflater.avail_out = uInt(scratch.size());
            deflate(&deflater, flush);
        } while (deflater.avail_out == 0);
    }
    deflateEnd(&deflater);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The program on a 100,000-row workbook, written back whole, beside zlib's own work on its
// sheet (the floor) and beside LibreOffice converting the same workbook to CSV alone.
void BM_WorkbookAgainstZlib(benchmark::State &state)
{
    const char *type = state.range(0) == 0 ? "xlsx" : "ods";
    state.SetLabel(type);
    const std::string book = writeWorkbook(100000, type);
    if (book.empty()) {
        state.SkipWithError("python3 with openpyxl, or LibreOffice (soffice), is not installed");
        return;
    }
    const std::string out =
        std::filesystem::temp_directory_path() / (std::string("mo-bench-out.") + type);
    const std::string lo = std::filesystem::temp_directory_path() / "mo-bench-lo";
    double program = 0, programCpu = 0, floor = 0, libreoffice = 0;
    long peak = 0;
    for (auto _ : state) {
        // Alternated, so that all three see the same machine state.
        const Run p = runToEnd({appPath, "-s", book, "-o", out});
        const double z = zlibFloor(book, out);
        const Run l =
            runToEnd({"soffice", "--headless", "--convert-to", "csv", "--outdir", lo, book});
        if (p.seconds == 0 || z == 0 || l.seconds == 0) {
            state.SkipWithError("the program, zlib's floor or LibreOffice did not run");
            return;
        }
        program += p.seconds;
        programCpu += p.cpuSeconds;
        floor += z;
        libreoffice += l.seconds;
        peak = std::max(peak, p.peakKiB);
        state.SetIterationTime(p.seconds);
    }
    const auto n = double(state.iterations());
    state.counters["program_s"] = program / n;
    state.counters["zlib_floor_s"] = floor / n;
    state.counters["ratio_to_zlib"] = program / floor;
    // The program deflates on a second thread: its processor time beside the same floor.
    state.counters["program_cpu_s"] = programCpu / n;
    state.counters["cpu_ratio_to_zlib"] = programCpu / floor;
    state.counters["libreoffice_to_csv_s"] = libreoffice / n;
    state.counters["speedup_over_libreoffice"] = libreoffice / program;
    state.counters["written_per_input_size"] =
        double(std::filesystem::file_size(out)) / double(std::filesystem::file_size(book));
    state.counters["peak_KiB"] = double(peak);
}
BENCHMARK(BM_WorkbookAgainstZlib)
    ->DenseRange(0, 1)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

// Peak memory of a 1,000,000-row workbook written back whole, beside a 10,000-row one.
void BM_WorkbookMemory(benchmark::State &state)
{
    const std::string big = writeWorkbook(1000000, "xlsx"), small = writeWorkbook(10000, "xlsx");
    if (big.empty() || small.empty()) {
        state.SkipWithError("python3 with openpyxl is not installed");
        return;
    }
    const std::string out = std::filesystem::temp_directory_path() / "mo-bench-memory.xlsx";
    long bigPeak = 0, smallPeak = 0;
    for (auto _ : state) {
        const Run b = runToEnd({appPath, "-s", big, "-o", out});
        const Run s = runToEnd({appPath, "-s", small, "-o", out});
        if (b.seconds == 0 || s.seconds == 0) {
            state.SkipWithError("the program did not run");
            return;
        }
        bigPeak = std::max(bigPeak, b.peakKiB);
        smallPeak = std::max(smallPeak, s.peakKiB);
        state.SetIterationTime(b.seconds);
    }
    state.counters["peak_KiB_1M_rows"] = double(bigPeak);
    state.counters["peak_KiB_10k_rows"] = double(smallPeak);
    state.counters["ratio"] = double(bigPeak) / double(smallPeak);
}
BENCHMARK(BM_WorkbookMemory)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

// A choice changed in the table window on the 100,000-row workbook, until its new summary is
// complete, beside the command line computing the same choice on a CSV table of the same rows.
void BM_TableWindowChoiceChange(benchmark::State &state)
{
    const std::string book = writeWorkbook(100000, "xlsx"), csv = writeWorkbook(100000, "csv");
    if (book.empty()) {
        state.SkipWithError("python3 with openpyxl is not installed");
        return;
    }
    double window = 0, commandLine = 0;
    for (auto _ : state) {
        double ms = 0;
        if (FILE *child = popen((childPath + " choice " + book + " 2>/dev/null").c_str(), "r")) {
            if (std::fscanf(child, "%lf", &ms) != 1)
                ms = 0;
            pclose(child);
        }
        const Run c = runToEnd({appPath, "-s", csv, "-m", "2000"});
        if (ms == 0 || c.seconds == 0) {
            state.SkipWithError("the table window or the command line did not finish");
            return;
        }
        window += ms / 1000;
        commandLine += c.seconds;
        state.SetIterationTime(ms / 1000);
    }
    const auto n = double(state.iterations());
    state.counters["window_s"] = window / n;
    state.counters["command_line_s"] = commandLine / n;
    state.counters["ratio_to_command_line"] = window / commandLine;
}
BENCHMARK(BM_TableWindowChoiceChange)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

// No box is shown while Enter is timed.
class SilentMessageBoxes final : public MessageBoxes
{
public:
    void show(QWidget *, MessageIcon, const QString &, const QString &) override {}
};

void BM_EnterUntilCaptions(benchmark::State &state)
{
    SilentMessageBoxes boxes;
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
