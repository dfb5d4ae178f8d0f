// Times KeshBat against a bare program doing the same work, side by side
// in one Wine (or Windows) session. Prints one sample a line,
// "<figure> <side> <seconds>", where side is "keshbat" or "bare", and
// leaves the medians and ratios to bench/run.
//
//   bench_timer startup RUNS KESHBAT.EXE BARE.EXE FOLDER
//       program start until its dialog is visible; both started in FOLDER.
//   bench_timer list RUNS KESHBAT.EXE FOLDER BIG_PATCH_FOLDER COUNT
//       the "TIE Fighter" press until the list holds COUNT names, against
//       a FindFirstFileA/FindNextFileA walk over BIG_PATCH_FOLDER\*.bat.
//       "X-wing Alliance" must list one script, to reset the list between
//       runs.
//   bench_timer run RUNS KESHBAT.EXE FOLDER SMALL_PATCH_FOLDER SCRIPT EFFECT
//       Run on SCRIPT (the "X-wing Alliance" folder's only script) until the
//       file EFFECT appears in SMALL_PATCH_FOLDER, against "cmd /c SCRIPT"
//       started in that folder.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const int ScriptListId = 1000;
const int RunId = 1001;
const int TieId = 1002;
const int XwaId = 1005;

// Generous: the machine is shared, and a wrong setup shows as an error box
// that would otherwise stall the run for ever.
const double Timeout = 60.0;

LARGE_INTEGER Frequency;

double Now()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(Frequency.QuadPart);
}

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "bench_timer: %s (error %lu)\n", what, GetLastError());
    std::exit(1);
}

void Sample(const char* figure, const char* side, double seconds)
{
    std::printf("%s %s %.6f\n", figure, side, seconds);
    std::fflush(stdout);
}

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchVisibleWindow(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

struct Program {
    PROCESS_INFORMATION process;
    HWND dialog;
};

// Starts `exe` with `folder` as its working directory and waits until it
// shows a window. Returns the seconds from the start to that moment.
double Start(const char* exe, const char* folder, Program& program)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string commandLine = std::string("\"") + exe + "\"";

    double started = Now();
    if (!CreateProcessA(exe, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder,
                        &startup, &program.process))
        Fail("cannot start the program");
    WindowSearch search = { program.process.dwProcessId, nullptr };
    for (;;) {
        EnumWindows(MatchVisibleWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr)
            break;
        if (Now() - started > Timeout)
            Fail("the program showed no window");
        Sleep(1);
    }
    double elapsed = Now() - started;
    program.dialog = search.found;
    return elapsed;
}

