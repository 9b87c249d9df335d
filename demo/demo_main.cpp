// norv_demo [--snapshot [png path] | --time] [records.csv]
// Shows the control with sample sales records, or with the records of a CSV file. With
// --snapshot it works through a short scripted session, writes a picture of the window and ends.

#include "csv_reader.h"
#include "demo_session.h"
#include "demo_window.h"
#include "sample_sales.h"
#include "window_capture.h"

#include <shellapi.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

struct Options {
    bool snapshot = false;
    bool time = false; // how long reading and showing took, then end
    std::wstring picture = L"demo.png";
    std::wstring csv;
};

bool EndsWith(const std::wstring& text, const wchar_t* suffix) {
    const std::wstring tail(suffix);
    return text.size() >= tail.size() &&
           CompareStringOrdinal(text.c_str() + text.size() - tail.size(),
                                static_cast<int>(tail.size()), tail.c_str(),
                                static_cast<int>(tail.size()), TRUE) == CSTR_EQUAL;
}

bool ParseOptions(Options& options, std::wstring& error) {
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> list(args, args + count);
    LocalFree(args);
    for (size_t i = 1; i < list.size(); ++i) {
        const std::wstring& arg = list[i];
        if (arg == L"--time") {
            options.time = options.snapshot = true; // quiet, too
        } else if (arg == L"--snapshot") {
            options.snapshot = true;
            if (i + 1 < list.size() && EndsWith(list[i + 1], L".png"))
                options.picture = list[++i];
        } else if (options.csv.empty() && arg.compare(0, 2, L"--") != 0) {
            options.csv = arg;
        } else {
            error = L"unknown argument: " + arg +
                    L"\nusage: norv_demo [--snapshot [picture.png] | --time] [records.csv]";
            return false;
        }
    }
    return true;
}

std::wstring FullPath(const std::wstring& path) {
    wchar_t full[MAX_PATH * 2];
    const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH * 2, full, nullptr);
    return length > 0 && length < MAX_PATH * 2 ? std::wstring(full, length) : path;
}

// norv.dll is looked for beside the program.
std::wstring ModuleBesideProgram() {
    wchar_t path[MAX_PATH * 2];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    std::wstring module(path, length);
    const size_t slash = module.find_last_of(L"\\/");
    module.erase(slash == std::wstring::npos ? 0 : slash + 1);
    return module + L"norv.dll";
}

// How the read of a long file goes, on the status line; in a snapshot, its end also on standard
// output.
CsvProgress ShowProgress(DemoWindow& demo, const Options& options) {
    return [&demo, &options](int percent) {
        const std::wstring text =
            L"Reading " + options.csv + L": " + std::to_wstring(percent) + L"%";
        demo.ShowStatus(text);
        if (options.snapshot && percent == 100)
            PrintLine(L"  " + text);
    };
}

// What the status line keeps saying about records whose fields do not match the header's.
std::wstring FieldCountNote(const CsvReport& report) {
    auto records = [](LONG count) {
        return std::to_wstring(count) + (count == 1 ? L" record has " : L" records have ");
    };
    std::wstring note;
    if (report.shorterRecords > 0)
        note = records(report.shorterRecords) + L"fewer fields than the header";
    if (report.longerRecords > 0)
        note += (note.empty() ? L"" : L", ") + records(report.longerRecords) +
                L"more fields than the header";
    return note;
}

bool LoadRecords(const Options& options, DataGrid& grid, DemoWindow& demo, std::wstring& error) {
    if (options.csv.empty()) {
        if (BuildSampleSales(grid))
            return true;
        error = L"not enough memory for the sample records";
        return false;
    }
    CsvReport report;
    if (!ReadCsvFile(options.csv, grid, report, ShowProgress(demo, options))) {
        error = options.csv + L": " + report.error;
        if (report.line > 0)
            error += L" (line " + std::to_wstring(report.line) + L")";
        return false;
    }
    const std::wstring note = FieldCountNote(report);
    demo.SetNote(note);
    if (options.snapshot && !note.empty())
        PrintLine(L"  " + note);
    return true;
}

