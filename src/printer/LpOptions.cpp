#include "printer/LpOptions.h"

#include <algorithm>
#include <cctype>

namespace qvset {
namespace {

constexpr std::string_view kDefaultKeyword = "Default";
constexpr std::string_view kDestKeyword = "Dest";
constexpr std::string_view kBlanks = " \t";
// What CUPS's configuration reader takes for white space between a keyword and its value.
constexpr const char* kWhiteSpace = " \t\r\v\f";

bool SameLetters(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// One line without its end: the keyword replaced when it names a destination, else unchanged.
std::string Rewritten(std::string_view line, std::string_view queue, bool& found) {
    const std::size_t start = line.find_first_not_of(kBlanks);
    if (start == std::string_view::npos || line[start] == '#') return std::string(line);
    const std::size_t keywordEnd = std::min(line.find_first_of(kBlanks, start), line.size());
    const std::string_view keyword = line.substr(start, keywordEnd - start);
    const bool isDefault = SameLetters(keyword, kDefaultKeyword);
    if (!isDefault && !SameLetters(keyword, kDestKeyword)) return std::string(line);
    const std::size_t nameStart = std::min(line.find_first_not_of(kBlanks, keywordEnd), line.size());
    const std::size_t nameEnd = std::min(line.find_first_of(kBlanks, nameStart), line.size());
    const bool ours = SameLetters(line.substr(nameStart, nameEnd - nameStart), queue);
    found = found || ours;
    if (ours == isDefault) return std::string(line);
    return std::string(line.substr(0, start)) + std::string(ours ? kDefaultKeyword : kDestKeyword) +
           std::string(line.substr(keywordEnd));
}

// One line as CUPS's configuration reader sees it: without its comment (from the first "#" no backslash
// escapes; an escaped one stands for itself) and without blanks at either end.
std::string ConfigurationLine(std::string_view line) {
    std::string text;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\\' && i + 1 < line.size() && line[i + 1] == '#') {
            text += '#';
            ++i;
            continue;
        }
        if (line[i] == '#') break;
        text += line[i];
    }
    const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && blank(text.back())) text.pop_back();
    const auto start = std::find_if_not(text.begin(), text.end(), blank);
    return std::string(start, text.end());
}

}  // namespace

std::string QueueOfDestination(std::string_view destination) {
    return std::string(destination.substr(0, destination.find('/')));
}

std::optional<std::string> DefaultDestinationOf(std::string_view lpoptions) {
    std::size_t begin = 0;
    while (begin < lpoptions.size()) {
        std::size_t end = lpoptions.find('\n', begin);
        if (end == std::string_view::npos) end = lpoptions.size();
        const std::string line = ConfigurationLine(lpoptions.substr(begin, end - begin));
        begin = end + 1;
        const std::size_t keywordEnd = std::min(line.find_first_of(kWhiteSpace), line.size());
        if (!SameLetters(std::string_view(line).substr(0, keywordEnd), kDefaultKeyword)) continue;
        const std::size_t valueStart = line.find_first_not_of(kWhiteSpace, keywordEnd);
        if (valueStart == std::string::npos) continue;  // "Default" without a value names nothing
        const std::size_t valueEnd = std::min(line.find_first_of(kBlanks, valueStart), line.size());
        std::string queue =
            QueueOfDestination(std::string_view(line).substr(valueStart, valueEnd - valueStart));
        // The first line with a value decides, even when it names no queue ("Default /copy").
        if (queue.empty()) return std::nullopt;
        return queue;
    }
    return std::nullopt;
}

std::string WithDefaultDestination(std::string_view lpoptions, std::string_view queue) {
    std::string result;
    bool found = false;
    std::size_t begin = 0;
    while (begin < lpoptions.size()) {
        std::size_t end = lpoptions.find('\n', begin);
        const bool ended = end != std::string_view::npos;
        if (!ended) end = lpoptions.size();
        result += Rewritten(lpoptions.substr(begin, end - begin), queue, found);
        if (ended) result += '\n';
        begin = end + 1;
    }
    if (!found) {
        if (!result.empty() && result.back() != '\n') result += '\n';
        result += std::string(kDefaultKeyword) + ' ' + std::string(queue) + '\n';
    }
    return result;
}

}  // namespace qvset