void Close(Program& program)
{
    PostMessageA(program.dialog, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(program.process.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(program.process.hProcess, 1);
    CloseHandle(program.process.hThread);
    CloseHandle(program.process.hProcess);
}

// The list's count. A cross-process send waits until the dialog's thread
// is back in its message loop, so the count is never read half-way
// through a press.
LRESULT Count(HWND list)
{
    DWORD_PTR count = 0;
    if (!SendMessageTimeoutA(list, LB_GETCOUNT, 0, 0, SMTO_NORMAL,
                             static_cast<UINT>(Timeout * 1000), &count))
        Fail("the dialog does not answer");
    return static_cast<LRESULT>(count);
}

void Press(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void WaitForCount(HWND list, LRESULT wanted)
{
    double started = Now();
    while (Count(list) != wanted)
        if (Now() - started > Timeout)
            Fail("the list never reached the expected count (an error box?)");
}

void WaitForFile(const std::string& path)
{
    double started = Now();
    while (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (Now() - started > Timeout)
            Fail("the script's effect never appeared");
        Sleep(1);
    }
}

void TimeStartup(int runs, const char* keshbat, const char* bare, const char* folder)
{
    for (int run = 0; run <= runs; ++run) {
        // The first round warms the file cache and Wine's own DLLs. Which
        // side starts first alternates, so that neither always inherits
        // the other's leftovers.
        for (int turn = 0; turn < 2; ++turn) {
            bool isKeshBat = (turn + run) % 2 == 0;
            Program program;
            double seconds = Start(isKeshBat ? keshbat : bare, folder, program);
            Close(program);
            if (run > 0)
                Sample("startup", isKeshBat ? "keshbat" : "bare", seconds);
        }
    }
}

void TimeListing(int runs, const char* keshbat, const char* folder, const char* bigFolder,
                 LRESULT expected)
{
    Program program;
    Start(keshbat, folder, program);
    HWND list = GetDlgItem(program.dialog, ScriptListId);
    std::string pattern = std::string(bigFolder) + "\\*.bat";

    for (int run = 0; run <= runs; ++run) {
        Press(program.dialog, XwaId);
        WaitForCount(list, 1);
        double started = Now();
        Press(program.dialog, TieId);
        WaitForCount(list, expected);
        double keshbatSeconds = Now() - started;

        started = Now();
        WIN32_FIND_DATAA found;
        LRESULT names = 0;
        HANDLE search = FindFirstFileA(pattern.c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do
                ++names;
            while (FindNextFileA(search, &found));
            FindClose(search);
        }
        double bareSeconds = Now() - started;
        if (names != expected)
            Fail("the bare walk found another number of scripts");

        if (run > 0) {
            Sample("list", "keshbat", keshbatSeconds);
            Sample("list", "bare", bareSeconds);
        }
    }
    Close(program);
}

void TimeRun(int runs, const char* keshbat, const char* folder, const char* patchFolder,
             const char* script, const char* effect)
{
    Program program;
    Start(keshbat, folder, program);
    HWND list = GetDlgItem(program.dialog, ScriptListId);
    Press(program.dialog, XwaId);
    WaitForCount(list, 1);
    DWORD_PTR ignored;
    SendMessageTimeoutA(list, LB_SETCURSEL, 0, 0, SMTO_NORMAL, 10000, &ignored);

    std::string effectPath = std::string(patchFolder) + "\\" + effect;
    std::string commandLine = std::string("cmd /c ") + script;

    for (int run = 0; run <= runs; ++run) {
        DeleteFileA(effectPath.c_str());
        double started = Now();
        Press(program.dialog, RunId);
        WaitForFile(effectPath);
        double keshbatSeconds = Now() - started;
        Count(list);  // back in the message loop: the interpreter has exited

        DeleteFileA(effectPath.c_str());
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION interpreter;
        std::string line = commandLine;
        started = Now();
        if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, patchFolder,
                            &startup, &interpreter))
            Fail("cannot start cmd");
        WaitForFile(effectPath);
        double bareSeconds = Now() - started;
        WaitForSingleObject(interpreter.hProcess, INFINITE);
        CloseHandle(interpreter.hThread);
        CloseHandle(interpreter.hProcess);

        if (run > 0) {
            Sample("run", "keshbat", keshbatSeconds);
            Sample("run", "bare", bareSeconds);
        }
    }
    DeleteFileA(effectPath.c_str());
    Close(program);
}

} // namespace

int main(int argc, char** argv)
{
    QueryPerformanceFrequency(&Frequency);
    std::string figure = argc > 2 ? argv[1] : "";
    int runs = argc > 2 ? std::atoi(argv[2]) : 0;
    if (figure == "startup" && argc == 6 && runs > 0)
        TimeStartup(runs, argv[3], argv[4], argv[5]);
    else if (figure == "list" && argc == 7 && runs > 0)
        TimeListing(runs, argv[3], argv[4], argv[5], std::atol(argv[6]));
    else if (figure == "run" && argc == 8 && runs > 0)
        TimeRun(runs, argv[3], argv[4], argv[5], argv[6], argv[7]);
    else {
        std::fprintf(stderr, "usage: see the comment at the top of bench_timer.cpp\n");
        return 2;
    }
    return 0;
}
