// What the tests set up around KeshBat: registry values, files held open
// by "another process", and the clean-up of a KeshBat left running.
#include "driver.h"

#include <tlhelp32.h>

#include <map>

#include "protocol.h"

namespace {

// "32" is the 32-bit view the games' installers write to; anything else
// the default view.
REGSAM ViewFlag(const std::wstring& view)
{
    return view == L"32" ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
}

std::string HexToBytes(const std::wstring& hex)
{
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

std::map<std::wstring, HANDLE> HeldFiles;

void CollectTree(DWORD root, const std::multimap<DWORD, DWORD>& children, std::vector<DWORD>& out)
{
    auto range = children.equal_range(root);
    for (auto child = range.first; child != range.second; ++child)
        CollectTree(child->second, children, out);
    out.push_back(root);
}

} // namespace

// reg_set view key name type hex: writes the value's bytes exactly as given
// under HKEY_LOCAL_MACHINE\key, creating the key.
void CmdRegSet(const Args& args)
{
    if (args.size() < 6) {
        SendError(L"usage: reg_set view key name type hex");
        return;
    }
    HKEY key;
    LONG status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, args[2].c_str(), 0, nullptr, 0,
                                  KEY_SET_VALUE | ViewFlag(args[1]), nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS) {
        std::string data = HexToBytes(args[5]);
        status = RegSetValueExW(key, args[3].c_str(), 0, static_cast<DWORD>(IntArg(args, 4, REG_SZ)),
                                reinterpret_cast<const BYTE*>(data.data()),
                                static_cast<DWORD>(data.size()));
        RegCloseKey(key);
    }
    Reply().Bool("ok", status == ERROR_SUCCESS).Int("status", status).Send();
}

// reg_delete view key: deletes the key with everything under it; a key
// that is not there is no error.
void CmdRegDelete(const Args& args)
{
    if (args.size() < 3) {
        SendError(L"usage: reg_delete view key");
        return;
    }
    HKEY key;
    LONG status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, args[2].c_str(), 0,
                                KEY_ALL_ACCESS | ViewFlag(args[1]), &key);
    if (status == ERROR_FILE_NOT_FOUND) {
        Reply().Bool("ok", true).Bool("existed", false).Send();
        return;
    }
    if (status == ERROR_SUCCESS) {
        status = RegDeleteTreeW(key, nullptr);
        RegCloseKey(key);
    }
    if (status == ERROR_SUCCESS)
        status = RegDeleteKeyExW(HKEY_LOCAL_MACHINE, args[2].c_str(), ViewFlag(args[1]), 0);
    Reply().Bool("ok", status == ERROR_SUCCESS).Bool("existed", true).Int("status", status).Send();
}

// hold path: opens the file (creating it if missing) with no sharing at
// all, as another program that has it locked would, until "release".
void CmdHold(const Args& args)
{
    const std::wstring path = args.size() > 1 ? args[1] : L"";
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        SendError(L"cannot open " + path + L": error " + std::to_wstring(GetLastError()));
        return;
    }
    if (HeldFiles.count(path))
        CloseHandle(HeldFiles[path]);
    HeldFiles[path] = file;
    Reply().Bool("ok", true).Send();
}

// release path: closes a file opened by "hold".
void CmdRelease(const Args& args)
{
    const std::wstring path = args.size() > 1 ? args[1] : L"";
    auto held = HeldFiles.find(path);
    if (held == HeldFiles.end()) {
        SendError(L"not held: " + path);
        return;
    }
    CloseHandle(held->second);
    HeldFiles.erase(held);
    Reply().Bool("ok", true).Send();
}

// kill [pid]: ends the process (by default the dialog's) and every process
// it started, children first, e.g. a KeshBat left blocked on a script.
void CmdKill(const Args& args)
{
    DWORD root = static_cast<DWORD>(IntArg(args, 1, DialogProcess));
    std::multimap<DWORD, DWORD> children;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot != INVALID_HANDLE_VALUE) {
        PROCESSENTRY32W entry = {};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32FirstW(snapshot, &entry); more;
             more = Process32NextW(snapshot, &entry))
            if (entry.th32ProcessID != entry.th32ParentProcessID)
                children.emplace(entry.th32ParentProcessID, entry.th32ProcessID);
        CloseHandle(snapshot);
    }
    std::vector<DWORD> tree;
    if (root)
        CollectTree(root, children, tree);
    int killed = 0;
    for (DWORD pid : tree) {
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
        if (!process)
            continue;
        if (TerminateProcess(process, 1)) {
            WaitForSingleObject(process, 5000);
            ++killed;
        }
        CloseHandle(process);
    }
    Reply().Bool("ok", true).Int("killed", killed).Send();
}
