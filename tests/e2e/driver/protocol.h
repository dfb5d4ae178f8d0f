// The driver's line protocol: one command per line on stdin, fields
// separated by tabs, UTF-8; one JSON object per line on stdout.
#ifndef KESHBAT_DRIVER_PROTOCOL_H
#define KESHBAT_DRIVER_PROTOCOL_H

#include <windows.h>

#include <string>
#include <vector>

// Reads the next line from stdin and splits it at tabs. False at the end
// of the input.
bool ReadCommand(std::vector<std::wstring>& fields);

std::wstring Utf8ToWide(const std::string& text);

// Builds one JSON object; Send() writes it to stdout as one line.
class Reply {
public:
    Reply& Bool(const char* key, bool value);
    Reply& Int(const char* key, long long value);
    Reply& Str(const char* key, const std::wstring& value);
    // A value already in JSON form (an array or object built by the caller).
    Reply& Raw(const char* key, const std::string& json);
    void Send();

private:
    std::string body_;
    void Key(const char* key);
};

std::string JsonString(const std::wstring& text);

// Replies {"ok": false, "error": message}.
void SendError(const std::wstring& message);

#endif