double Seconds() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The records painted, then the times so far.
int ShowTimes(DemoWindow& demo, double read, double start) {
    demo.Pump();
    RedrawWindow(demo.Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    GdiFlush();
    wchar_t text[120];
    swprintf(text, 120, L"read and recognised in %.2f s; on screen in %.2f s", read,
             Seconds() - start);
    PrintLine(text);
    return 0;
}

std::wstring ErrorCode(HRESULT hr) {
    wchar_t text[16];
    swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

int Fail(const std::wstring& message, bool quiet) {
    if (quiet)
        PrintLine(L"norv_demo: " + message);
    else
        MessageBoxW(nullptr, message.c_str(), L"Norv demo", MB_OK | MB_ICONERROR);
    return 1;
}

std::wstring Labelled(const DataGrid& grid, LONG column) {
    const size_t c = static_cast<size_t>(column);
    return c < grid.labels.size() && !grid.labels[c].empty() ? grid.labels[c]
                                                             : L"column " + std::to_wstring(c + 1);
}

// What the session will do, in words.
std::wstring PlanText(const SessionPlan& plan, const DataGrid& grid) {
    std::wstring text = L"plan: ";
    if (plan.groupColumns[0] >= 0)
        text += L"group by " + Labelled(grid, plan.groupColumns[0]) + L", then " +
                Labelled(grid, plan.groupColumns[1]) + L"; ";
    return text + (plan.sortColumn >= 0 ? L"sort by " + Labelled(grid, plan.sortColumn)
                                        : std::wstring(L"no sort"));
}

int RunSnapshot(DemoWindow& demo, const DataGrid& grid, const std::wstring& picture) {
    const SessionPlan plan = PlanSession(grid);
    PrintLine(PlanText(plan, grid));
    demo.Focus();
    demo.Pump();
    DemoSession session(
        demo.ControlWindow(), demo.View(), [&demo] { demo.Pump(); },
        [&demo] { return demo.DoubleClicks(); });
    const std::vector<StepOutcome> steps = session.Run(plan);
    int effective = 0;
    for (const StepOutcome& step : steps) {
        effective += step.tookEffect;
        PrintLine(std::wstring(step.tookEffect ? L"  done      " : L"  no effect ") +
                  std::wstring(step.name.begin(), step.name.end()));
    }
    PrintLine(std::to_wstring(effective) + L" of " + std::to_wstring(steps.size()) +
              L" steps took effect");
    demo.Pump();
    RedrawWindow(demo.Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    const std::wstring path = FullPath(picture);
    const HRESULT hr = SaveWindowPng(demo.Handle(), path);
    if (FAILED(hr))
        return Fail(L"the picture could not be written to " + path + L" (error " + ErrorCode(hr) +
                        L")",
                    true);
    PrintLine(path);
    return 0;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    Options options;
    std::wstring error;
    if (!ParseOptions(options, error))
        return Fail(error, options.snapshot);
    if (FAILED(OleInitialize(nullptr)))
        return Fail(L"OLE could not be initialised", options.snapshot);
    int result = 0;
    const double start = Seconds();
    double read = 0;
    {
        DataGrid grid;
        DemoWindow demo;
        const std::wstring title =
            L"Norv demo - " + (options.csv.empty() ? std::wstring(L"sample sales") : options.csv);
        HRESULT hr = S_OK;
        // The window first, so that its status line can show how a long read goes.
        if (!demo.Create(title, options.snapshot))
            result = Fail(L"the window could not be created", options.snapshot);
        else if (!LoadRecords(options, grid, demo, error))
            result = Fail(error, options.snapshot);
        else if ((read = Seconds() - start) < 0)
            result = 1;
        else if (FAILED(hr = demo.EmbedControl(ModuleBesideProgram())))
            result = Fail(L"the control could not be created from " + ModuleBesideProgram() +
                              L" (error " + ErrorCode(hr) + L")",
                          options.snapshot);
        else if (FAILED(demo.Load(grid)))
            result = Fail(L"the control refused the records", options.snapshot);
        else if (options.time)
            result = ShowTimes(demo, read, start);
        else if (options.snapshot)
            result = RunSnapshot(demo, grid, options.picture);
        else {
            demo.Focus();
            result = demo.RunMessageLoop();
        }
    }
    OleUninitialize();
    return result;
}
