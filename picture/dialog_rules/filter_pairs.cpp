#include "dialog_rules/filter_pairs.h"

#include "core/graphic.h"

namespace tremalu {

namespace {

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        const size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return parts;
        start = end + 1;
    }
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Glob matching with backtracking over the last "*" only, which is enough
// for a linear-time match of "*" and "?" patterns.
bool Glob(const std::string& name, const std::string& pattern)
{
    size_t n = 0, p = 0, starP = std::string::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || Lower(pattern[p]) == Lower(name[n]))) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

}  // namespace

std::vector<TFilterPair> ParseFilter(const std::string& filter)
{
    std::vector<TFilterPair> pairs;
    if (filter.empty())
        return pairs;
    const std::vector<std::string> parts = Split(filter, '|');
    for (size_t i = 0; i + 1 < parts.size(); i += 2)
        pairs.push_back({parts[i], Split(parts[i + 1], ';')});
    return pairs;
}

bool MatchesPatterns(const std::string& fileName, const std::vector<std::string>& patterns)
{
    for (const std::string& pattern : patterns)
        if (!pattern.empty() && Glob(fileName, pattern))
            return true;
    return false;
}

std::string WithDefaultExtension(const std::string& fileName, const TFilterPair* selected,
                                 const std::string& defaultExtension)
{
    const size_t slash = fileName.find_last_of('/');
    const std::string base = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
    if (base.empty() || base.find('.') != std::string::npos)
        return fileName;
    std::string extension;
    if (selected != nullptr && !selected->Patterns.empty()) {
        const std::string& first = selected->Patterns.front();
        // "*.jpg" names one extension; "*.*", "*" or "*.jp?" do not.
        if (first.rfind("*.", 0) == 0 && first.find_first_of("*?", 2) == std::string::npos && first.size() > 2)
            extension = first.substr(2);
    }
    if (extension.empty())
        extension = defaultExtension;
    return extension.empty() ? fileName : fileName + "." + extension;
}

}  // namespace tremalu
