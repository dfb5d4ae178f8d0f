// Acts on a running KeshBat dialog from outside, as a user would, for the
// end-to-end tests. Persistent: reads one command per line on stdin and
// answers one JSON line per command on stdout (see protocol.h).
#include "driver.h"

#include <cstdio>
#include <cwchar>
#include <map>

#include "protocol.h"

HWND Dialog;
DWORD DialogProcess;

namespace {

const int ScriptListId = 1000;
const int RunButtonId = 1001;

// Each barrier leaves its own number in the list box, so that a number
// left by an earlier, abandoned barrier cannot pass for the current one.
LPARAM BarrierToken = 0;

bool DialogAlive()
{
    DWORD_PTR result;
    return IsWindow(Dialog) &&
           SendMessageTimeoutW(Dialog, WM_NULL, 0, 0, SMTO_NORMAL, SendTimeoutMs, &result);
}

bool RequireDialog()
{
    if (IsWindow(Dialog))
        return true;
    SendError(L"no dialog (run find first, or it has closed)");
    return false;
}

LRESULT SendToList(UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = static_cast<DWORD_PTR>(LB_ERR);
    SendMessageTimeoutW(GetDlgItem(Dialog, ScriptListId), message, wParam, lParam,
                        SMTO_NORMAL, SendTimeoutMs, &result);
    return static_cast<LRESULT>(result);
}

// Waits until the dialog's thread has handled every message posted before
// this call: a message posted now is handled after them, either by the
// dialog's own loop or by the loop of a message box one of them opened.
// False when that did not happen within the timeout (a script still runs).
bool Barrier(DWORD timeoutMs)
{
    HWND list = GetDlgItem(Dialog, ScriptListId);
    LPARAM token = ++BarrierToken;
    // The horizontal extent only matters to a list with WS_HSCROLL, which
    // KeshBat's list has not: a harmless place to leave a mark.
    if (!PostMessageW(list, LB_SETHORIZONTALEXTENT, token, 0))
        return false;
    DWORD start = GetTickCount();
    for (;;) {
        DWORD_PTR extent = 0;
        if (SendMessageTimeoutW(list, LB_GETHORIZONTALEXTENT, 0, 0, SMTO_NORMAL, 200, &extent) &&
            static_cast<LPARAM>(extent) == token)
            return true;
        if (!IsWindow(Dialog) || GetTickCount() - start > timeoutMs)
            return false;
        Sleep(10);
    }
}

// Replies whether the posted work settled within arg `index` (ms).
void PostAndSettle(HWND target, UINT message, WPARAM wParam, LPARAM lParam, const Args& args,
                   std::size_t index)
{
    if (!PostMessageW(target, message, wParam, lParam)) {
        SendError(L"PostMessage failed");
        return;
    }
    DWORD timeout = static_cast<DWORD>(IntArg(args, index, 10000));
    bool settled = timeout > 0 ? Barrier(timeout) : false;
    Reply().Bool("ok", true).Bool("settled", settled).Send();
}

struct FindState {
    std::vector<HWND> found;
};

BOOL CALLBACK CollectDialogs(HWND window, LPARAM param)
{
    if (ClassOf(window) == L"#32770" && TextOf(window) == L"KeshBat" && IsWindowVisible(window))
        reinterpret_cast<FindState*>(param)->found.push_back(window);
    return TRUE;
}

// find [timeout_ms]: the visible top-level "#32770" window titled "KeshBat".
void CmdFind(const Args& args)
{
    DWORD timeout = static_cast<DWORD>(IntArg(args, 1, 10000));
    DWORD start = GetTickCount();
    FindState state;
    for (;;) {
        state.found.clear();
        EnumWindows(CollectDialogs, reinterpret_cast<LPARAM>(&state));
        if (!state.found.empty() || GetTickCount() - start >= timeout)
            break;
        Sleep(20);
    }
    if (state.found.empty()) {
        Dialog = nullptr;
        SendError(L"no KeshBat dialog");
        return;
    }
    Dialog = state.found.front();
    GetWindowThreadProcessId(Dialog, &DialogProcess);
    Reply()
        .Bool("ok", true)
        .Int("hwnd", reinterpret_cast<LONG_PTR>(Dialog))
        .Int("pid", DialogProcess)
        .Int("count", static_cast<long long>(state.found.size()))
        .Send();
}

// click id [settle_ms]: the button's BN_CLICKED, posted as the button does.
void CmdClick(const Args& args)
{
    if (!RequireDialog())
        return;
    int id = static_cast<int>(IntArg(args, 1, 0));
    HWND control = GetDlgItem(Dialog, id);
    PostAndSettle(Dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                  reinterpret_cast<LPARAM>(control), args, 2);
}

// settle [timeout_ms]: waits for everything posted so far to be handled.
void CmdSettle(const Args& args)
{
    if (!RequireDialog())
        return;
    bool settled = Barrier(static_cast<DWORD>(IntArg(args, 1, 10000)));
    Reply().Bool("ok", true).Bool("settled", settled).Send();
}

// The text of entry `index`, read with the wide messages (the ANSI form
// comes back cut across processes); empty when the list refuses it.
std::wstring ListItemText(LRESULT index)
{
    LRESULT length = SendToList(LB_GETTEXTLEN, index, 0);
    if (length <= 0)
        return std::wstring();
    std::wstring text(length + 1, L'\0');
    LRESULT copied = SendToList(LB_GETTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(copied > 0 ? copied : 0);
    return text;
}

std::string ListItemsJson(LRESULT count)
{
    std::string json = "[";
    for (LRESULT i = 0; i < count; ++i)
        json += (i ? ", " : "") + JsonString(ListItemText(i));
    return json + "]";
}

// list: every entry (wide LB_GETTEXT: the ANSI form comes back cut) and
// the selected index.
void CmdList(const Args&)
{
    if (!RequireDialog())
        return;
    LRESULT count = SendToList(LB_GETCOUNT, 0, 0);
    if (count == LB_ERR) {
        SendError(L"list box did not answer");
        return;
    }
    Reply()
        .Bool("ok", true)
        .Int("count", count)
        .Raw("items", ListItemsJson(count))
        .Int("selected", SendToList(LB_GETCURSEL, 0, 0))
        .Send();
}

// select index | select_text text: LB_SETCURSEL, as a click on the entry.
void CmdSelect(const Args& args)
{
    if (!RequireDialog())
        return;
    LRESULT index = -1;
    if (args[0] == L"select_text") {
        std::wstring wanted = args.size() > 1 ? args[1] : L"";
        LRESULT count = SendToList(LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count && index < 0; ++i) {
            if (ListItemText(i) == wanted)
                index = i;
        }
        if (index < 0) {
            SendError(L"no entry " + wanted);
            return;
        }
    } else {
        index = IntArg(args, 1, -1);
    }
    SendToList(LB_SETCURSEL, index, 0);
    Reply().Bool("ok", true).Int("selected", SendToList(LB_GETCURSEL, 0, 0)).Send();
}

// dblclick index [settle_ms]: selects the entry and sends the list's
// LBN_DBLCLK notification, as a double-click on it does.
void CmdDoubleClick(const Args& args)
{
    if (!RequireDialog())
        return;
    SendToList(LB_SETCURSEL, IntArg(args, 1, 0), 0);
    HWND list = GetDlgItem(Dialog, ScriptListId);
    PostAndSettle(Dialog, WM_COMMAND, MAKEWPARAM(ScriptListId, LBN_DBLCLK),
                  reinterpret_cast<LPARAM>(list), args, 2);
}

// escape [settle_ms]: Escape pressed and released on the focused control.
void CmdEscape(const Args& args)
{
    if (!RequireDialog())
        return;
    HWND target = FocusedWindow(Dialog);
    if (!target)
        target = Dialog;
    UINT scan = MapVirtualKeyW(VK_ESCAPE, MAPVK_VK_TO_VSC);
    PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 1 | (scan << 16));
    PostAndSettle(target, WM_KEYUP, VK_ESCAPE, 1 | (scan << 16) | 0xC0000000, args, 1);
}

// close: the title bar's close button.
void CmdClose(const Args&)
{
    if (!RequireDialog())
        return;
    bool posted = PostMessageW(Dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    Reply().Bool("ok", posted).Send();
}

// alive: the dialog exists and answers messages.
void CmdAlive(const Args&)
{
    Reply().Bool("ok", true).Bool("alive", DialogAlive()).Send();
}

// focus: the control that has the keyboard focus.
void CmdFocus(const Args&)
{
    if (!RequireDialog())
        return;
    HWND focus = FocusedWindow(Dialog);
    if (!focus) {
        SendError(L"no focus");
        return;
    }
    Reply().Bool("ok", true).Int("id", GetDlgCtrlID(focus)).Str("class", ClassOf(focus)).Send();
}

std::string RectJson(RECT rect)
{
    char json[96];
    std::snprintf(json, sizeof json, "[%ld, %ld, %ld, %ld]", rect.left, rect.top,
                  rect.right - rect.left, rect.bottom - rect.top);
    return json;
}

BOOL CALLBACK AppendControl(HWND control, LPARAM param)
{
    std::string& json = *reinterpret_cast<std::string*>(param);
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, Dialog, reinterpret_cast<POINT*>(&rect), 2);
    char numbers[96];
    std::snprintf(numbers, sizeof numbers, "\"id\": %d, \"style\": %lu, \"rect\": ",
                  GetDlgCtrlID(control), static_cast<unsigned long>(GetWindowLongW(control, GWL_STYLE)));
    json += json.size() > 1 ? ", {" : "{";
    json += numbers + RectJson(rect) + ", \"class\": " + JsonString(ClassOf(control)) +
            ", \"text\": " + JsonString(TextOf(control)) + "}";
    return TRUE;
}

// geometry: the dialog's styles and rects, and every control's ID, class,
// text, style and rect (in client coordinates), in creation order.
void CmdGeometry(const Args&)
{
    if (!RequireDialog())
        return;
    RECT window, client;
    GetWindowRect(Dialog, &window);
    GetClientRect(Dialog, &client);
    std::string controls = "[";
    EnumChildWindows(Dialog, AppendControl, reinterpret_cast<LPARAM>(&controls));
    controls += "]";
    Reply()
        .Bool("ok", true)
        .Int("style", static_cast<DWORD>(GetWindowLongW(Dialog, GWL_STYLE)))
        .Int("exstyle", static_cast<DWORD>(GetWindowLongW(Dialog, GWL_EXSTYLE)))
        .Raw("window", RectJson(window))
        .Raw("client", RectJson(client))
        .Int("screen_width", GetSystemMetrics(SM_CXSCREEN))
        .Int("screen_height", GetSystemMetrics(SM_CYSCREEN))
        .Raw("controls", controls)
        .Send();
}

using Command = void (*)(const Args&);

const std::map<std::wstring, Command> Commands = {
    { L"find", CmdFind },       { L"click", CmdClick },       { L"settle", CmdSettle },
    { L"list", CmdList },       { L"select", CmdSelect },     { L"select_text", CmdSelect },
    { L"dblclick", CmdDoubleClick },                          { L"escape", CmdEscape },
    { L"close", CmdClose },     { L"alive", CmdAlive },       { L"focus", CmdFocus },
    { L"geometry", CmdGeometry },                             { L"box", CmdBox },
    { L"answer", CmdAnswer },   { L"reg_set", CmdRegSet },    { L"reg_delete", CmdRegDelete },
    { L"hold", CmdHold },       { L"release", CmdRelease },   { L"kill", CmdKill },
};

} // namespace

std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    return name;
}

std::wstring TextOf(HWND window)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, SendTimeoutMs, &length))
        return std::wstring();
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(&text[0]),
                             SMTO_NORMAL, SendTimeoutMs, &copied))
        return std::wstring();
    text.resize(copied);
    return text;
}

HWND FocusedWindow(HWND window)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info))
        return nullptr;
    return info.hwndFocus;
}

long long IntArg(const Args& args, std::size_t index, long long fallback)
{
    if (index >= args.size() || args[index].empty())
        return fallback;
    return std::wcstoll(args[index].c_str(), nullptr, 0);
}

int wmain()
{
    Args args;
    while (ReadCommand(args)) {
        if (args[0] == L"quit") {
            Reply().Bool("ok", true).Send();
            break;
        }
        auto command = Commands.find(args[0]);
        if (command == Commands.end())
            SendError(L"unknown command " + args[0]);
        else
            command->second(args);
    }
    return 0;
}
