#include "runner/device_name.h"

#include <cctype>

bool IsDeviceName(const std::string& name)
{
    // Windows looks at the part before the first dot, without the blanks
    // that end it.
    std::string base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    for (char& c : base)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));

    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL" ||
        base == "CONIN$" || base == "CONOUT$")
        return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           base[3] >= '1' && base[3] <= '9';
}
