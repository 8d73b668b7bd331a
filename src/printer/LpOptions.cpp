#include "printer/LpOptions.h"

#include <algorithm>
#include <cctype>

namespace qvset {
namespace {

constexpr std::string_view kDefaultKeyword = "Default";
constexpr std::string_view kDestKeyword = "Dest";
constexpr std::string_view kBlanks = " \t";

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

}  // namespace

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
