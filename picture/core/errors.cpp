#include "core/errors.h"

namespace tremalu {

std::string FormatMessage(const std::string& format, std::initializer_list<std::string> args)
{
    std::string out;
    out.reserve(format.size() + 32);
    auto next = args.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c == '%' && i + 1 < format.size() && (format[i + 1] == 's' || format[i + 1] == 'd')) {
            if (next != args.end()) {
                out += *next;
                ++next;
            }
            ++i;
            continue;
        }
        out += c;
    }
    return out;
}

std::string MessageBoxText(const std::string& message)
{
    if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.'))
        return message + ".";
    return message;
}

}  // namespace tremalu
