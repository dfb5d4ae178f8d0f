#include "protocol.h"

#include <cstdio>

namespace {

// stdin is a pipe from the harness: read it in blocks and hand out lines.
bool ReadLine(std::string& line)
{
    static std::string pending;
    static bool ended = false;
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    for (;;) {
        std::size_t end = pending.find('\n');
        if (end != std::string::npos) {
            line = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            return true;
        }
        if (ended)
            return false;
        char block[4096];
        DWORD got = 0;
        if (!ReadFile(in, block, sizeof block, &got, nullptr) || got == 0) {
            ended = true;
            if (pending.empty())
                return false;
            pending += '\n';
            continue;
        }
        pending.append(block, got);
    }
}

std::string WideToUtf8(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                   nullptr, 0, nullptr, nullptr);
    std::string out(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size,
                        nullptr, nullptr);
    return out;
}

} // namespace

std::wstring Utf8ToWide(const std::string& text)
{
    if (text.empty())
        return std::wstring();
    int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                   nullptr, 0);
    std::wstring out(size, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size);
    return out;
}

bool ReadCommand(std::vector<std::wstring>& fields)
{
    std::string line;
    if (!ReadLine(line))
        return false;
    fields.clear();
    std::size_t start = 0;
    for (;;) {
        std::size_t tab = line.find('\t', start);
        fields.push_back(Utf8ToWide(line.substr(start, tab - start)));
        if (tab == std::string::npos)
            break;
        start = tab + 1;
    }
    return true;
}

std::string JsonString(const std::wstring& text)
{
    std::string utf8 = WideToUtf8(text);
    std::string out = "\"";
    for (unsigned char c : utf8) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

void Reply::Key(const char* key)
{
    body_ += body_.empty() ? "{" : ", ";
    body_ += '"';
    body_ += key;
    body_ += "\": ";
}

Reply& Reply::Bool(const char* key, bool value)
{
    Key(key);
    body_ += value ? "true" : "false";
    return *this;
}

Reply& Reply::Int(const char* key, long long value)
{
    Key(key);
    body_ += std::to_string(value);
    return *this;
}

Reply& Reply::Str(const char* key, const std::wstring& value)
{
    Key(key);
    body_ += JsonString(value);
    return *this;
}

Reply& Reply::Raw(const char* key, const std::string& json)
{
    Key(key);
    body_ += json;
    return *this;
}

// WriteFile does not buffer: the line is on its way when it returns.
void Reply::Send()
{
    std::string line = (body_.empty() ? std::string("{") : body_) + "}\n";
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD written = 0;
    WriteFile(out, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    body_.clear();
}

void SendError(const std::wstring& message)
{
    Reply().Bool("ok", false).Str("error", message).Send();
}
