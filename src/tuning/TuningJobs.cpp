#include "tuning/TuningJobs.h"

#include <algorithm>

#include "printer/AnsiText.h"

namespace qvset {
namespace {

constexpr std::string_view kPageTitle = "----------------Quelvane--------------";
constexpr std::string_view kPageSuffix = "测试页";
constexpr std::string_view kCurrentLabelPrefix = "***************";
constexpr char kCurrentMarker = '*';
constexpr char kOtherMarker = '-';
constexpr std::uint8_t kLineFeed = 0x0A;
constexpr int kLowestTestValue = 1;
constexpr int kHighestTestValue = 40;
constexpr int kWindowReach = 4;

struct LineShape {
    std::size_t before;
    std::size_t after;
};

LineShape ShapeOf(TuningMode mode) {
    switch (mode) {
        case TuningMode::HighSpeed:
            return {22, 21};
        case TuningMode::Standard:
            return {30, 28};
        case TuningMode::Fine:
            return {45, 43};
    }
    return {22, 21};
}

// The UTF-8 sequence of each character of SampleText.
const std::vector<std::string>& SampleCharacters() {
    static const std::vector<std::string> characters = [] {
        std::vector<std::string> list;
        for (int row = 0xB0; row <= 0xB1; ++row) {
            const int last = row == 0xB0 ? 0xFE : 0xBF;
            for (int cell = 0xA1; cell <= last; ++cell) {
                const std::string gbk{static_cast<char>(row), static_cast<char>(cell)};
                list.push_back(FromAnsi(gbk));
            }
        }
        return list;
    }();
    return characters;
}

void Append(Bytes& job, const Bytes& part) {
    job.insert(job.end(), part.begin(), part.end());
}

void AppendText(Bytes& job, std::string_view utf8) {
    const std::string ansi = ToAnsi(utf8);
    job.insert(job.end(), ansi.begin(), ansi.end());
}

void AppendLineFeeds(Bytes& job, int count) {
    job.insert(job.end(), static_cast<std::size_t>(count), kLineFeed);
}

}  // namespace

const std::string& SampleText() {
    static const std::string text = [] {
        std::string joined;
        for (const auto& character : SampleCharacters()) joined += character;
        return joined;
    }();
    return text;
}

std::vector<int> TestWindow(int x) {
    std::vector<int> values;
    const int first = std::max(kLowestTestValue, x - kWindowReach);
    const int last = std::min(kHighestTestValue, x + kWindowReach);
    for (int v = first; v <= last; ++v) values.push_back(v);
    return values;
}

std::string ValueMarker(int v, int x) {
    const char mark = v == x ? kCurrentMarker : kOtherMarker;
    std::string marker(1, mark);
    if (v >= 0 && v < 10) marker.push_back('0');
    marker += std::to_string(v);
    marker.push_back(mark);
    return marker;
}

std::string BuildTestLine(TuningMode mode, int v, int x) {
    const auto& characters = SampleCharacters();
    const LineShape shape = ShapeOf(mode);
    std::string line;
    for (std::size_t i = 0; i < shape.before; ++i) line += characters[i];
    line += ValueMarker(v, x);
    for (std::size_t i = shape.before; i < shape.before + shape.after; ++i) line += characters[i];
    return line;
}

std::uint8_t ModeValues::Of(TuningMode mode) const {
    switch (mode) {
        case TuningMode::HighSpeed:
            return highSpeed;
        case TuningMode::Standard:
            return standard;
        case TuningMode::Fine:
            return fine;
    }
    return highSpeed;
}

Bytes BuildStoreJob(const ModeValues& values) {
    Bytes job;
    for (TuningMode mode : kTuningModes) {
        Append(job, BuildModeValueCommand(ModeCode(mode), values.Of(mode), kStoreFlag));
        AppendLineFeeds(job, 2);
    }
    Append(job, SaveCommand());
    return job;
}

Bytes BuildTestPage(const ModeValues& values) {
    Bytes page;
    for (TuningMode mode : kTuningModes) {
        const std::uint8_t x = values.Of(mode);
        Append(page, BuildModeValueCommand(ModeCode(mode), x, kTestFlag));
        AppendLineFeeds(page, 2);
        AppendText(page, ModeCaption(mode));
        AppendText(page, kPageTitle);
        AppendText(page, kPageSuffix);
        AppendLineFeeds(page, 1);
        for (int v : TestWindow(x)) {
            Append(page, BuildModeValueCommand(ModeCode(mode), static_cast<std::uint8_t>(v), kTestFlag));
            AppendLineFeeds(page, 2);
            AppendText(page, BuildTestLine(mode, v, x));
            AppendLineFeeds(page, 1);
        }
    }
    Append(page, SaveCommand());
    return page;
}

std::string BuildAlignmentLabel(int v, int highSpeedValue) {
    const std::string digits = std::to_string(v);
    return v == highSpeedValue ? std::string(kCurrentLabelPrefix) + digits : digits;
}

Bytes BuildAlignmentText(std::uint8_t v, std::uint8_t highSpeedValue) {
    Bytes text = BuildModeValueCommand(ModeCode(TuningMode::HighSpeed), v, kTestFlag);
    AppendLineFeeds(text, 3);
    AppendText(text, BuildAlignmentLabel(v, highSpeedValue));
    AppendLineFeeds(text, 2);
    return text;
}

const std::string& AlignmentBarRow() {
    static const std::string row = [] {
        constexpr int kGroups = 36;
        constexpr int kBlankColumns = 79;
        std::string hex = "1B2A01400B";
        for (int group = 0; group < kGroups; ++group) {
            hex += "FF";
            for (int column = 0; column < kBlankColumns; ++column) hex += "00";
        }
        hex += "0D";
        return hex;
    }();
    return row;
}

}  // namespace qvset
