// Launch to first paint, whole process, under an Xvfb of its own: Velmaris's welcome window (its
// picture painted) against two bare Qt windows (their red painted), one empty and one that shows a label
// of text, run in turn; and the peak memory of each. Given a bank, also the program as installed (no
// bank beside it): for a new user, whose copy of the bank is made first, and for a user whose copy is
// already there.
//
//   launch_bench VELMARIS BARE_WINDOW BARE_TEXT_WINDOW [RUNS [BANK]]

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

int ignoreXErrors(Display*, XErrorEvent*)
{
    return 0;
}

pid_t spawn(const std::vector<std::string>& args, const std::string& display, const std::string& dataHome = {})
{
    const pid_t pid = fork();
    if (pid == 0) {
        if (!dataHome.empty())
            setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
        setenv("DISPLAY", display.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        std::vector<char*> argv;
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        freopen("/dev/null", "w", stderr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

long windowPid(Display* display, Window window)
{
    static const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", True);
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    long pid = -1;
    if (pidAtom != None &&
        XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after, &data) ==
            Success &&
        data && count == 1)
        pid = *reinterpret_cast<long*>(data);
    if (data)
        XFree(data);
    return pid;
}

// The colour of one pixel of the process's top-level window, once it is mapped; -1 before.
long pixelOf(Display* display, pid_t pid, int x, int y)
{
    Window root, parent, *children = nullptr;
    unsigned int count = 0;
    long result = -1;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return -1;
    for (unsigned int i = 0; i < count && result < 0; ++i) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display, children[i], &attributes) || attributes.map_state != IsViewable)
            continue;
        if (windowPid(display, children[i]) != pid || attributes.width <= x || attributes.height <= y)
            continue;
        if (XImage* image = XGetImage(display, children[i], x, y, 1, 1, AllPlanes, ZPixmap)) {
            result = static_cast<long>(XGetPixel(image, 0, 0) & 0xffffff);
            XDestroyImage(image);
        }
    }
    if (children)
        XFree(children);
    return result;
}

long peakKiB(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

struct Run {
    double ms;
    long kib;
};

// Starts the program and waits until the pixel shows `painted(colour)`.
template <typename Painted>
Run measure(Display* display, const std::string& program, const std::string& name, int x, int y, Painted painted,
            const std::string& dataHome = {})
{
    const auto start = Clock::now();
    const pid_t pid = spawn({program}, name, dataHome);
    Run run{-1, -1};
    while (Clock::now() - start < std::chrono::seconds(20)) {
        const long colour = pixelOf(display, pid, x, y);
        if (colour >= 0 && painted(colour)) {
            run.ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            break;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    run.kib = peakKiB(pid);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return run;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s VELMARIS BARE_WINDOW BARE_TEXT_WINDOW [RUNS [BANK]]\n", argv[0]);
        return 2;
    }
    const std::string velmaris = argv[1], bare = argv[2], text = argv[3];
    const int runs = argc > 4 ? std::atoi(argv[4]) : 10;
    const char* bank = argc > 5 ? argv[5] : nullptr;

    const std::string name = ":" + std::to_string(90 + getpid() % 100);
    const pid_t xvfb = spawn({"/usr/bin/Xvfb", name, "-screen", "0", "1600x1000x24", "-nolisten", "tcp"}, name);
    Display* display = nullptr;
    for (int i = 0; i < 200 && !display; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
        display = XOpenDisplay(name.c_str());
    }
    if (!display) {
        std::fprintf(stderr, "launch_bench: Xvfb did not start on %s\n", name.c_str());
        kill(xvfb, SIGTERM);
        return 1;
    }
    XSetErrorHandler(ignoreXErrors);

    // The middle of the welcome picture (753 x 481 at 80, 84): painted once it is neither unpainted
    // black nor the window's own background. A bare window paints its text in the same pass as its red.
    const auto pictureShown = [](long c) { return c != 0 && c != 0xefefef && c != 0xf0f0f0; };
    const auto redShown = [](long c) { return c == 0xff0000; };
    std::vector<double> velmarisMs, bareMs, textMs;
    long velmarisKiB = 0, bareKiB = 0, textKiB = 0;
    // Warm the file cache.
    measure(display, bare, name, 456, 324, redShown);
    measure(display, text, name, 456, 324, redShown);
    measure(display, velmaris, name, 456, 324, pictureShown);
    for (int i = 0; i < runs; ++i) {
        const Run b = measure(display, bare, name, 456, 324, redShown);
        const Run t = measure(display, text, name, 456, 324, redShown);
        const Run v = measure(display, velmaris, name, 456, 324, pictureShown);
        bareMs.push_back(b.ms);
        textMs.push_back(t.ms);
        velmarisMs.push_back(v.ms);
        bareKiB = std::max(bareKiB, b.kib);
        textKiB = std::max(textKiB, t.kib);
        velmarisKiB = std::max(velmarisKiB, v.kib);
    }

    // As installed: <root>/libexec/velmaris/Velmaris, the bank in <root>/share/velmaris, the user's
    // data in <root>/home.
    std::vector<double> newUserMs, copyThereMs;
    std::filesystem::path root;
    if (bank) {
        char pattern[] = "/tmp/launch_bench.XXXXXX";
        root = mkdtemp(pattern);
        std::filesystem::create_directories(root / "libexec/velmaris");
        std::filesystem::create_directories(root / "share/velmaris");
        std::filesystem::copy_file(velmaris, root / "libexec/velmaris/Velmaris");
        std::filesystem::copy_file(bank, root / "share/velmaris/Velmaris.mdb");
        const std::string installed = root / "libexec/velmaris/Velmaris", home = root / "home";
        measure(display, installed, name, 456, 324, pictureShown, home);
        for (int i = 0; i < runs; ++i) {
            std::filesystem::remove_all(home + "/velmaris");
            newUserMs.push_back(measure(display, installed, name, 456, 324, pictureShown, home).ms);
            copyThereMs.push_back(measure(display, installed, name, 456, 324, pictureShown, home).ms);
        }
    }
    XCloseDisplay(display);
    kill(xvfb, SIGTERM);
    waitpid(xvfb, nullptr, 0);

    const double v = median(velmarisMs), b = median(bareMs), t = median(textMs);
    const auto ratio = [](double x, double y) { return y > 0 ? x / y : 0; };
    std::printf(
        "launch to first paint (median of %d): Velmaris %.1f ms; bare Qt window with text %.1f ms, ratio "
        "%.2f; bare Qt window %.1f ms, ratio %.2f\n",
        runs, v, t, ratio(v, t), b, ratio(v, b));
    std::printf(
        "peak memory (VmHWM): Velmaris %ld KiB; bare Qt window with text %ld KiB, ratio %.2f; bare Qt "
        "window %ld KiB, ratio %.2f\n",
        velmarisKiB, textKiB, ratio(velmarisKiB, textKiB), bareKiB, ratio(velmarisKiB, bareKiB));
    if (!root.empty()) {
        const double n = median(newUserMs), c = median(copyThereMs);
        std::printf(
            "installed, launch to first paint (median of %d): new user (copy of a %.1f MB bank made) %.1f ms, "
            "copy already there %.1f ms, difference %.1f ms\n",
            runs, double(std::filesystem::file_size(bank)) / 1e6, n, c, n - c);
        std::filesystem::remove_all(root);
        if (n <= 0 || c <= 0)
            return 1;
    }
    return v > 0 && b > 0 && t > 0 ? 0 : 1;
}
