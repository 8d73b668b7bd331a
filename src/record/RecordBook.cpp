#include "record/RecordBook.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <system_error>

#include "files/FileContents.h"
#include "printer/device/DeviceAddress.h"
#include "record/RecordLock.h"

namespace qvset {
namespace {

namespace fs = std::filesystem;

fs::path LockPathOf(const fs::path& file) {
    return fs::path(file).concat(".lock");
}

std::string TwoDigits(unsigned value, int width = 2) {
    std::string text = std::to_string(value);
    while (static_cast<int>(text.size()) < width) text.insert(text.begin(), '0');
    return text;
}

std::optional<std::string> ReadWhole(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return text;
}

// Whether the file's last byte is a line end (an empty file counts as one): a line cut off by a full
// disk or a crash must not swallow the next one.
bool EndsWithLineEnd(const fs::path& file) {
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    if (!in) return true;
    const auto size = in.tellg();
    if (size <= 0) return true;
    in.seekg(-1, std::ios::end);
    char last = '\n';
    in.get(last);
    return last == '\n';
}

// A device reached without a spooler belongs to no print server: whichever book is asked, its record is
// kept under its URI (without a serial port's line settings, which change with its baud rate) and no server.
std::pair<std::string, std::string> KeyOf(const std::string& server, std::string_view printer) {
    std::string problem;
    if (LooksLikeDeviceUri(printer)) {
        if (const auto address = ParseDeviceUri(printer, problem)) return {"", DeviceIdentity(*address)};
    }
    return {server, std::string(printer)};
}

}  // namespace

std::string RecordTime(std::chrono::system_clock::time_point time) {
    using namespace std::chrono;
    const auto millis = floor<milliseconds>(time);
    const auto day = floor<days>(millis);
    const year_month_day date{day};
    const hh_mm_ss clock{millis - day};
    return std::to_string(static_cast<int>(date.year())) + '-' +
           TwoDigits(static_cast<unsigned>(date.month())) + '-' +
           TwoDigits(static_cast<unsigned>(date.day())) + 'T' +
           TwoDigits(static_cast<unsigned>(clock.hours().count())) + ':' +
           TwoDigits(static_cast<unsigned>(clock.minutes().count())) + ':' +
           TwoDigits(static_cast<unsigned>(clock.seconds().count())) + '.' +
           TwoDigits(static_cast<unsigned>(clock.subseconds().count()), 3) + 'Z';
}

fs::path RecordFolder(const fs::path& stateFolder) {
    return stateFolder.empty() ? stateFolder : stateFolder / "records";
}

bool RecordTurnedOff() {
    const char* value = std::getenv("QVSET_RECORD");
    return value != nullptr && std::string_view(value) == "off";
}

RecordBook::RecordBook(fs::path folder, std::string server, Say say, RecordLimits limits)
    : m_folder(std::move(folder)),
      m_server(std::move(server)),
      m_say(std::move(say)),
      m_limits(limits),
      m_now([] { return RecordTime(std::chrono::system_clock::now()); }) {}

std::unique_ptr<RecordBook> RecordBook::ForServer(std::string server) const {
    auto book = std::make_unique<RecordBook>(m_folder, std::move(server), m_say, m_limits);
    book->m_now = m_now;
    return book;
}

fs::path RecordBook::FileOf(std::string_view printer) const {
    const auto [server, name] = KeyOf(m_server, printer);
    return RecordFilePath(m_folder, server, name);
}

void RecordBook::Add(const std::string& printer, std::string_view command, bool taken,
                     std::span<const std::uint8_t> bytes) {
    try {
        const auto [server, name] = KeyOf(m_server, printer);
        const RecordEntry entry{m_now(), server,
                                name,    std::string(command),
                                taken,   std::vector<std::uint8_t>(bytes.begin(), bytes.end())};
        std::string problem;
        if (!Append(FileOf(printer), RecordEntryLine(entry), problem)) Fail(problem);
    } catch (const std::exception& error) {
        Fail(error.what());
    }
}

bool RecordBook::Append(const fs::path& file, const std::string& line, std::string& problem) {
    if (m_folder.empty()) {
        problem = "no folder for it: neither XDG_STATE_HOME nor HOME is set";
        return false;
    }
    std::error_code code;
    fs::create_directories(m_folder, code);
    if (code) {
        problem = PathText(m_folder) + ": " + code.message();
        return false;
    }
    const RecordLock lock(LockPathOf(file), m_limits.lockWait);
    if (!lock.Held()) {
        problem = PathText(file) + ": its lock could not be taken in time";
        return false;
    }
    {
        const bool joined = EndsWithLineEnd(file);
        std::ofstream out(file, std::ios::binary | std::ios::app);
        if (out) {
            // One write of the whole line.
            const std::string text = joined ? line : '\n' + line;
            out.write(text.data(), static_cast<std::streamsize>(text.size()));
            out.flush();
        }
        if (!out) {
            problem = PathText(file) + ": cannot be written";
            return false;
        }
    }
    const auto size = fs::file_size(file, code);
    if (code || size <= m_limits.maxBytes) return true;

    // Past the bound: the older documents become the state they imply, the whole file is replaced.
    const auto text = ReadWhole(file);
    std::string error;
    auto record = text ? ParseRecord(*text, &error) : std::nullopt;
    if (!record) {
        problem = PathText(file) + ": cannot be folded: " + (text ? error : "cannot be read");
        return false;
    }
    // The newest documents that fit in half the bound beside the snapshot stay listed.
    const std::size_t half = m_limits.maxBytes / 2;
    FoldRecord(*record, half);
    std::size_t listed = 0;
    for (const auto& entry : record->entries) listed += RecordEntryLine(entry).size();
    const std::size_t snapshot = RecordText(*record).size() - listed;
    if (snapshot + listed > half) FoldRecord(*record, snapshot < half ? half - snapshot : 0);
    const std::string folded = RecordText(*record);
    if (!ReplaceFileContents(
            file, std::span(reinterpret_cast<const std::uint8_t*>(folded.data()), folded.size()))) {
        problem = PathText(file) + ": cannot be folded: the new file cannot be written";
        return false;
    }
    return true;
}

std::optional<Record> RecordBook::Read(std::string_view printer, std::string* error) const {
    const fs::path file = FileOf(printer);
    std::error_code code;
    if (!fs::exists(file, code)) return Record{};
    // The lock keeps a line being written out of what is read; without it the read still goes on.
    const RecordLock lock(LockPathOf(file), m_limits.lockWait);
    const auto text = ReadWhole(file);
    if (!text) {
        if (error != nullptr) *error = PathText(file) + ": cannot be read";
        return std::nullopt;
    }
    std::string problem;
    auto record = ParseRecord(*text, &problem);
    if (!record && error != nullptr) *error = PathText(file) + ": " + problem;
    return record;
}

void RecordBook::Fail(const std::string& problem) {
    const std::lock_guard guard(m_failing);
    if (!m_failed && m_say) {
        m_say("the record of what was sent could not be written (" + problem +
              "); the documents are still sent");
    }
    m_failed = true;
}

}  // namespace qvset
