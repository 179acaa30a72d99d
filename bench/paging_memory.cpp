// Peak memory while paging through the whole bank in the learning window's six views, beside the peak
// when they first show their first question. Each picture is shown, painted and left behind, as a
// learner paging with "Next" leaves it.
//
//   paging_memory [TIMES]   (the shipped bank, VELMARIS_BENCH_BANK, copied TIMES times over)
//
// The bank is made first and paged in a fresh process, so that making it does not count.

#include <QApplication>
#include <QWidget>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bench/bench_bank.h"
#include "bench/learning_views.h"
#include "bench/program_allocator.h"
#include "store/connection.h"
#include "store/data_source.h"
#include "store/table_cursor.h"

namespace {

long peakKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

int page(int argc, char** argv, const std::string& folder)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    store::Connection connection;
    connection.setFile(store::bankFileIn(folder));
    store::TableCursor cursor("tblIntrebari", "Intrebari");
    cursor.setConnection(&connection);
    store::DataSource source("dsIntrebari", cursor);

    bench::LearningViews views(source);
    QWidget& window = views.window;
    cursor.Open();
    window.show();
    window.repaint();
    QCoreApplication::processEvents();
    const long shown = peakKiB();

    int count = 0;
    for (; !cursor.Eof(); cursor.Next(), ++count) {
        window.repaint();
        QCoreApplication::processEvents();
    }
    const long paged = peakKiB();
    std::printf("peak memory paging %d questions: first shown %ld KiB, after paging %ld KiB, growth %ld KiB\n", count,
                shown, paged, paged - shown);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    bench::useProgramAllocatorState();
    if (argc > 2 && std::string(argv[1]) == "--page")
        return page(argc, argv, argv[2]);
    const int times = argc > 1 ? std::atoi(argv[1]) : 1;
    const auto bank = bench::shippedBank(times);
    if (!bank) {
        std::fprintf(stderr, "paging_memory: VELMARIS_BENCH_BANK is not set\n");
        return 2;
    }
    const std::string folder = bank->folder.path();
    const pid_t child = fork();
    if (child == 0) {
        execl("/proc/self/exe", argv[0], "--page", folder.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
