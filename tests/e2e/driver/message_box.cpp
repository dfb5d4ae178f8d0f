// The message boxes KeshBat shows: finding one, reading it, answering it.
#include "driver.h"

#include "protocol.h"

namespace {

// The static that holds a message box's text.
const int BoxTextId = 0xFFFF;

BOOL CALLBACK FindOwnedBox(HWND window, LPARAM param)
{
    if (GetWindow(window, GW_OWNER) == Dialog && ClassOf(window) == L"#32770" &&
        IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(param) = window;
        return FALSE;
    }
    return TRUE;
}

HWND OwnedBox()
{
    HWND box = nullptr;
    EnumWindows(FindOwnedBox, reinterpret_cast<LPARAM>(&box));
    return box;
}

HWND WaitForBox(DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        HWND box = OwnedBox();
        if (box || GetTickCount() - start >= timeoutMs)
            return box;
        Sleep(20);
    }
}

struct BoxContents {
    std::string buttons = "[";
    int defaultButton = 0;   // the ID of the visible BS_DEFPUSHBUTTON, if any
    bool hasIcon = false;
};

BOOL CALLBACK ReadBoxControl(HWND control, LPARAM param)
{
    BoxContents& box = *reinterpret_cast<BoxContents*>(param);
    if (!IsWindowVisible(control))
        return TRUE;
    LONG style = GetWindowLongW(control, GWL_STYLE);
    std::wstring kind = ClassOf(control);
    if (kind == L"Button") {
        int id = GetDlgCtrlID(control);
        if ((style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            box.defaultButton = id;
        box.buttons += box.buttons.size() > 1 ? ", " : "";
        box.buttons += "{\"id\": " + std::to_string(id) + ", \"text\": " +
                       JsonString(TextOf(control)) + "}";
    } else if (kind == L"Static" && (style & SS_TYPEMASK) == SS_ICON) {
        // A hidden or empty icon static draws nothing the user could see.
        DWORD_PTR icon = 0;
        SendMessageTimeoutW(control, STM_GETICON, 0, 0, SMTO_NORMAL, SendTimeoutMs, &icon);
        if (icon)
            box.hasIcon = true;
    }
    return TRUE;
}

} // namespace

// box [timeout_ms]: the message box owned by the dialog: caption, text,
// visible buttons, default button and whether it shows an icon.
void CmdBox(const Args& args)
{
    HWND box = WaitForBox(static_cast<DWORD>(IntArg(args, 1, 10000)));
    if (!box) {
        SendError(L"no message box");
        return;
    }
    BoxContents contents;
    EnumChildWindows(box, ReadBoxControl, reinterpret_cast<LPARAM>(&contents));
    contents.buttons += "]";
    DWORD_PTR defId = 0;
    SendMessageTimeoutW(box, DM_GETDEFID, 0, 0, SMTO_NORMAL, SendTimeoutMs, &defId);
    HWND focus = FocusedWindow(box);
    Reply()
        .Bool("ok", true)
        .Int("hwnd", reinterpret_cast<LONG_PTR>(box))
        .Str("caption", TextOf(box))
        .Str("text", TextOf(GetDlgItem(box, BoxTextId)))
        .Raw("buttons", contents.buttons)
        .Int("defid", HIWORD(defId) == DC_HASDEFID ? LOWORD(defId) : 0)
        .Int("default_style", contents.defaultButton)
        .Int("focus", focus ? GetDlgCtrlID(focus) : 0)
        .Bool("has_icon", contents.hasIcon)
        .Send();
}

// answer id [timeout_ms]: clicks the box's button and waits for the box to
// go away.
void CmdAnswer(const Args& args)
{
    HWND box = OwnedBox();
    if (!box) {
        SendError(L"no message box to answer");
        return;
    }
    int id = static_cast<int>(IntArg(args, 1, IDOK));
    HWND button = GetDlgItem(box, id);
    if (!button) {
        SendError(L"the box has no button " + std::to_wstring(id));
        return;
    }
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    DWORD timeout = static_cast<DWORD>(IntArg(args, 2, 10000));
    DWORD start = GetTickCount();
    while (IsWindow(box) && GetTickCount() - start < timeout)
        Sleep(10);
    Reply().Bool("ok", true).Bool("closed", !IsWindow(box)).Send();
}
