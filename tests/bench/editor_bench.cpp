// The editor form with a catalog of 10,000 papers, driven through its real
// controls: refilling the form, one accepted keystroke in the name field, and
// Add, Delete and Move Up. Prints each time against its target; the exit code
// is 1 when a target is missed.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/AppState.h"
#include "app/MainFrame.h"
#include "app/VellicorApp.h"
#include "catalog/PaperCatalog.h"
#include "editor/VellicorView.h"
#include "platform/MessageBox.h"
#include "resources/resource.h"

namespace fs = std::filesystem;

namespace {

constexpr int kPapers = 10000;

double Now() {
    static const double ticksPerMs = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / ticksPerMs;
}

struct Result {
    std::string what;
    double milliseconds;  // the slowest run
    double median;
    double target;
};

class Bench {
public:
    bool Start() {
        dir_ = fs::temp_directory_path() / "quandrel-editor-bench";
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        previous_ = fs::current_path();
        fs::current_path(dir_);
        std::ofstream(dir_ / "Vellicor.cfg", std::ios::binary)
            << "[I18N]\r\nLanguage=English\r\n[Limits]\r\nMinimumPaperWeight=60\r\nMaximumPaperWeight=200\r\n";
        // A box would wait for a user nobody is: count it instead.
        platform::SetMessageBoxAnswerer([this](const platform::MessageBoxRequest& box) {
            std::fprintf(stderr, "unexpected message box: %s\n", box.text.c_str());
            ++unexpectedBoxes_;
            return platform::kIdOk;
        });
        app_ = std::make_unique<CVellicorApp>();
        if (!app_->InitInstance()) return false;
        Pump();
        return true;
    }

    ~Bench() {
        AppState.CatalogModified = false;
        AppState.PaperEditPending = false;
        app_.reset();
        platform::SetMessageBoxAnswerer(nullptr);
        std::error_code ignored;
        fs::current_path(previous_, ignored);
        fs::remove_all(dir_, ignored);
    }

    CVellicorView& View() { return *app_->View(); }
    HWND Control(int id) { return GetDlgItem(View().Hwnd(), id); }
    int UnexpectedBoxes() const { return unexpectedBoxes_; }

    // Pumps and paints, so the time includes what the user waits for.
    void Pump() {
        app_->PumpPendingMessages();
        UpdateWindow(app_->Frame()->Hwnd());
        app_->PumpPendingMessages();
    }

    void UseLargeCatalog() {
        auto catalog = std::make_unique<CPaperCatalog>();
        for (int i = 0; i < kPapers; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "Paper%05d", i);
            catalog->AddPaper(i == 0 ? AppState.DefaultPaperName : name, "A4", "80", "white", "plain", false, i);
        }
        AppState.CurrentCatalog = std::move(catalog);
    }

    void Refill() {
        View().RefreshPaperList();
        View().SelectDefaultPaperLine();
        View().ShowSelectedPaper();
        Pump();
    }

    void ClickLine(int line) {
        HWND list = Control(IDC_PAPER_LIST);
        SendMessageA(list, LB_SETTOPINDEX, line, 0);
        RECT item{};
        SendMessageA(list, LB_GETITEMRECT, line, reinterpret_cast<LPARAM>(&item));
        const LPARAM point = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
        SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
        SendMessageA(list, WM_LBUTTONUP, 0, point);
        Pump();
    }

    void TypeName(const std::string& text) {
        HWND edit = Control(IDC_NAME);
        SetFocus(edit);
        SendMessageA(edit, EM_SETSEL, 0, -1);
        SendMessageA(edit, WM_CHAR, '\b', 1);
        for (unsigned char c : text) SendMessageA(edit, WM_CHAR, c, 1);
        Pump();
    }

    void Click(int id) {
        SendMessageA(Control(id), BM_CLICK, 0, 0);
        Pump();
    }

private:
    fs::path dir_;
    fs::path previous_;
    std::unique_ptr<CVellicorApp> app_;
    int unexpectedBoxes_ = 0;
};

// Runs `prepare` untimed and `act` timed, `runs` times.
Result Measure(const std::string& what, double target, int runs, const std::function<void()>& prepare,
               const std::function<void()>& act) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        prepare();
        const double start = Now();
        act();
        times.push_back(Now() - start);
    }
    std::sort(times.begin(), times.end());
    return {what, times.back(), times[times.size() / 2], target};
}

}  // namespace

int main() {
    Bench bench;
    if (!bench.Start()) {
        std::fprintf(stderr, "the program did not start\n");
        return 2;
    }
    std::vector<Result> results;

    results.push_back(Measure(
        "form refilled (10,000 papers)", 1500, 3, [&] { bench.UseLargeCatalog(); }, [&] { bench.Refill(); }));

    bench.ClickLine(5000);
    HWND name = bench.Control(IDC_NAME);
    bool typed = false;
    results.push_back(Measure(
        "accepted keystroke in the name field", 5, 200,
        [&] {
            SetFocus(name);
            SendMessageA(name, EM_SETSEL, 32767, 32767);
        },
        [&] {
            // One character typed, then taken back: both accepted keystrokes.
            SendMessageA(name, WM_CHAR, typed ? '\b' : 'x', 1);
            typed = !typed;
            bench.Pump();
        }));

    int added = 0;
    results.push_back(Measure(
        "Add", 100, 10,
        [&] {
            char text[32];
            std::snprintf(text, sizeof text, "Added%03d", added++);
            bench.TypeName(text);
        },
        [&] { bench.Click(IDC_ADD); }));

    results.push_back(Measure(
        "Delete", 100, 10, [&] { bench.ClickLine(4000); }, [&] { bench.Click(IDC_DELETE); }));

    results.push_back(Measure(
        "Move Up", 100, 10, [&] { bench.ClickLine(6000); }, [&] { bench.Click(IDC_MOVE_UP); }));

    bool missed = bench.UnexpectedBoxes() > 0;
    std::printf("%-40s %10s %10s %10s\n", "operation", "median ms", "max ms", "target ms");
    for (const Result& r : results) {
        const bool ok = r.milliseconds < r.target;
        missed = missed || !ok;
        std::printf("%-40s %10.2f %10.2f %10.0f  %s\n", r.what.c_str(), r.median, r.milliseconds, r.target,
                    ok ? "ok" : "MISSED");
    }
    std::printf("papers at the end: %d\n", AppState.CurrentCatalog->GetCount());
    return missed ? 1 : 0;
}
